// Controls, captions and layout of the calibration history page.
#include "CalHistoryPage.h"

#include "Twips.h"
#include "modMessage.h"

namespace qv {

using ui::Height;
using ui::Left;
using ui::Move;
using ui::Top;
using ui::Width;

CalHistoryPage::CalHistoryPage(QWidget* parent) : PageFrame(parent) {
    for (auto& o : optHistory) {
        o = new QRadioButton(this);
        Move(o, 60, 240, 1800, 255);
    }
    vfgHistory = new ui::FlexGrid(this);
}

void CalHistoryPage::SetCaptions() {
    setTitle(GetMessage(5254));
    optHistory[0]->setText(GetMessage(5251));
    optHistory[1]->setText(GetMessage(5252));
    optHistory[2]->setText(GetMessage(5253));
}

void CalHistoryPage::LayoutPage() {
    const double pw = Width(this);
    const double ph = Height(this);
    const double optionWidth = pw / (static_cast<double>(optHistory.size()) + 1);
    Move(optHistory[0], 60, 240, optionWidth);
    for (size_t i = 1; i < optHistory.size(); ++i)
        Move(optHistory[i], Left(optHistory[i - 1]) + Width(optHistory[i - 1]) + 120, 240,
             optionWidth);
    const double optionBottom = Top(optHistory[0]) + Height(optHistory[0]);
    Move(vfgHistory, 60, optionBottom + 60, pw - 120, ph - optionBottom - 120);

    if (optHistory[0]->isChecked() || optHistory[1]->isChecked())
        vfgHistory->SetColWidths({0.06, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1, 0.1});
    else if (optHistory[2]->isChecked())
        vfgHistory->SetColWidths({0.06, 0.1, 0.1, 0.1, 0.08, 0.12, 0.12, 0.12});
}

}  // namespace qv
