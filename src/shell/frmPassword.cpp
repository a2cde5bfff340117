// The password dialog's load, layout and buttons.
#include "frmPassword.h"

#include "FontCopy.h"
#include "Twips.h"
#include "UserAction.h"
#include "UserDialogs.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <algorithm>

namespace qv {

using ui::Height;
using ui::Move;
using ui::Top;

namespace {
// The room between the controls and the dialog's edges (twips).
constexpr double kMargin = 120;
}  // namespace

frmPassword::frmPassword(QWidget* parent, std::function<void()> passwordChanged)
    : QDialog(parent), passwordChanged_(std::move(passwordChanged)) {
    setWindowTitle(GetMessage(9009));
    lblPass = new QLabel(this);
    Move(lblPass, 0, 0, 4200, 300);
    txtPass = new QLineEdit(this);
    txtPass->setEchoMode(QLineEdit::Password);
    Move(txtPass, 0, 300, 4200, 330);
    for (size_t i = 0; i < cmdPass.size(); ++i) {
        cmdPass[i] = new QPushButton(this);
        cmdPass[i]->setAutoDefault(false);
        Move(cmdPass[i], 2100.0 * i, 690, 2040, 375);
        connect(cmdPass[i], &QPushButton::clicked, this,
                ui::AsUserAction([this, i] { cmdPass_Click(static_cast<int>(i)); }));
    }
    // Enter continues, Escape closes.
    cmdPass[0]->setDefault(true);
    resize(ui::ToPixelsX(4200 + 2 * kMargin), ui::ToPixelsY(1500));
    Form_Load();
}

void frmPassword::ShowModal(QWidget* parent, std::function<void()> passwordChanged) {
    frmPassword dialog(parent, std::move(passwordChanged));
    Dialogs().ShowModal(dialog);
}

void frmPassword::Form_Load() {
    cmdPass[0]->setText(GetMessage(7001));
    cmdPass[1]->setText(GetMessage(7002));
    lblPass->setText(GetMessage(7005));
    txtPass->clear();
    for (QWidget* control : findChildren<QWidget*>())
        ui::CopyFont(control, AppFont);
    FitWidthToTexts();
    // Centred once its size is known.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move((area.width() - width()) / 2, (area.height() - height()) / 2);
    }
}

void frmPassword::FitWidthToTexts() {
    // The second button names each step of a password change in turn, and the prompt changes
    // with it: the dialog is as wide as the longest of them needs in the font of the day.
    const QFontMetrics button(cmdPass[1]->font());
    const int buttonMargins = 2 * cmdPass[1]->style()->pixelMetric(QStyle::PM_ButtonMargin) + 4;
    int caption = 0;
    for (const int id : {7001, 7002, 7003, 7004, 7007})
        caption = std::max(caption, button.horizontalAdvance(GetMessage(id)) + buttonMargins);
    const QFontMetrics label(lblPass->font());
    int prompt = 0;
    for (const int id : {7005, 7006, 7008, 7009})
        prompt = std::max(prompt, label.horizontalAdvance(GetMessage(id)));
    // Each button has half the width inside the margins, less the 60 twips between them.
    const int inside = std::max(2 * (caption + ui::ToPixelsX(60)), prompt);
    const int needed = inside + 2 * ui::ToPixelsX(kMargin);
    if (width() < needed) resize(needed, height());
}

void frmPassword::Form_Resize() {
    // The controls stand a margin in from every edge, and the dialog ends a margin below the
    // buttons: its height is that of its client area, with no title bar to allow for.
    const double w = ui::Width(this) - 2 * kMargin;
    Move(lblPass, kMargin, kMargin, w);
    Move(txtPass, kMargin, Top(lblPass) + Height(lblPass), w);
    const double top = Top(txtPass) + Height(txtPass) + 60;
    Move(cmdPass[0], kMargin, top, w / 2 - 60);
    Move(cmdPass[1], kMargin + w / 2, top, w / 2);
    const int height = ui::ToPixelsY(Top(cmdPass[0]) + Height(cmdPass[0]) + kMargin);
    if (height != this->height()) resize(width(), height);
}

void frmPassword::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    Form_Resize();
}

void frmPassword::RetypeEntry() {
    txtPass->selectAll();
    txtPass->setFocus();
}

void frmPassword::cmdPass_Click(int Index) {
    const QString entry = txtPass->text();
    if (Index == 0) {
        if (entry.isEmpty()) {
            reject();
        } else if (entry.toUpper() == UserPassword.toUpper()) {
            PasswordOK = true;
            accept();
        } else {
            Dialogs().MsgBox(GetMessage(7101), vbCritical, GetMessage(7102));
            RetypeEntry();
        }
        return;
    }
    if (Index != 1) return;

    const QString step = cmdPass[1]->text();
    auto moveTo = [this](int prompt, int caption) {
        lblPass->setText(GetMessage(prompt));
        txtPass->clear();
        cmdPass[1]->setText(GetMessage(caption));
        txtPass->setFocus();
    };
    if (step == GetMessage(7002)) {
        moveTo(7006, 7007);
    } else if (step == GetMessage(7007)) {
        if (!entry.isEmpty() && entry.toUpper() == UserPassword.toUpper())
            moveTo(7008, 7003);
        else
            RetypeEntry();
    } else if (step == GetMessage(7003)) {
        if (entry.isEmpty()) return;
        lblPass->setText(GetMessage(7009));
        NewPassword = entry;
        txtPass->clear();
        cmdPass[1]->setText(GetMessage(7004));
        txtPass->setFocus();
    } else if (step == GetMessage(7004)) {
        if (entry == NewPassword && !NewPassword.isEmpty()) {
            Dialogs().MsgBox(GetMessage(7103), vbInformation, GetMessage(7104));
            UserPassword = entry;
            if (passwordChanged_) passwordChanged_();
        } else {
            Dialogs().MsgBox(GetMessage(7105), vbCritical, GetMessage(7104));
            txtPass->clear();
        }
        lblPass->setText(GetMessage(7005));
        cmdPass[1]->setText(GetMessage(7002));
        txtPass->setFocus();
    }
}

}  // namespace qv
