// The calibration history page: the three layout options and the history grid.
#pragma once

#include "FlexGrid.h"
#include "PageFrame.h"

#include <QRadioButton>
#include <array>

namespace qv {

class CalHistoryPage : public ui::PageFrame {
  public:
    explicit CalHistoryPage(QWidget* parent = nullptr);
    void SetCaptions() override;
    void LayoutPage() override;
    // Fills the grid from the database in the chosen layout (the page's own work).
    void ShowCalHistory() {}

    // 0 need calibration, 1 calibration date, 2 calibration record.
    std::array<QRadioButton*, 3> optHistory{};
    ui::FlexGrid* vfgHistory = nullptr;
};

}  // namespace qv
