// The link control's events as the download page shows them: lamps, buttons, the automatic
// mode on connect, forwarded texts in the status log, dump progress and port errors.
#include "DownloadPage.h"
#include "UserDialogs.h"
#include "clsInstrument.h"
#include "modGlobals.h"
#include "modMessage.h"

namespace qv {

namespace {

void SetLamp(ui::ShapeControl* lamp, const std::array<int32_t, 3>& colors) {
    lamp->SetBackColor(colors[0]);
    lamp->SetBorderColor(colors[1]);
}

}  // namespace

void DownloadPage::uclQV4170_OnConnect() {
    DownloadHost& h = *host_;
    if (!h.link.Connected()) return;
    AddLogLine(GetMessage(5432), LogColor::Connection);
    SetLamp(shpStatus[1], h.LampGreen);
    // Whatever instrument answers now, the settings held were read over an earlier connection:
    // they are uploaded only after this instrument's have been read.
    if (h.CurInstrument) h.CurInstrument->SetCommFlags(false);
    h.cmdOptionUpdate->setEnabled(false);
    if (AutoLoad) {
        // The link polls again after a power-off the instrument ignored, and finds it still
        // there: that is no new connection. A reconnection while an operation runs does not
        // start a second run either.
        if (ranOnConnection_)
            AddLogLine(GetMessage(9059), LogColor::Failure);
        else
            RunAutomaticMode();
    } else {
        for (size_t i : {size_t{0}, size_t{1}, size_t{8}})
            SetCommandState(i, true);
        FollowInstrumentInformation();
    }
}

void DownloadPage::uclQV4170_ConnectRetry(int16_t RetryCount) {
    AddLogLine(GetMessage(5412, {QString::number(RetryCount)}), LogColor::Progress);
}

void DownloadPage::uclQV4170_InstMessage(const QString& MessageString) {
    AddLogLine(MessageString, LogColor::Forwarded);
}

void DownloadPage::uclQV4170_InterMessage(const QString& MessageString) {
    AddLogLine(MessageString, LogColor::Forwarded);
}

void DownloadPage::uclQV4170_AlarmMessage(const QString& MessageString) {
    // Told while nothing is connected, it is the link giving up its connect polls: the
    // instrument has gone.
    if (!host_->link.Connected()) ranOnConnection_ = false;
    AddLogLine(MessageString, LogColor::Forwarded);
}

void DownloadPage::uclQV4170_DumpMessage(const QString& MessageString) {
    Upload()->lblUpload->setText(MessageString);
}

void DownloadPage::uclQV4170_OnDisConnect() {
    DownloadHost& h = *host_;
    ranOnConnection_ = false;
    ShowPortLamp();
    SetLamp(shpStatus[1], h.LampGray);
    // A command that runs gives its buttons back disabled: the instrument has gone.
    for (size_t i = 0; i < cmdDown.size(); ++i)
        SetCommandState(i, false);
    h.cmdOptionUpdate->setEnabled(false);
    h.InAutoLoadClick = false;
    shpStatus[2]->hide();
    shpStatus[3]->hide();
    lblStatus[8]->hide();
    lblStatus[9]->hide();
}

void DownloadPage::ShowPortLamp() {
    const DownloadHost& h = *host_;
    SetLamp(shpStatus[0], h.link.PortError().isEmpty() ? h.LampGreen : h.LampRed);
}

void DownloadPage::uclQV4170_PortStateChanged() {
    ShowPortLamp();
    const QString cause = host_->link.PortError();
    // Once per cause: the link looks for a missing device every second.
    if (!cause.isEmpty() && cause != portCause_)
        AddLogLine(GetMessage(9101, {cause}), LogColor::Failure);
    portCause_ = cause;
}

void DownloadPage::uclQV4170_SerialLogFailed(const QString& MessageString) {
    AddLogLine(MessageString, LogColor::Failure);
}

void DownloadPage::uclQV4170_IrDAError(int16_t ErrorNumber) {
    if (ErrorNumber != 10060 && ErrorNumber != 10048) return;
    DownloadHost& h = *host_;
    AddLogLine(GetMessage(5371), LogColor::Failure);
    SetLamp(shpStatus[0], h.LampRed);
    SetLamp(shpStatus[1], h.LampGray);
    Dialogs().MsgBox(GetMessage(5371), vbOKOnly, GetMessage(5372));
}

}  // namespace qv
