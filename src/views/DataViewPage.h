// The data view page: one stored log as a table with an optional summary, or as a trend graph
// with its gas, event and cursor check boxes and zoom list, and the print, copy, export and
// summary buttons.
#pragma once

#include "FlexGrid.h"
#include "PageFrame.h"
#include "uclVtmGraph.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <array>

namespace qv {

class DataViewPage : public ui::PageFrame {
  public:
    explicit DataViewPage(QWidget* parent = nullptr);
    void SetCaptions() override;
    void LayoutPage() override;

    // 0 table, 1 graph.
    std::array<QRadioButton*, 2> optBrowse{};
    QCheckBox* chkEvent = nullptr;
    ui::FlexGrid* vfgSummary = nullptr;
    ui::FlexGrid* vfgBrowse = nullptr;
    uclVtmGraph* vtmGraph = nullptr;
    // 0 to 3 gases 1 to 4, 4 events, 5 cursor.
    std::array<QCheckBox*, 6> chkBrowse{};
    QLabel* lblTitle1 = nullptr;
    QComboBox* cmbBrowse = nullptr;
    // 0 print, 1 to clipboard, 2 export, 3 summary.
    std::array<QPushButton*, 4> cmdBrowse{};
};

}  // namespace qv
