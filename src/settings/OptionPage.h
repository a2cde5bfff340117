// The option page: font and graph colours, the connected instrument's identity, clocks and
// interval, its settings grid, and the calibration panel.
#pragma once

#include "FlexGrid.h"
#include "PageFrame.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <array>

namespace qv {

class OptionPage : public ui::PageFrame {
  public:
    explicit OptionPage(QWidget* parent = nullptr);
    void SetCaptions() override;
    void LayoutPage() override;
    // Fills the page from the connected instrument (the page's own work).
    void ShowOptionGrid() {}

    // 0 font and colours, 1 instrument status, 2 calibration panel.
    std::array<QGroupBox*, 3> fraOption{};
    // 0 font, 1 to 4 graph colours of gases 1 to 4, 5 EEP-ROM dump, 6 factory setting.
    std::array<QPushButton*, 7> cmdOptionDisp{};
    // 0 to 4 and 7 names; 5 PC clock, 6 instrument clock.
    std::array<QLabel*, 8> lblOption{};
    std::array<QLineEdit*, 3> txtOption{};
    QComboBox* cmbInterval = nullptr;
    // 0 update, 1 date/time set, 2 calibration.
    std::array<QPushButton*, 3> cmdOption{};
    ui::FlexGrid* vfgCal = nullptr;
    // 0 zero, 1 span, 2 exit calibration.
    std::array<QPushButton*, 3> cmdCal{};
    ui::FlexGrid* vfgOption = nullptr;
};

}  // namespace qv
