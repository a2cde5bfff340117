// The download page's command buttons: single downloads, the complete download chain, clearing
// the instrument's data and switching it off, with the buttons disabled and given back around
// each command.
#include "DownloadPage.h"
#include "FocusKeeper.h"
#include "Questions.h"
#include "UserDialogs.h"
#include "clsInstrument.h"
#include "modGasChecks.h"
#include "modGlobals.h"
#include "modMessage.h"

namespace qv {

void DownloadPage::cmdDown_Click(int Index) {
    if (Index < 0 || Index >= static_cast<int>(cmdDown.size())) return;
    // One operation at a time: a click that reaches a running operation (a button enabled by
    // a reconnection, a call from code) starts nothing.
    if (closing_) return;
    LinkGuard::Claim claim(host_->link.Guard());
    if (!claim) return;
    // The buttons are disabled while the command runs; the keys come back to the one pressed.
    const ui::FocusKeeper focus(*this);
    const int16_t mode = OperationMode;
    try {
        switch (Index) {
            case 0:
                RunCompleteChain();
                break;
            case 7:
                ClearData();
                break;
            case 8:
                PowerOff();
                break;
            default:
                RunSingleDownload(Index);
                break;
        }
    } catch (...) {
        // A command that fails part-way gives back what it took, so that the page works on
        // once its failure has been shown: the buttons as they were, the exit button, no
        // progress dialog, the operation mode it found.
        if (saved_) RestoreCommands();
        host_->cmdInstExit->setEnabled(true);
        UnloadUpload();
        OperationMode = mode;
        saved_ = false;
        throw;
    }
    saved_ = false;
}

void DownloadPage::DisableCommands() {
    DownloadHost& h = *host_;
    savedSet_ = h.cmdInstSet->isEnabled();
    h.cmdInstSet->setEnabled(false);
    for (size_t i = 0; i < cmdDown.size(); ++i) {
        savedDown_[i] = cmdDown[i]->isEnabled();
        cmdDown[i]->setEnabled(false);
    }
    saved_ = true;
    for (QCheckBox* box : chkAutoLoad)
        box->setEnabled(false);
}

void DownloadPage::RestoreCommands() {
    host_->cmdInstSet->setEnabled(savedSet_);
    for (size_t i = 0; i < cmdDown.size(); ++i)
        cmdDown[i]->setEnabled(savedDown_[i]);
    // A command that failed to read the instrument's information (or lost it) does not give
    // back the buttons that an earlier read had enabled.
    FollowInstrumentInformation();
    chkAutoLoad[0]->setEnabled(true);
    chkAutoLoad[1]->setEnabled(chkAutoLoad[0]->isChecked());
}

bool DownloadPage::InformationHeld() const {
    return host_->CurInstrument && host_->CurInstrument->CommFlags();
}

void DownloadPage::FollowInstrumentInformation() {
    if (InformationHeld()) return;
    // The five single downloads and Clear Data.
    for (size_t i = 2; i <= 7; ++i)
        SetCommandState(i, false);
}

void DownloadPage::EnableEveryCommand() {
    savedSet_ = true;
    savedDown_.fill(true);
    RestoreCommands();
}

void DownloadPage::SetCommandState(size_t index, bool enabled) {
    // While a command runs the button stays disabled; it gets the new state afterwards.
    if (saved_) {
        savedDown_[index] = enabled;
        if (enabled) return;
    }
    cmdDown[index]->setEnabled(enabled);
}

void DownloadPage::ShowDownloadProgress() {
    frmUpload* dialog = Upload();
    dialog->setWindowTitle(GetMessage(6056));
    dialog->show();
}

void DownloadPage::RunSingleDownload(int Index) {
    DisableCommands();
    // The instrument information leaves the operation mode as it is.
    if (Index != 1) OperationMode = OpSingleDownload;
    ShowDownloadProgress();
    bool ok = false;
    switch (Index) {
        case 1:
            ok = DownloadInstrument();
            break;
        case 2:
            DownloadIntervalTrend();
            break;
        case 3:
            DownloadAlarmTrend();
            break;
        case 4:
            DownloadAlarmEvents();
            break;
        case 5:
            DownloadTroubleEvents();
            break;
        case 6:
            DownloadPowerEvents();
            break;
    }
    if (Index == 1 && ok)
        EnableEveryCommand();
    else
        RestoreCommands();
    UnloadUpload();
    if (Index != 1) OperationMode = OpIdle;
}

// The downloads of the complete chain and of automatic mode, in order; power events only in
// service mode.
std::vector<DownloadPage::Step> DownloadPage::ChainSteps() {
    std::vector<Step> steps{&DownloadPage::DownloadInstrument, &DownloadPage::DownloadIntervalTrend,
                            &DownloadPage::DownloadAlarmTrend, &DownloadPage::DownloadAlarmEvents,
                            &DownloadPage::DownloadTroubleEvents};
    if (ServiceMode) steps.push_back(&DownloadPage::DownloadPowerEvents);
    return steps;
}

void DownloadPage::RunCompleteChain() {
    DisableCommands();
    OperationMode = OpCompleteDownload;
    ShowDownloadProgress();
    host_->link.AddLog(GetMessage(5554, {Now()}));
    bool ok = true;
    for (Step step : ChainSteps()) {
        if (ok) ok = (this->*step)();
        if (UploadCanceled()) {
            EndChainOnCancel();
            ok = false;
        }
    }
    if (ok) {
        EnableEveryCommand();
        host_->link.AddLog(GetMessage(5555, {Now()}));
        host_->LogTreeChanged = true;
    } else {
        RestoreCommands();
    }
    UnloadUpload();
    OperationMode = OpIdle;
}

void DownloadPage::EndChainOnCancel() {
    host_->link.AddLog(GetMessage(5555, {Now()}));
    host_->LogTreeChanged = true;
    UnloadUpload();
    OperationMode = OpIdle;
    RestoreCommands();
}

void DownloadPage::ClearData() {
    DownloadHost& h = *host_;
    const clsInstrument* inst = h.CurInstrument.get();
    const auto enabled = [inst](int i) { return inst && inst->GasEnabled(i); };
    const int mask = MakeGasEnableMask(enabled(0), enabled(1), enabled(2), enabled(3), enabled(4));
    if (!GasComb[static_cast<size_t>(mask)] && ServiceMode) {
        Dialogs().MsgBox(GetMessage(5369), vbQuestion | vbOKOnly, GetMessage(5370));
        return;
    }
    DisableCommands();
    if (!Ask(Question::ClearInstrumentData)) {
        RestoreCommands();
        return;
    }
    if (!h.link.Connected()) {
        AddLogLine(GetMessage(5436), LogColor::Failure);
        h.link.AddLog(GetMessage(5559));
    } else {
        AddLogLine(GetMessage(5433), LogColor::Progress);
        if (h.link.BodyDataClear()) {
            AddLogLine(GetMessage(5434), LogColor::Progress);
            h.link.AddLog(GetMessage(5557));
        } else {
            AddLogLine(GetMessage(5435), LogColor::Failure);
            h.link.AddLog(GetMessage(5559));
        }
    }
    RestoreCommands();
}

void DownloadPage::PowerOff() {
    DownloadHost& h = *host_;
    DisableCommands();
    if (!Ask(Question::PowerOff)) {
        RestoreCommands();
        return;
    }
    if (!h.link.Connected()) {
        AddLogLine(GetMessage(5409), LogColor::Failure);
        RestoreCommands();
        return;
    }
    h.cmdInstExit->setEnabled(false);
    AddLogLine(GetMessage(5406), LogColor::Progress);
    if (h.link.BodyPowerOff()) {
        AddLogLine(GetMessage(5407), LogColor::Progress);
        // The buttons stay as the start-up defaults leave them until the next connection;
        // nothing is started afresh for a window that closes.
        saved_ = false;
        if (!closing_) h.StartAfresh();
    } else {
        AddLogLine(GetMessage(5408), LogColor::Failure);
        RestoreCommands();
    }
    h.cmdInstExit->setEnabled(true);
}

}  // namespace qv
