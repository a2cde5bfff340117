// Controls, captions and layout of the option page, and the connection of its controls to their
// handlers, each behind the error boundary.
#include "OptionPage.h"

#include "KeyCodes.h"
#include "Twips.h"
#include "UserAction.h"
#include "modGlobals.h"
#include "modMessage.h"
#include "modModel.h"
#include "uclQvif.h"

#include <QEvent>
#include <QKeyEvent>

namespace qv {

using ui::Height;
using ui::IsShown;
using ui::Keep;
using ui::Left;
using ui::Move;
using ui::Top;
using ui::Width;

OptionPage::OptionPage(QWidget* parent) : PageFrame(parent) {
    for (auto& f : fraOption)
        f = new QGroupBox(this);
    Move(fraOption[0], 120, 240, 5400, 2800);
    for (size_t i = 0; i < cmdOptionDisp.size(); ++i) {
        cmdOptionDisp[i] = new QPushButton(fraOption[0]);
        Move(cmdOptionDisp[i], 120, 300 + 360.0 * i, 3000, 330);
    }
    cmdOptionDisp[6]->setText(GetMessage(9017));

    // Names on the left, the value of each row beside it.
    for (auto& l : lblOption)
        l = new QLabel(fraOption[1]);
    for (auto& t : txtOption)
        t = new QLineEdit(fraOption[1]);
    cmbInterval = new QComboBox(fraOption[1]);
    cmbInterval->addItems({QStringLiteral("10"), QStringLiteral("20"), QStringLiteral("30"),
                           QStringLiteral("60"), QStringLiteral("180"), QStringLiteral("300"),
                           QStringLiteral("600")});
    constexpr std::array<int, 6> names{0, 1, 2, 3, 4, 7};
    const std::array<QWidget*, 6> values{txtOption[0], txtOption[1], txtOption[2],
                                         lblOption[5], lblOption[6], cmbInterval};
    for (size_t row = 0; row < names.size(); ++row) {
        Move(lblOption[names[row]], 120, 300 + 420.0 * row, 2600, 315);
        Move(values[row], 2800, 300 + 420.0 * row, 2400, 315);
    }

    for (auto& b : cmdOption) {
        b = new QPushButton(this);
        Move(b, Keep, Keep, 1800, 375);
    }
    vfgCal = new ui::FlexGrid(fraOption[2]);
    for (auto& b : cmdCal)
        b = new QPushButton(fraOption[2]);
    vfgOption = new ui::FlexGrid(this);

    vfgOption->SetEditable(true);
    vfgCal->SetEditable(true);
    // A failing edit event refuses the edit and leaves the grids to their next fill.
    const auto stopFilling = [this] {
        if (host_) host_->FillingGrid = false;
    };
    vfgOption->BeforeEdit = ui::AsEditAction(
        [this](int Row, int Col, bool& Cancel) { vfgOption_BeforeEdit(Row, Col, Cancel); },
        stopFilling);
    vfgOption->ValidateEdit = ui::AsEditAction(
        [this](int Row, int Col, bool& Cancel) { vfgOption_ValidateEdit(Row, Col, Cancel); },
        stopFilling);
    vfgOption->AfterEdit =
        ui::AsUserAction([this](int Row, int Col) { vfgOption_AfterEdit(Row, Col); });
    vfgCal->BeforeEdit = ui::AsEditAction(
        [this](int Row, int Col, bool& Cancel) { vfgCal_BeforeEdit(Row, Col, Cancel); },
        stopFilling);
    vfgCal->ValidateEdit = ui::AsEditAction(
        [this](int Row, int Col, bool& Cancel) { vfgCal_ValidateEdit(Row, Col, Cancel); },
        stopFilling);
    vfgCal->AfterEdit = ui::AsUserAction([this](int Row, int Col) { vfgCal_AfterEdit(Row, Col); });
    for (size_t i = 0; i < txtOption.size(); ++i) {
        txtOption[i]->installEventFilter(this);
        // Every change, the program's own included, is followed. The field's own text is taken,
        // not the signal's: a correction made while a change is announced is announced first.
        connect(txtOption[i], &QLineEdit::textChanged, this, ui::AsUserAction([this, i] {
                    fieldBefore_[i] = fieldText_[i];
                    fieldText_[i] = txtOption[i]->text();
                }));
        connect(txtOption[i], &QLineEdit::textEdited, this,
                [this, i] { ui::RunUserAction([&] { txtOption_Change(static_cast<int>(i)); }); });
    }
    // Only a choice of the user: filling the list from the instrument changes no setting.
    connect(cmbInterval, &QComboBox::activated, this,
            [this] { ui::RunUserAction([&] { cmbInterval_Click(); }); });
    for (size_t i = 0; i < cmdOption.size(); ++i)
        connect(cmdOption[i], &QPushButton::clicked, this,
                [this, i] { ui::RunUserAction([&] { cmdOption_Click(static_cast<int>(i)); }); });
    for (size_t i = 0; i < cmdOptionDisp.size(); ++i)
        connect(cmdOptionDisp[i], &QPushButton::clicked, this, [this, i] {
            ui::RunUserAction([&] { cmdOptionDisp_Click(static_cast<int>(i)); });
        });
    for (size_t i = 0; i < cmdCal.size(); ++i)
        connect(cmdCal[i], &QPushButton::clicked, this,
                [this, i] { ui::RunUserAction([&] { cmdCal_Click(static_cast<int>(i)); }); });
}

OptionPage::~OptionPage() = default;

void OptionPage::Bind(const SettingsHost& host) {
    host_ = std::make_unique<SettingsHost>(host);
    // The page's commands talk to the instrument: they go with it, until its settings are read
    // again and the page is filled.
    connect(&host.link, &uclQvif::OnDisConnect, this, ui::AsUserAction([this] {
        for (QPushButton* b : cmdOption)
            b->setEnabled(false);
    }));
}

bool OptionPage::eventFilter(QObject* watched, QEvent* event) {
    for (size_t i = 0; i < txtOption.size(); ++i) {
        if (watched != txtOption[i] || !host_) continue;
        const int index = static_cast<int>(i);
        if (event->type() == QEvent::FocusOut) {
            ui::RunUserAction([&] { txtOption_Validate(index); });
            return false;
        }
        if (event->type() != QEvent::KeyPress) return false;
        // Only typed characters are the filter's; Backspace too works as it always does.
        int ascii = ui::TypedCharacter(*static_cast<QKeyEvent*>(event));
        if (ascii == 0) return false;
        ui::RunUserAction([&] { txtOption_KeyPress(index, ascii); });
        return ascii == 0;
    }
    return PageFrame::eventFilter(watched, event);
}

void OptionPage::SetCaptions() {
    const clsInstrument& defaults = *DefaultInstrument();
    setTitle(GetMessage(5201));
    fraOption[0]->setTitle(GetMessage(5202));
    cmdOptionDisp[0]->setText(GetMessage(5203));
    for (int i = 0; i < 4; ++i)
        cmdOptionDisp[i + 1]->setText(GetMessage(5204, {defaults.GasName(i)}));
    cmdOptionDisp[5]->setText(GetMessage(5222));
    fraOption[1]->setTitle(GetMessage(5208));
    lblOption[0]->setText(GetMessage(5209));
    lblOption[1]->setText(GetMessage(5210));
    lblOption[2]->setText(GetMessage(5211));
    lblOption[3]->setText(GetMessage(5212));
    lblOption[4]->setText(GetMessage(5213));
    lblOption[7]->setText(GetMessage(5223));
    cmdOption[0]->setText(GetMessage(5214));
    cmdOption[1]->setText(GetMessage(5215));
    cmdOption[2]->setText(GetMessage(5216));
    fraOption[2]->setTitle(GetMessage(5216));
    vfgCal->SetFormatString(GetMessage(5217));
    cmdCal[0]->setText(GetMessage(5218));
    cmdCal[1]->setText(GetMessage(5219));
    cmdCal[2]->setText(GetMessage(5220));
}

void OptionPage::LayoutPage() {
    const double pw = Width(this);
    const double ph = Height(this);
    QGroupBox* fonts = fraOption[0];
    Move(fonts, 120, ui::ContentTop(this), pw * 0.3, ph * 0.5);
    const double right = Left(fonts) + Width(fonts);
    if (IsShown(fraOption[1])) {
        QGroupBox* status = fraOption[1];
        Move(status, right + 120, Top(fonts), pw - right - 360,
             Height(fonts) - Height(cmdOption[0]) - 120);
        Move(cmdOption[0], Left(status), Top(status) + Height(status) + 120, Width(status) / 3.2);
        for (size_t i = 1; i < cmdOption.size(); ++i)
            Move(cmdOption[i], Left(cmdOption[i - 1]) + Width(cmdOption[i - 1]) + 120,
                 Top(cmdOption[0]), Width(status) / 3.2);
    } else {
        QGroupBox* calibration = fraOption[2];
        Move(calibration, right + 120, Top(fonts), pw - right - 360, Height(fonts));
        Move(vfgCal, 120, ui::ContentTop(calibration), Width(calibration) - 240,
             Height(calibration) * 0.7);
        const double gridWidth = Width(vfgCal);
        const double top = Top(vfgCal) + Height(vfgCal) + 120;
        const double height = Height(calibration) - Top(vfgCal) - Height(vfgCal) - 240;
        Move(cmdCal[0], 120, top, gridWidth * 0.31, height);
        Move(cmdCal[1], gridWidth - gridWidth * 0.666, top, Width(cmdCal[0]), Height(cmdCal[0]));
        Move(cmdCal[2], gridWidth - gridWidth * 0.333 - 120, top, Width(cmdCal[0]),
             Height(cmdCal[0]));
    }
    const double below = Top(fonts) + Height(fonts);
    Move(vfgOption, 120, below + 120, pw - 240, ph - below - 360);

    const QString language = GetMessage(101);
    const bool known = language == QLatin1String("EN") || language == QLatin1String("JP");
    if (known && ServiceMode) {
        if (language == QLatin1String("EN"))
            vfgOption->SetColWidths({0.12, 0.11, 0.11, 0.11, 0.11, 0.11, 0.11, 0.12});
        else
            vfgOption->SetColWidths({0.12, 0.11, 0.11, 0.11, 0.11, 0.11, 0.11, 0.15});
    } else if (known) {
        vfgOption->SetColWidths({0.16, 0.12, 0.12, 0.12, 0.12, 0.12});
    }
    vfgCal->SetColWidths({0.18, 0.18, 0.3});
    // The shares are the starting point: a narrow page widens a column whose texts they cut.
    vfgOption->FitColsToText();
    vfgCal->FitColsToText();
    vfgOption->Refresh();
}

}  // namespace qv
