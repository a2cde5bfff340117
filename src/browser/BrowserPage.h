// The stored-data page: the tree of stored logs with its grouping check boxes, the list of the
// logs under a node, the property grid of a log, and the detail and instrument buttons.
#pragma once

#include "FlexGrid.h"
#include "PageFrame.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QPushButton>
#include <QTreeWidget>
#include <array>

namespace qv {

class BrowserPage : public ui::PageFrame {
  public:
    explicit BrowserPage(QWidget* parent = nullptr);
    void SetCaptions() override;
    void LayoutPage() override;
    // Rebuilds the tree from the database (the page's own work).
    void MakeLogTree() {}
    // Repaints the tree, the list and the property grid with the page hidden meanwhile.
    void RefreshLogBrowser();

    QTreeWidget* tvwLog = nullptr;
    QGroupBox* fraLog = nullptr;
    // Grouping by serial number, station, user.
    std::array<QCheckBox*, 3> chkLog{};
    QTreeWidget* lvwLog = nullptr;
    ui::FlexGrid* vfgLog = nullptr;
    QPushButton* cmdDetail = nullptr;
    QPushButton* cmdLogInst = nullptr;
};

}  // namespace qv
