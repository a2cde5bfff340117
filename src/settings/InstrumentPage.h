// The instrument information page: the identity of the instrument on show, its settings grid
// and its per-gas grid.
#pragma once

#include "FlexGrid.h"
#include "PageFrame.h"

#include <QGroupBox>
#include <QLabel>
#include <array>

namespace qv {

class InstrumentPage : public ui::PageFrame {
  public:
    explicit InstrumentPage(QWidget* parent = nullptr);
    void SetCaptions() override;
    void LayoutPage() override;
    // Fills the page from the instrument on show (the page's own work).
    void ShowInstrumentInfo() {}

    QGroupBox* fraInst = nullptr;
    // 0, 1, 2, 6 names; 3, 4, 5, 7 the values beside them.
    std::array<QLabel*, 8> lblInst{};
    ui::FlexGrid* vfgInst = nullptr;
    ui::FlexGrid* vfgInstSensor = nullptr;
};

}  // namespace qv
