// Controls, captions and layout of the stored-data page.
#include "BrowserPage.h"

#include "Twips.h"
#include "modMessage.h"

namespace qv {

using ui::Height;
using ui::Keep;
using ui::Left;
using ui::Move;
using ui::Top;
using ui::Width;

BrowserPage::BrowserPage(QWidget* parent) : PageFrame(parent) {
    tvwLog = new QTreeWidget(this);
    tvwLog->setHeaderHidden(true);
    fraLog = new QGroupBox(this);
    for (size_t i = 0; i < chkLog.size(); ++i) {
        chkLog[i] = new QCheckBox(fraLog);
        Move(chkLog[i], 120, 180 + 255.0 * i, 2400, 240);
    }
    lvwLog = new QTreeWidget(this);
    lvwLog->setRootIsDecorated(false);
    vfgLog = new ui::FlexGrid(this);
    cmdDetail = new QPushButton(this);
    cmdLogInst = new QPushButton(this);
}

void BrowserPage::SetCaptions() {
    setTitle(GetMessage(5101));
    chkLog[0]->setText(GetMessage(5102));
    chkLog[1]->setText(GetMessage(5104));
    chkLog[2]->setText(GetMessage(5103));
    cmdDetail->setText(GetMessage(5005));
    cmdLogInst->setText(GetMessage(5025));
    cmdLogInst->hide();
}

void BrowserPage::LayoutPage() {
    const double pw = Width(this);
    const double ph = Height(this);
    Move(tvwLog, 120, 240, pw * 0.35, ph * 0.75);
    const double treeBottom = Top(tvwLog) + Height(tvwLog);
    Move(fraLog, 120, treeBottom, Width(tvwLog), ph - treeBottom - 120);
    for (QCheckBox* box : chkLog)
        Move(box, Keep, Keep, Width(fraLog) - 240);
    const double right = Left(tvwLog) + Width(tvwLog);
    Move(lvwLog, right + 120, 240, pw - right - 240, ph * 0.42);
    Move(vfgLog, Left(lvwLog), Top(lvwLog) + Height(lvwLog) + 120, Width(lvwLog), ph * 0.42);
    const double gridBottom = Top(vfgLog) + Height(vfgLog);
    Move(cmdDetail, Left(lvwLog), gridBottom + 120, Width(vfgLog), ph - gridBottom - 240);

    switch (vfgLog->Cols()) {
        case 2:
            vfgLog->SetColWidths({0.5});
            break;
        case 3:
            vfgLog->SetColWidths({0.4, 0.25});
            break;
        case 4:
            vfgLog->SetColWidths({0.35, 0.2, 0.2});
            break;
        case 5:
            vfgLog->SetColWidths({0.27, 0.17, 0.17, 0.17});
            break;
        default:
            break;
    }
}

void BrowserPage::RefreshLogBrowser() {
    const bool shown = ui::IsShown(this);
    setVisible(false);
    tvwLog->viewport()->update();
    lvwLog->viewport()->update();
    vfgLog->Refresh();
    setVisible(shown);
}

}  // namespace qv
