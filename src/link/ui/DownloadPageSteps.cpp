// The download steps of the download page: one kind of data from the instrument into the
// database, reported in the status log and the serial log.
#include "AppError.h"
#include "Dates.h"
#include "DownloadPage.h"
#include "Runtime.h"
#include "clsAlarm.h"
#include "clsAlarmEvent.h"
#include "clsAlarmEvents.h"
#include "clsAlarms.h"
#include "clsHistory.h"
#include "clsHistorys.h"
#include "clsInstrument.h"
#include "clsInterval.h"
#include "clsIntervals.h"
#include "clsPowerEvent.h"
#include "clsPowerEvents.h"
#include "clsTroubleEvent.h"
#include "clsTroubleEvents.h"
#include "modGlobals.h"
#include "modLinkText.h"
#include "modMessage.h"

namespace qv {

template <class List, class Get>
bool DownloadPage::DownloadKind(const StepTexts& t, std::shared_ptr<List>& list, Get get) {
    DownloadHost& h = *host_;
    if (!h.link.Connected()) {
        AddLogLine(GetMessage(t.noResponse), LogColor::Failure);
        h.link.AddLog(GetMessage(t.serialNoResponse, {Now()}));
        return false;
    }
    // Every log is stored with the information of the instrument it came from: after a read of
    // it that failed or was cancelled, what is held is cleared or another instrument's.
    if (!InformationHeld()) {
        AddLogLine(GetMessage(9053), LogColor::Failure);
        h.link.AddLog(GetMessage(9053));
        return false;
    }
    AddLogLine(GetMessage(t.start), LogColor::Progress);
    h.link.AddLog(GetMessage(t.serialStart, {Now()}));
    const QDateTime started = rt::Now();
    if (!list) list = std::make_shared<List>();
    const bool done = (h.link.*get)(list);
    h.LogTreeChanged = true;
    if (!done) {
        if (h.link.Cancel())
            ReportCancelled();
        else
            ReportFailed(t, list->FailLine(), ElapsedText(started));
        return false;
    }
    int closing = t.noData;
    int32_t color = LogColor::NoData;
    if (list->Count() >= 1) {
        AddLogLine(GetMessage(t.update), LogColor::Progress);
        try {
            // A download's events are stored together, a trend in a transaction of its own:
            // whatever a failure part-way leaves stored is skipped as stored next time.
            list->UpdateAll(h.CurInstrument);
        } catch (const std::exception& e) {
            TellLogsStored();
            AddLogLine(ErrorText(e), LogColor::Failure);
            ReportFailed(t, ErrorText(e), ElapsedText(started));
            return false;
        }
        TellLogsStored();
        closing = t.complete;
        color = LogColor::Progress;
    }
    AddLogLine(GetMessage(closing), color);
    h.link.AddLog(GetMessage(t.serialFinished, {Now(), ElapsedText(started)}));
    return true;
}

void DownloadPage::TellLogsStored() {
    if (host_->LogsStored) host_->LogsStored();
}

void DownloadPage::ReportFailed(const StepTexts& t, const QString& failLine,
                                const QString& elapsed) {
    DownloadLink& link = host_->link;
    AddLogLine(GetMessage(t.failed), LogColor::Failure);
    link.AddLog(GetMessage(t.serialFailHeader));
    // A transfer that ended because the device went away names that cause.
    link.AddLog((failLine.isEmpty() ? link.PortError() : failLine) + QStringLiteral("\r\n"));
    link.AddLog(GetMessage(t.serialFailed, {Now(), elapsed}));
}

void DownloadPage::ReportCancelled() {
    AddLogLine(GetMessage(5462), LogColor::Failure);
    host_->link.AddLog(GetMessage(5589, {Now()}));
}

bool DownloadPage::DownloadIntervalTrend() {
    static constexpr StepTexts t{5418, 5419, 5420, 5443, 5421, 5422, 5523, 5525, 5526, 5527, 5528};
    return DownloadKind(t, host_->IntervalList, &DownloadLink::GetInterval);
}

bool DownloadPage::DownloadAlarmTrend() {
    static constexpr StepTexts t{5423, 5424, 5425, 5444, 5426, 5427, 5530, 5531, 5532, 5533, 5534};
    return DownloadKind(t, host_->AlarmList, &DownloadLink::GetAlarm);
}

bool DownloadPage::DownloadAlarmEvents() {
    static constexpr StepTexts t{5447, 5448, 5449, 5451, 5450, 5427, 5571, 5573, 5574, 5575, 5576};
    return DownloadKind(t, host_->AlarmEventList, &DownloadLink::GetAlarmEvent);
}

bool DownloadPage::DownloadTroubleEvents() {
    static constexpr StepTexts t{5452, 5453, 5454, 5456, 5455, 5427, 5577, 5579, 5580, 5581, 5582};
    return DownloadKind(t, host_->TroubleEventList, &DownloadLink::GetTroubleEvent);
}

bool DownloadPage::DownloadPowerEvents() {
    static constexpr StepTexts t{5457, 5458, 5459, 5461, 5460, 5427, 5583, 5585, 5586, 5587, 5588};
    return DownloadKind(t, host_->PowerEventList, &DownloadLink::GetPowerEvent);
}

bool DownloadPage::DownloadInstrument() {
    static constexpr StepTexts t{5414, 0, 5415, 0, 5416, 5417, 5517, 5519, 5520, 5521, 5522};
    DownloadHost& h = *host_;
    if (!h.link.Connected()) {
        AddLogLine(GetMessage(t.noResponse), LogColor::Failure);
        h.link.AddLog(GetMessage(t.serialNoResponse, {Now()}));
        return false;
    }
    AddLogLine(GetMessage(t.start), LogColor::Progress);
    h.link.AddLog(GetMessage(t.serialStart, {Now()}));
    const QDateTime started = rt::Now();
    if (!h.CurInstrument) h.CurInstrument = std::make_shared<clsInstrument>();
    clsInstrument& inst = *h.CurInstrument;
    if (!h.link.GetInstrument(h.CurInstrument)) {
        if (h.link.Cancel())
            ReportCancelled();
        else
            ReportFailed(t, inst.FailLine(), ElapsedText(started));
        return false;
    }
    inst.SetCommFlags(true);
    if (h.RefreshInstrumentViews) h.RefreshInstrumentViews();
    // The calibrations are part of the step: when any of them did not arrive the step has
    // failed, so that a chain stops and automatic mode erases nothing not yet stored.
    bool calibrations = h.link.GetLatestHistory(h.CurInstrument);
    QString failLine = inst.FailLine();
    if (calibrations) {
        try {
            if (!inst.HistoryUpdate())
                throw AppError(ErrFileNotFound, DatabasePath + QStringLiteral(": not found"));
            if (!h.HistoryList) h.HistoryList = std::make_shared<clsHistorys>();
            h.HistoryList->SetInstruments(h.CurInstrument);
            calibrations = h.link.GetHistory(h.HistoryList);
            failLine = h.HistoryList->FailLine();
            // Every history held is stored, even when a channel's transfer failed: a later
            // download fills in what is missing.
            for (int32_t i = 1; i <= h.HistoryList->Count(); ++i) {
                auto item = h.HistoryList->Item(static_cast<int>(i));
                item->SetInstrument(h.CurInstrument);
                item->HistoryUpdate();
            }
        } catch (const std::exception& e) {
            TellLogsStored();
            AddLogLine(ErrorText(e), LogColor::Failure);
            ReportFailed(t, ErrorText(e), ElapsedText(started));
            return false;
        }
        TellLogsStored();
    }
    ListAdcValues();
    if (!calibrations) {
        if (h.link.Cancel())
            ReportCancelled();
        else
            ReportFailed(t, failLine, ElapsedText(started));
        return false;
    }
    AddLogLine(GetMessage(t.complete), LogColor::Progress);
    h.link.AddLog(GetMessage(t.serialFinished, {Now(), ElapsedText(started)}));
    return true;
}

void DownloadPage::ListAdcValues() {
    if (!ServiceMode) return;
    static const std::array<const char*, 8> kNames{"ch0 CH4 AMP", "ch1 O2 AMP", "ch2 CO AMP",
                                                   "ch3 H2S AMP", "ch4 HC TRB", "ch5 BATT.",
                                                   "ch6 TEMP",    "ch7 FLOW"};
    AddLogLine(QStringLiteral("QV-4170 Analog to Digital Converter Values List"),
               LogColor::AdcList);
    const clsInstrument& inst = *host_->CurInstrument;
    for (int i = 0; i < 8; ++i)
        AddLogLine(QString::fromLatin1(kNames[static_cast<size_t>(i)]) + QStringLiteral("\t: ") +
                       rt::Format(inst.AnalogValue(i) / 1000.0, QStringLiteral("0.000")) + u'V',
                   LogColor::AdcList);
}

}  // namespace qv
