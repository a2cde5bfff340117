// The option page's commands: the settings upload with its checks, the instrument's clock set to
// the computer's, the calibration panel opened, the program font and the gas trend colours, the
// EEP-ROM dump into a file and the factory-setting dialog. A transfer that fails is reported as
// failed, and its progress dialog goes whatever became of it.
#include "AppError.h"
#include "AppPaths.h"
#include "Dates.h"
#include "DownloadPage.h"
#include "FontCopy.h"
#include "GridCells.h"
#include "LinkGuard.h"
#include "OptionPage.h"
#include "Questions.h"
#include "Runtime.h"
#include "Twips.h"
#include "UserDialogs.h"
#include "clsInstrument.h"
#include "frmFsDialog.h"
#include "frmUpload.h"
#include "modGasChecks.h"
#include "modGlobals.h"
#include "modLinkText.h"
#include "modMessage.h"
#include "uclQvif.h"

#include <QDir>
#include <QScopeGuard>
#include <optional>

namespace qv {

namespace {

constexpr int32_t kDumpColor = ui::RGB(128, 32, 0);

// A failed transfer: a red status line, the same line in the serial log, and a message box that
// adds the cause when one is known and what the transfer left behind (`left`, also in red). A
// transfer the user cancelled says so, as a download does, and asks for no acknowledgement.
void ReportFailure(SettingsHost& h, const QString& line, const QString& box, const QString& title,
                   const std::optional<QString>& cause, const QStringList& left = {}) {
    const auto leftLines = [&] {
        for (const QString& l : left)
            h.AddLogLine(l, LogColor::Failure);
    };
    if (!cause && h.link.Cancel()) {
        h.AddLogLine(GetMessage(5462), LogColor::Failure);
        leftLines();
        h.link.AddLog(GetMessage(5589, {GeneralDate(rt::Now())}));
        return;
    }
    h.AddLogLine(line, LogColor::Failure);
    leftLines();
    h.link.AddLog(cause ? line + QStringLiteral(" ") + *cause : line);
    QStringList text{box};
    if (cause) text << *cause;
    Dialogs().MsgBox((text + left).join(QStringLiteral("\r\n")), vbCritical, title);
}

// What an upload that did not end left on the instrument, a line for each kind of outcome; none
// when it sent nothing.
QStringList UploadLeft(const uclQvif::UploadReport& r) {
    if (r.written.isEmpty() && r.unanswered.isEmpty() && r.unsent.isEmpty()) return {};
    const QString comma = QStringLiteral(", ");
    QStringList lines{
        GetMessage(9400, {r.written.isEmpty() ? GetMessage(9403) : r.written.join(comma)})};
    if (!r.unanswered.isEmpty()) lines << GetMessage(9401, {r.unanswered.join(comma)});
    if (!r.unsent.isEmpty()) lines << GetMessage(9402, {r.unsent.join(comma)});
    return lines;
}

}  // namespace

bool OptionPage::CommitEntries(const QString& command) {
    return CommitGridEntries(*this, command);
}

void OptionPage::cmdOption_Click(int Index) {
    if (Index >= 0 && Index < static_cast<int>(cmdOption.size()) &&
        !CommitEntries(cmdOption[static_cast<size_t>(Index)]->text()))
        return;
    switch (Index) {
        case 0:
            RunUpload();
            break;
        case 1:
            RunClockSet();
            break;
        case 2:
            OpenCalibration();
            break;
        default:
            break;
    }
}

void OptionPage::cmdOptionDisp_Click(int Index) {
    switch (Index) {
        case 0:
            ChooseProgramFont();
            break;
        case 1:
        case 2:
        case 3:
        case 4:
            ChooseGraphColor(Index);
            break;
        case 5:
            RunRomDump();
            break;
        case 6:
            ShowFactorySetting();
            break;
        default:
            break;
    }
}

bool OptionPage::RefusedWhileBusy(const QString& title) const {
    if (!host_->link.Guard().Busy()) return false;
    Dialogs().MsgBox(GetMessage(5367), vbInformation, title);
    return true;
}

// ---- Upload and clock ----

void OptionPage::RunUpload() {
    SettingsHost& h = *host_;
    if (RefusedWhileBusy(cmdOption[0]->text())) return;
    // What the identity fields show is what goes out, also from a field that still has the focus.
    CommitIdentityFields();
    const clsInstrument& in = *h.CurInstrument;
    // Gases 1 to 4 only: gas 5 has no level order of its own to keep. Levels as the instrument
    // holds them are its own: only a changed one is judged.
    for (int c = 0; c < 4; ++c) {
        if (!AlarmOrderJudged(in, c) || IsAlarmOrderValid(in, c)) continue;
        Dialogs().MsgBox(GetMessage(5361), vbQuestion, GetMessage(5362));
        return;
    }
    bool sensor = false;
    for (int c = 0; c < 4; ++c)
        sensor = sensor || in.GasEnabled(c);
    if (!sensor) {
        Dialogs().MsgBox(GetMessage(5365), vbQuestion, GetMessage(5366));
        return;
    }
    if (ServiceMode && !GasComb[static_cast<size_t>(MakeGasEnableMask(in))]) {
        Dialogs().MsgBox(GetMessage(5369), vbQuestion, GetMessage(5370));
        return;
    }
    // A level goes out with all five channels': one that would reach the instrument changed
    // stops the whole upload before anything is sent.
    if (const std::optional<int> gas = UnwritableChannel(in)) {
        Dialogs().MsgBox(GetMessage(9201, {QString::number(*gas + 1)}), vbExclamation,
                         GetMessage(5310));
        return;
    }
    if (const std::optional<int> gas = UnwritableGasList(in)) {
        Dialogs().MsgBox(GetMessage(9202, {QString::number(*gas + 1)}), vbExclamation,
                         GetMessage(5310));
        return;
    }
    if (!Ask(Question::UploadSettings)) return;
    Transfer([&h] { return h.link.SetInstrument(h.CurInstrument); },
             [&h] { return UploadLeft(h.link.LastUpload()); });
}

void OptionPage::RunClockSet() {
    SettingsHost& h = *host_;
    if (RefusedWhileBusy(cmdOption[1]->text())) return;
    if (!Ask(Question::UploadSettings)) return;
    Transfer([&h] {
        if (!h.link.SetDateTime(rt::Now())) return false;
        // Only a clock the instrument took is shown equal to the computer's.
        h.CurInstrument->SetSysDateOffset(rt::ZeroDate());
        return true;
    });
}

void OptionPage::Transfer(const std::function<bool()>& send,
                          const std::function<QStringList()>& left) {
    SettingsHost& h = *host_;
    // The link may have been taken while the user was asked.
    LinkGuard::Claim claim(h.link.Guard());
    if (!claim) {
        Dialogs().MsgBox(GetMessage(5367), vbInformation, GetMessage(5312));
        return;
    }
    frmUpload* progress = h.Upload();
    const auto unload = qScopeGuard([&h] { h.UnloadUpload(); });
    progress->lblUpload->setText(GetMessage(6001));
    progress->setWindowTitle(GetMessage(6057));
    progress->show();
    h.link.AddLog(GetMessage(5535, {GeneralDate(rt::Now())}));
    h.AddLogLine(GetMessage(5428), LogColor::Progress);
    bool ok = false;
    const std::optional<QString> failure = FailureOf([&] { ok = send(); });
    if (!ok) {
        h.UnloadUpload();
        ReportFailure(h, GetMessage(5463), GetMessage(5373), GetMessage(5312), failure,
                      left ? left() : QStringList());
        return;
    }
    h.AddLogLine(GetMessage(5429), LogColor::Progress);
    h.UnloadUpload();
    Dialogs().MsgBox(GetMessage(5311), vbInformation, GetMessage(5312));
}

void OptionPage::OpenCalibration() {
    SettingsHost& h = *host_;
    if (RefusedWhileBusy(cmdOption[2]->text())) return;
    // Held while the pump is switched on, so no other command starts inside that exchange.
    LinkGuard::Claim claim(h.link.Guard());
    if (!claim) return;
    ShowCalibrationGrid();
    ShowCalibrationPanel(true);
    h.CalibMode = true;
    h.link.SetRunDensty(true);
    // The pump's answer is not judged: the live readings show what the instrument does.
    h.link.SetPump(true);
}

// ---- Font and colours ----

QString OptionPage::FontCaption(const QFont& font) {
    return font.family() + u'(' + rt::DoubleText(font.pointSizeF()) + u')';
}

void OptionPage::ChooseProgramFont() {
    // Always offered from the program's font setting: the font last chosen, or the one read.
    const QFont preset = ui::MakeFont(AppFont);
    // A cancelled dialog changes nothing: neither the button nor the setting.
    const std::optional<QFont> answer = Dialogs().ChooseFont(preset);
    if (!answer) return;
    const QFont& chosen = *answer;
    QPushButton* button = cmdOptionDisp[0];
    QFont font = button->font();
    font.setFamily(chosen.family());
    font.setPointSizeF(chosen.pointSizeF() > 0 ? chosen.pointSizeF() : preset.pointSizeF());
    font.setBold(chosen.bold());
    font.setItalic(chosen.italic());
    font.setUnderline(chosen.underline());
    button->setFont(font);
    button->setText(FontCaption(font));
    // The choice is the program's font from now on, and is kept at once: the windows take it at
    // the next start, which may follow a power-off or an end without a close.
    ui::TakeFont(AppFont, font);
    if (host_->SettingsChanged) host_->SettingsChanged();
}

void OptionPage::ChooseGraphColor(int Index) {
    QPushButton* button = cmdOptionDisp[static_cast<size_t>(Index)];
    const int32_t preset = ui::BackColor(button);
    const int32_t color = Dialogs().ChooseColor(preset).value_or(preset);
    ui::SetBackColor(button, color);
    if (host_->SetGraphColor) host_->SetGraphColor(Index - 1, color);
    // Every trend graph built from now on takes it, and it is kept at once.
    GraphColor[static_cast<size_t>(Index - 1)] = color;
    if (host_->SettingsChanged) host_->SettingsChanged();
}

// ---- Maintenance ----

void OptionPage::RunRomDump() {
    SettingsHost& h = *host_;
    // Not while live readings, a calibration or any other operation use the link.
    const auto refused = [&h] {
        if (!h.link.RunDensty() && OperationMode == OpIdle && !h.link.Guard().Busy()) return false;
        Dialogs().MsgBox(GetMessage(5367), vbInformation, GetMessage(5368));
        return true;
    };
    if (refused()) return;
    if (!Ask(Question::DumpToFile)) return;
    if (refused()) return;
    LinkGuard::Claim claim(h.link.Guard());

    frmUpload* progress = h.Upload();
    const auto unload = qScopeGuard([&h] { h.UnloadUpload(); });
    progress->setWindowTitle(GetMessage(6018));
    progress->lblUpload->setText(GetMessage(5445));
    progress->show();
    h.AddLogLine(GetMessage(5445), kDumpColor);
    const QDateTime start = rt::Now();
    h.link.AddLog(GetMessage(5569, {GeneralDate(start)}));
    const QString path = QDir::toNativeSeparators(ProgramFile(QStringLiteral("Dump.dat")));
    bool ok = false;
    const std::optional<QString> failure = FailureOf([&] { ok = h.link.GetRomDump(path); });
    h.UnloadUpload();
    if (!ok) {
        QString cause = failure.value_or(GetMessage(h.link.Cancel() ? 9043 : 9042));
        // A file error names the file itself; the line names it once.
        const QString named = path + QStringLiteral(": ");
        if (cause.startsWith(named)) cause.remove(0, named.size());
        ReportFailure(h, GetMessage(5464), GetMessage(5464), GetMessage(6018), failure);
        // No list replaced the one before: the line says which file, and why.
        h.AddLogLine(GetMessage(9041, {path, cause}), LogColor::Failure);
        return;
    }
    h.link.AddLog(GetMessage(5570, {GeneralDate(rt::Now()), ElapsedText(start)}));
    h.AddLogLine(GetMessage(5446), kDumpColor);
    h.AddLogLine(GetMessage(9040, {path}), kDumpColor);
}

void OptionPage::ShowFactorySetting() {
    // The dialog edits the settings that a running download fills and an upload sends.
    if (RefusedWhileBusy(cmdOptionDisp[6]->text())) return;
    frmFsDialog dialog(window());
    dialog.SetInstrument(host_->CurInstrument);
    // The grid shows what the dialog left, whatever way it was closed; nothing is sent here.
    try {
        dialog.ShowModal();
    } catch (...) {
        ShowOptionGrid();
        throw;
    }
    ShowOptionGrid();
}

}  // namespace qv
