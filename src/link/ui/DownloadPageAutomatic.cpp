// The automatic mode: an instrument that connects while automatic load is on is downloaded
// completely, optionally erased and switched off; and the two check boxes that turn it on.
#include "DownloadPage.h"
#include "Questions.h"
#include "UserDialogs.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <QScopeGuard>

namespace qv {

void DownloadPage::RunAutomaticMode() {
    if (closing_) return;
    LinkGuard::Claim claim(host_->link.Guard());
    if (!claim) return;
    DownloadHost& h = *host_;
    ranOnConnection_ = true;
    for (QCheckBox* box : chkAutoLoad)
        box->setEnabled(false);
    OperationMode = OpAutomatic;
    // However the mode ends, also by a failure that passes on to be shown, the boxes come back
    // and the progress dialog goes.
    const auto ended = qScopeGuard([&] {
        h.LogTreeChanged = true;
        if (OperationMode != OpAutomatic) return;
        chkAutoLoad[0]->setEnabled(true);
        chkAutoLoad[1]->setEnabled(chkAutoLoad[0]->isChecked());
        UnloadUpload();
        OperationMode = OpIdle;
    });
    Upload()->show();
    AddLogLine(GetMessage(5401), LogColor::AutomaticStart);
    h.link.AddLog(GetMessage(5501, {Now()}));

    bool ok = true;
    for (Step step : ChainSteps()) {
        if (UploadCanceled()) ok = false;
        if (ok) ok = (this->*step)() && ok;
    }
    if (UploadCanceled()) ok = false;

    // The data goes only when its removal was asked for and confirmed: a box ticked while the
    // boxes ignored clicks shows a choice nobody confirmed.
    if (ok && chkAutoLoad[1]->isChecked() && AutoRemoveData) {
        WaitTicks(20);
        if (closing_) {
            ok = false;
        } else if (h.link.BodyDataClear()) {
            AddLogLine(GetMessage(5434), LogColor::Progress);
            h.link.AddLog(GetMessage(5557));
        } else {
            AddLogLine(GetMessage(5435), LogColor::Failure);
            h.link.AddLog(GetMessage(5558));
            ok = false;
        }
    }
    if (UploadCanceled()) ok = false;

    // A window that closes ends the mode with the transfer in progress: it is not held for the
    // power-off and its waits, and the instrument is left on.
    if (!closing_) WaitTicks(20);
    if (closing_) {
        ok = false;
    } else if (h.link.BodyPowerOff()) {
        // The instrument took the power-off: whatever connects next is a new connection.
        ranOnConnection_ = false;
        AddLogLine(GetMessage(5407), LogColor::Progress);
        // Nothing is started afresh for a window that closes.
        if (!closing_) h.StartAfresh();
    } else {
        AddLogLine(GetMessage(5408), LogColor::Failure);
        ok = false;
    }

    if (ok) {
        AddLogLine(GetMessage(5410), LogColor::AutomaticDone);
        h.link.AddLog(GetMessage(5510, {Now()}));
    } else {
        AddLogLine(GetMessage(5411), LogColor::Failure);
        h.link.AddLog(GetMessage(5511, {Now()}));
    }
}

void DownloadPage::chkAutoLoad_Click(int Index) {
    bool& inClick = host_->InAutoLoadClick;
    if (!inClick) return;
    inClick = false;
    QCheckBox* load = chkAutoLoad[0];
    QCheckBox* removal = chkAutoLoad[1];
    const bool wasLoad = AutoLoad;
    const bool wasRemove = AutoRemoveData;
    try {
        if (Index == 0 && load->isChecked()) {
            if (Ask(Question::AutoLoadOn)) {
                AutoLoad = true;
                removal->setEnabled(true);
            } else {
                AutoLoad = false;
                removal->setEnabled(false);
                load->setChecked(false);
            }
        } else if (Index == 0) {
            if (Ask(Question::AutoLoadOff)) {
                AutoLoad = false;
                AutoRemoveData = false;
                removal->setChecked(false);
                removal->setEnabled(false);
            } else {
                AutoLoad = true;
                removal->setEnabled(true);
                load->setChecked(true);
            }
        } else if (Index == 1 && removal->isChecked()) {
            if (Ask(Question::RemoveDataAfterDownload)) {
                AutoRemoveData = true;
            } else {
                AutoRemoveData = false;
                removal->setChecked(false);
            }
        } else if (Index == 1) {
            AutoRemoveData = false;
        }
    } catch (...) {
        // A question that failed changed no setting: the boxes show the settings in force, not
        // the click, and take the next click.
        load->setChecked(AutoLoad);
        removal->setChecked(AutoRemoveData);
        removal->setEnabled(AutoLoad);
        inClick = true;
        throw;
    }
    inClick = true;
    // A choice confirmed holds until the user changes it again: the fresh start after a
    // power-off reads the settings file, which must not put it back.
    if ((AutoLoad != wasLoad || AutoRemoveData != wasRemove) && host_->SettingsChanged)
        host_->SettingsChanged();
}

}  // namespace qv
