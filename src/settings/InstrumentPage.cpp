// Controls, captions and layout of the instrument information page.
#include "InstrumentPage.h"

#include "Twips.h"
#include "modMessage.h"

namespace qv {

using ui::Height;
using ui::Keep;
using ui::Left;
using ui::Move;
using ui::Top;
using ui::Width;

InstrumentPage::InstrumentPage(QWidget* parent) : PageFrame(parent) {
    fraInst = new QGroupBox(this);
    constexpr std::array<int, 4> names{0, 1, 2, 6};
    constexpr std::array<int, 4> values{3, 4, 5, 7};
    for (auto& l : lblInst)
        l = new QLabel(fraInst);
    for (size_t row = 0; row < names.size(); ++row) {
        Move(lblInst[names[row]], 120, 300 + 600.0 * row, 3000, 255);
        Move(lblInst[values[row]], 240, 570 + 600.0 * row, 2400, 255);
    }
    vfgInst = new ui::FlexGrid(this);
    vfgInstSensor = new ui::FlexGrid(this);
}

void InstrumentPage::SetCaptions() {
    setTitle(GetMessage(5051));
    fraInst->setTitle(GetMessage(5052));
    lblInst[0]->setText(GetMessage(5053));
    lblInst[1]->setText(GetMessage(5054));
    lblInst[2]->setText(GetMessage(5055));
    lblInst[6]->setText(GetMessage(5056));
}

void InstrumentPage::LayoutPage() {
    const double pw = Width(this);
    const double ph = Height(this);
    Move(fraInst, 120, 240, pw * 0.3, ph * 0.45);
    for (int i : {0, 1, 2, 6})
        Move(lblInst[i], Keep, Keep, Width(fraInst) - 240);
    const double right = Left(fraInst) + Width(fraInst);
    Move(vfgInst, right + 120, 360, pw - right - 240, Height(fraInst) - 120);
    const double below = Top(fraInst) + Height(fraInst);
    Move(vfgInstSensor, 120, below + 120, pw - 240, ph - below - 360);

    const QString language = GetMessage(101);
    const int cols = vfgInst->Cols();
    if (language == QLatin1String("EN")) {
        if (cols == 5) vfgInst->SetColWidths({0.15, 0.38, 0.11, 0.11, 0.1});
        if (cols == 6) vfgInst->SetColWidths({0.13, 0.38, 0.08, 0.08, 0.1, 0.08});
    } else if (language == QLatin1String("JP")) {
        if (cols == 5) vfgInst->SetColWidths({0.15, 0.3, 0.15, 0.15, 0.1});
        if (cols == 6) vfgInst->SetColWidths({0.13, 0.3, 0.11, 0.11, 0.12, 0.08});
    }
    if (vfgInstSensor->Cols() == 6) vfgInstSensor->SetColWidths({0.25, 0.12, 0.13, 0.13, 0.13});
    if (vfgInstSensor->Cols() == 7) vfgInstSensor->SetColWidths({0.2, 0.1, 0.12, 0.12, 0.12, 0.12});
}

}  // namespace qv
