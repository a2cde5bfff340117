// Controls, captions and layout of the data view page.
#include "DataViewPage.h"

#include "Twips.h"
#include "modMessage.h"
#include "modModel.h"

namespace qv {

using ui::Height;
using ui::IsShown;
using ui::Left;
using ui::Move;
using ui::Top;
using ui::Width;

DataViewPage::DataViewPage(QWidget* parent) : PageFrame(parent) {
    for (auto& o : optBrowse) {
        o = new QRadioButton(this);
        Move(o, 120, 240, 1200, 255);
    }
    optBrowse[0]->setChecked(true);
    chkEvent = new QCheckBox(this);
    Move(chkEvent, 2800, 240, 1800, 330);
    vfgSummary = new ui::FlexGrid(this);
    vfgSummary->hide();
    vfgBrowse = new ui::FlexGrid(this);
    vtmGraph = new uclVtmGraph(this);
    for (auto& c : chkBrowse) {
        c = new QCheckBox(this);
        Move(c, 120, 240, 1500, 255);
    }
    lblTitle1 = new QLabel(this);
    Move(lblTitle1, 120, 240, 800, 255);
    cmbBrowse = new QComboBox(this);
    Move(cmbBrowse, 1160, 240, 1200, 315);
    for (auto& b : cmdBrowse)
        b = new QPushButton(this);
}

void DataViewPage::SetCaptions() {
    const clsInstrument& defaults = *DefaultInstrument();
    setTitle(GetMessage(5151));
    optBrowse[0]->setText(GetMessage(5152));
    optBrowse[1]->setText(GetMessage(5153));
    for (int i = 0; i < 4; ++i)
        chkBrowse[i]->setText(defaults.GasName(i));
    chkBrowse[4]->setText(GetMessage(5154));
    chkBrowse[5]->setText(GetMessage(5155));
    lblTitle1->setText(GetMessage(5156));
    cmdBrowse[0]->setText(GetMessage(5161));
    cmdBrowse[1]->setText(GetMessage(5157));
    cmdBrowse[2]->setText(GetMessage(5158));
    cmdBrowse[3]->setText(GetMessage(5159));
    chkEvent->setText(GetMessage(5160));
}

void DataViewPage::LayoutPage() {
    const double pw = Width(this);
    const double ph = Height(this);
    const bool table = optBrowse[0]->isChecked();
    const bool graph = optBrowse[1]->isChecked();
    vfgBrowse->setVisible(table);
    vtmGraph->setVisible(graph);
    // In graph view the gas boxes keep the visibility the graph view gave them.
    if (!graph)
        for (QCheckBox* box : chkBrowse)
            box->setVisible(false);
    lblTitle1->setVisible(graph);
    cmbBrowse->setVisible(graph);
    chkEvent->setVisible(table);

    Move(optBrowse[0], 120, 240);
    Move(optBrowse[1], Left(optBrowse[0]) + Width(optBrowse[0]) + 120, 240);
    Move(chkEvent, Left(optBrowse[1]) + Width(optBrowse[1]) + 120, 240);
    const double topRow = Top(optBrowse[0]) + Height(optBrowse[0]) + 120;
    double gridHeight = 0;
    if (IsShown(vfgSummary)) {
        Move(vfgSummary, 120, topRow, pw - 240, ph * 0.3);
        const double summaryBottom = Top(vfgSummary) + Height(vfgSummary);
        gridHeight = ph - summaryBottom - 240;
        Move(vfgBrowse, 120, summaryBottom + 120, pw - 240, gridHeight);
    } else {
        gridHeight = ph - Top(optBrowse[0]) - Height(optBrowse[0]) - 240;
        Move(vfgBrowse, 120, topRow, pw - 240, gridHeight);
    }
    // The graph leaves two rows under it for the gas boxes, the zoom title and the zoom list.
    Move(vtmGraph, 120, Top(vfgBrowse), Width(vfgBrowse), gridHeight - 680);
    const std::array<double, 4> gasLeft{120, pw / 4, pw / 2, pw * 3 / 4};
    const double gasTop = Top(vtmGraph) + Height(vtmGraph) + 120;
    for (size_t i = 0; i < gasLeft.size(); ++i)
        Move(chkBrowse[i], gasLeft[i], gasTop);
    Move(lblTitle1, 120, Top(chkBrowse[0]) + Height(chkBrowse[0]));
    Move(cmbBrowse, Left(lblTitle1) + Width(lblTitle1) + 240, Top(lblTitle1));
    Move(chkBrowse[4], pw / 2, Top(lblTitle1));
    Move(chkBrowse[5], pw * 3 / 4, Top(lblTitle1));

    const double eventRight = Left(chkEvent) + Width(chkEvent);
    Move(cmdBrowse[0], eventRight + 120, 240,
         (pw - eventRight - 120) / (static_cast<double>(cmdBrowse.size()) * 1.1), Height(chkEvent));
    for (size_t i = 1; i < cmdBrowse.size(); ++i) {
        const QPushButton* before = cmdBrowse[i - 1];
        Move(cmdBrowse[i], Left(before) + Width(before) + 120, 240, Width(before), Height(before));
    }

    switch (vfgBrowse->Cols()) {
        case 2:
            vfgBrowse->SetColWidths({0.4});
            break;
        case 3:
            vfgBrowse->SetColWidths({0.2, 0.4});
            break;
        case 4:
            vfgBrowse->SetColWidths({0.1, 0.3, 0.28});
            break;
        case 5:
            vfgBrowse->SetColWidths({0.1, 0.3, 0.2, 0.2});
            break;
        case 6:
            vfgBrowse->SetColWidths({0.1, 0.3, 0.13, 0.13, 0.13});
            break;
        case 7:
            vfgBrowse->SetColWidths({0.1, 0.25, 0.12, 0.12, 0.12, 0.12});
            break;
        case 8:
            vfgBrowse->SetColWidths({0.1, 0.25, 0.1, 0.1, 0.1, 0.1, 0.1});
            break;
        default:
            break;
    }
    if (IsShown(vfgSummary) && vfgSummary->Cols() > 3)
        vfgSummary->SetColWidths({0.25, 0.18, 0.18, 0.18});
}

}  // namespace qv
