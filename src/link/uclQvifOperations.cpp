// The long operations of the link control: block downloads, the instrument read table, the
// settings upload, instrument commands and calibration, and the EEP-ROM dump. Each sends its
// request and waits, yielding to the event loop, until the receive path ends the exchange.
#include "AppError.h"
#include "Dates.h"
#include "Frames.h"
#include "Runtime.h"
#include "clsAlarmEvents.h"
#include "clsAlarms.h"
#include "clsHistorys.h"
#include "clsInstrument.h"
#include "clsIntervals.h"
#include "clsPowerEvents.h"
#include "clsTroubleEvents.h"
#include "modGasChecks.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modLinkText.h"
#include "modMessage.h"
#include "uclQvif.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QScopeGuard>

namespace qv {

namespace {

// The command polls have no end of their own: an instrument that keeps answering "not yet"
// would hold the program for ever. Erasing a full memory and a calibration take well under
// these limits (link-timer ticks of 100 ms).
constexpr int64_t kClearPollTicks = 3 * 60 * 10;
constexpr int64_t kCalibrationPollTicks = 5 * 60 * 10;

// The read table: the request of each entry in the order sent; the last one ("AT") goes only to
// an instrument whose ROM number exceeds AtCommandVersion.
constexpr const char* kReadTable[] = {"VP,R,", "XZ,R,", "XS,R,", "IN,R,", "HN,R,", "HC,R,", "LP,R,",
                                      "AP,R,", "XP,R,", "XI,R,", "SD,R,", "SM,R,", "SC,R,", "XL,R,",
                                      "XA,R,", "XB,R,", "XW,R,", "XT,R,", "UL,R,", "HF,R,", "DD,R,",
                                      "A1,R,", "A2,R,", "AS,R,", "AW,R,", "HA,R,", "VS,R,", "GJ,R,",
                                      "SA,R,", "UZ,R,", "AT,R,"};
constexpr int kReadTableSize = sizeof kReadTable / sizeof kReadTable[0];

// Raises the progress text that a collection or instrument left, once, and empties it.
template <class Holder, class Raise>
void Relay(Holder& holder, Raise raise) {
    if (holder.MessageString().isEmpty()) return;
    const QString text = holder.MessageString();
    holder.SetMessageString(QString());
    raise(text);
}

// Value formats of the settings upload.
QByteArray Text(const QString& value, int width) {
    return rt::PadCut(value, width).toLatin1();
}
QByteArray Dec(int16_t value) {
    return QByteArray::number(value);
}
QByteArray Flag(bool value) {
    return value ? "1" : "0";
}
QByteArray Hex(int16_t value, int digits) {
    const QByteArray hex = QByteArray::number(static_cast<uint16_t>(value), 16).toUpper();
    return hex.rightJustified(digits, '0').right(digits);
}
bool AnyChannel(const clsInstrument& in, bool (clsInstrument::*flag)(int) const) {
    for (int ch = 0; ch < 5; ++ch)
        if ((in.*flag)(ch)) return true;
    return false;
}
// One write of the upload, and what the instrument holds once it has ended: a write that
// carries all five channels' fields keeps them as the instrument's own.
struct Write {
    QByteArray payload;
    std::function<void(clsInstrument&, bool answered)> held;
};

// The five channels' values of one per-gas setting: each as it was read while nobody changed
// it, also that of a channel that is switched off; a changed one in its channel's decimal
// places. A value that cannot be written so stops the upload before the setting is sent.
Write Levels(const clsInstrument& in, const ChannelSetting& setting) {
    const GasLevel kind = setting.kind;
    QStringList fields;
    for (int ch = 0; ch < 5; ++ch) {
        const std::optional<QString> field = LevelField(in, ch, kind);
        if (!field) throw AppError(ErrInvalidCall, GetMessage(9201, {QString::number(ch + 1)}));
        fields << *field;
    }
    return {setting.write + fields.join(u',').toLatin1(),
            [fields, kind](clsInstrument& i, bool answered) {
                for (int ch = 0; ch < 5; ++ch)
                    i.NoteLevelWrite(ch, kind, fields[ch], answered);
            }};
}
// Judged only when it is sent: an entry that cannot be written must not stop an upload of
// other settings.
Write GasList(const clsInstrument& in) {
    QByteArray mask;
    QStringList fields;
    for (int ch = 0; ch < 5; ++ch) {
        const std::optional<GasListEntry> entry = GasEntry(in, ch);
        if (!entry) throw AppError(ErrInvalidCall, GetMessage(9202, {QString::number(ch + 1)}));
        mask += Flag(entry->enabled);
        fields << entry->field;
    }
    return {"GJ,W," + mask + ',' + fields.join(u',').toLatin1(),
            [fields](clsInstrument& i, bool answered) {
                for (int ch = 0; ch < 5; ++ch)
                    i.NoteGasEntryWrite(ch, fields[ch], answered);
            }};
}

// The name the user knows each setting of the upload by, by command code; a command that
// carries all five channels names each gas whose setting was edited.
struct SettingName {
    const char* code;
    int16_t message;
    bool (clsInstrument::*channelFlag)(int) const;
};
const SettingName kSettingNames[] = {
    {"XZ", 9410, nullptr},
    {"XS", 9411, nullptr},
    {"IN", 9412, nullptr},
    {"HN", 9413, nullptr},
    {"GJ", 9414, &clsInstrument::Change_GasEnable},
    {"LP", 9415, nullptr},
    {"AP", 9416, nullptr},
    {"XI", 9417, nullptr},
    {"SD", 9418, nullptr},
    {"SM", 9419, nullptr},
    {"XL", 9420, nullptr},
    {"XA", 9421, nullptr},
    {"XB", 9422, nullptr},
    {"XW", 9423, nullptr},
    {"XT", 9424, nullptr},
    {"UL", 9425, nullptr},
    {"HF", 9426, nullptr},
    {"AT", 9427, nullptr},
    {"A1", 9428, &clsInstrument::Change_Warn},
    {"A2", 9429, &clsInstrument::Change_Alarm},
    {"AS", 9430, &clsInstrument::Change_Stel},
    {"AW", 9431, &clsInstrument::Change_Twa},
    {"SA", 9432, &clsInstrument::Change_AutoCal},
    {"SC", 9433, nullptr},
    {"XP", 9434, nullptr},
    {"UZ", 9435, &clsInstrument::Change_Zero},
    {"DW", 9436, nullptr},
};

QStringList SettingNames(const clsInstrument& in, const QByteArray& payload) {
    const QByteArray code = payload.left(2);
    for (const SettingName& s : kSettingNames) {
        if (code != s.code) continue;
        if (!s.channelFlag) return {GetMessage(s.message)};
        QStringList names;
        for (int ch = 0; ch < 5; ++ch)
            if ((in.*s.channelFlag)(ch)) names << GetMessage(s.message, {QString::number(ch + 1)});
        return names;
    }
    // Every command of the upload has its name; any other goes by its code.
    return {QString::fromLatin1(payload.left(5))};
}

}  // namespace

// ---- The exchange every operation is made of ----

int32_t uclQvif::Exchange(int32_t busy, const QByteArray& payload,
                          const std::function<void()>& turn) {
    status_ = busy;
    DataSend(frames::MakeFrame(payload, frames::EOT), true);
    // The turn runs before every check of the status, so a text the last block left is raised.
    WaitWhile([&] {
        if (turn) turn();
        // Without a connection the link timer neither times the reply out nor asks again, so
        // nothing would ever end the wait.
        if (status_ == busy && linkState_ == LinkNotConnected) status_ = StatusFailed;
        // Closing, nobody waits for the data that would carry the cancel.
        if (status_ == busy && closing_ && cancel_) status_ = StatusCancelled;
        return status_ == busy;
    });
    return status_;
}

bool uclQvif::PollCommand(const QByteArray& payload, const std::function<bool()>& done,
                          int64_t limitTicks) {
    const int64_t last = linkTicks_ + limitTicks;
    const auto overTime = [&] {
        if (linkTicks_ >= last && status_ == StatusWriteCommand) status_ = StatusFailed;
    };
    for (;;) {
        if (Exchange(StatusWriteCommand, payload, overTime) != StatusCompleted) return false;
        if (done()) return true;
        if (linkTicks_ >= last) {
            status_ = StatusFailed;
            return false;
        }
    }
}

// ---- Block downloads ----

template <class Collection>
bool uclQvif::DownloadInto(std::shared_ptr<Collection>& holder,
                           const std::shared_ptr<Collection>& obj, const char* payload,
                           void (uclQvif::*message)(const QString&)) {
    const Operation op(*this);
    if (!obj) return false;
    holder = obj;
    obj->Clear();
    obj->SetFailLine(QString());
    const auto relay = [&] { Relay(*obj, [&](const QString& t) { emit(this->*message)(t); }); };
    if (Exchange(StatusBlockDownload, payload, relay) == StatusCompleted) return true;
    status_ = StatusReady;
    return false;
}

bool uclQvif::GetInterval(const std::shared_ptr<clsIntervals>& iObj) {
    return DownloadInto(intervals_, iObj, "DR,R,", &uclQvif::InterMessage);
}

bool uclQvif::GetAlarm(const std::shared_ptr<clsAlarms>& aObj) {
    return DownloadInto(alarms_, aObj, "DJ,R,", &uclQvif::AlarmMessage);
}

bool uclQvif::GetAlarmEvent(const std::shared_ptr<clsAlarmEvents>& aObj) {
    return DownloadInto(alarmEvents_, aObj, "VE,R,", &uclQvif::AlarmMessage);
}

bool uclQvif::GetTroubleEvent(const std::shared_ptr<clsTroubleEvents>& aObj) {
    return DownloadInto(troubleEvents_, aObj, "TV,R,", &uclQvif::AlarmMessage);
}

bool uclQvif::GetPowerEvent(const std::shared_ptr<clsPowerEvents>& aObj) {
    return DownloadInto(powerEvents_, aObj, "DO,R,", &uclQvif::AlarmMessage);
}

bool uclQvif::GetHistory(const std::shared_ptr<clsHistorys>& iObj) {
    const Operation op(*this);
    if (!iObj) return false;
    history_ = iObj;
    iObj->Clear();
    iObj->SetFailLine(QString());
    const auto relay = [&] { Relay(*iObj, [this](const QString& t) { emit InterMessage(t); }); };
    bool result = true;
    bool cancelled = false;
    QStringList missing;
    // Every channel is asked for, whatever became of the one before, until the user cancels:
    // the channels still to come are then not asked for, so a cancel ends the whole download at
    // once however silent the instrument is. The channels completed before it are kept.
    for (historyChannel_ = 0; historyChannel_ <= 4; ++historyChannel_) {
        const bool abandoned = cancelled || cancel_;
        const QByteArray request = "IH,R," + QByteArray::number(historyChannel_ + 1) + ',';
        const int32_t end =
            abandoned ? StatusCancelled : Exchange(StatusBlockDownload, request, relay);
        if (end != StatusCompleted) {
            status_ = StatusReady;
            result = false;
            cancelled = cancelled || end == StatusCancelled;
            // The fail line names every channel that did not arrive.
            missing << GetMessage(9100, {QString::number(historyChannel_ + 1)});
        }
    }
    iObj->SetFailLine(missing.join(QStringLiteral("\r\n")));
    // The caller tells a cancelled download from a failed one by Cancel.
    cancel_ = cancelled;
    return result;
}

bool uclQvif::GetLatestHistory(const std::shared_ptr<clsInstrument>& iObj) {
    const Operation op(*this);
    if (!iObj) return false;
    instrument_ = iObj;
    const auto relay = [&] { Relay(*iObj, [this](const QString& t) { emit InterMessage(t); }); };
    if (Exchange(StatusReadCommand, "SO,R,", relay) == StatusCompleted) return true;
    status_ = StatusReady;
    return false;
}

// ---- Instrument read table ----

bool uclQvif::GetInstrument(const std::shared_ptr<clsInstrument>& iObj) {
    const Operation op(*this);
    if (!iObj) return false;
    instrument_ = iObj;
    iObj->ClearDatas();
    iObj->SetFailLine(QString());
    const auto relay = [&] { Relay(*iObj, [this](const QString& t) { emit InstMessage(t); }); };
    // A failed command ends the read: Status stays as the failure left it.
    for (int i = 0; i < kReadTableSize; ++i) {
        const int32_t minRom = i == kReadTableSize - 1 ? AtCommandVersion : -1;
        if (iObj->RomNumber() <= minRom) continue;
        if (Exchange(StatusReadCommand, kReadTable[i], relay) != StatusCompleted) return false;
    }
    return true;
}

// ---- Settings upload ----

bool uclQvif::SendSetting(const clsInstrument& in, const QByteArray& payload, bool go) {
    const QStringList names = SettingNames(in, payload);
    if (!go) {
        lastUpload_.unsent << names;
        return false;
    }
    const bool answered = Exchange(StatusWriteCommand, payload) == StatusCompleted;
    (answered ? lastUpload_.written : lastUpload_.unanswered) << names;
    return answered;
}

bool uclQvif::SetInstrument(const std::shared_ptr<clsInstrument>& iObj) {
    const Operation op(*this);
    bool result = static_cast<bool>(iObj);
    lastUpload_ = {};
    if (iObj) {
        // The echoes of several writes are checked against this object's values.
        instrument_ = iObj;
        const QDateTime start = rt::Now();
        WriteSerialLog(GetMessage(5536, {GeneralDate(start)}));
        clsInstrument& in = *iObj;
        // Every write is made before the first is sent: a value that cannot be written stops
        // the upload before the instrument has taken any of it.
        std::vector<Write> writes;
        const auto send = [&](bool flagged, const QByteArray& payload) {
            if (flagged) writes.push_back({payload, nullptr});
        };
        send(in.Change_UserID(), "XZ,W," + Text(in.UserId(), 10));
        send(in.Change_StationID(), "XS,W," + Text(in.StationID(), 10));
        send(in.Change_SerialNo(), "IN,W," + Text(in.SerialNo(), 12));
        send(in.Change_DummySerial(), "HN,W," + Text(in.DummySerial() + QString(11, u' '), 12));
        if (GasListChanged(in)) writes.push_back(GasList(in));
        send(in.Change_HCMode(), "LP,W," + Dec(in.HcMode()));
        send(in.Change_AlarmMode(), "AP,W," + Dec(in.AlarmMode()));
        send(in.Change_DispID(), "XI,W," + Flag(in.DispID()));
        send(in.Change_DispCalLimit(), "SD,W," + Flag(in.DispCalLimit()));
        send(in.Change_CalCheck(), "SM,W," + Dec(in.CalCheck()));
        send(in.Change_LunchBreak(), "XL,W," + Dec(in.LunchBreak()));
        send(in.Change_AlarmSilence(), "XA,W," + Dec(in.AlarmSilence()));
        send(in.Change_Confermation(), "XB,W," + Dec(in.Confermation()));
        send(in.Change_LogOverWrite(), "XW,W," + Dec(in.LogOverWrite()));
        send(in.Change_LcdBackLight(), "XT,W," + Hex(in.LcdBackLight(), 4));
        send(in.Change_LcdContrast(), "UL,W," + Hex(in.LcdContrast(), 2));
        send(in.Change_FlowAdjust(), "HF,W," + Hex(in.FlowAdjust(), 2));
        send(in.Change_AlarmO2(), "AT,W," + Dec(in.AlarmO2()));
        for (const ChannelSetting& s : kChannelSettings)
            if (AnyChannel(in, s.flag)) writes.push_back(Levels(in, s));
        send(in.Change_CalLimit(), "SC,W," + Hex(in.CalLimit(), 2));
        send(in.Change_Interval(), "XP,W," + Hex(in.Intervals(), 4));
        QByteArray zero;
        for (int ch = 0; ch < 5; ++ch)
            zero += QByteArray::number(in.Zero(ch)).right(1);
        send(AnyChannel(in, &clsInstrument::Change_Zero), "UZ,W," + zero);
        send(true, "DW,W,");
        for (const Write& w : writes) {
            const bool answered = SendSetting(in, w.payload, result);
            // What the instrument took is what it holds: later uploads are judged against it.
            if (result && w.held) w.held(in, answered);
            result = answered;
        }
        if (result) WriteSerialLog(GetMessage(5537, {GeneralDate(rt::Now()), ElapsedText(start)}));
        // Which settings the instrument now holds, and which it may not.
        if (!result)
            for (const auto& [names, message] :
                 {std::pair{&lastUpload_.written, 9400}, std::pair{&lastUpload_.unanswered, 9401},
                  std::pair{&lastUpload_.unsent, 9402}})
                for (const QString& name : *names)
                    WriteSerialLog(GetMessage(message, {name}));
    }
    if (!result) WriteSerialLog(GetMessage(5538, {GeneralDate(rt::Now())}));
    return result;
}

bool uclQvif::SetInitValue(const std::shared_ptr<clsInstrument>& Objs) {
    const Operation op(*this);
    if (!Objs) return false;
    clsInstrument& in = *Objs;
    in.ClearChangeFlags();
    // Everything but the identity, the gas list, the contrast and the flow adjust.
    in.SetChange_CalLimit(true);
    in.SetChange_LcdBackLight(true);
    in.SetChange_HCMode(true);
    in.SetChange_AlarmMode(true);
    in.SetChange_Interval(true);
    in.SetChange_DispID(true);
    in.SetChange_DispCalLimit(true);
    in.SetChange_CalCheck(true);
    in.SetChange_LunchBreak(true);
    in.SetChange_Confermation(true);
    in.SetChange_AlarmSilence(true);
    in.SetChange_LogOverWrite(true);
    in.SetChange_AlarmO2(true);
    for (int ch = 0; ch < 5; ++ch) {
        in.SetChange_Alarm(ch, true);
        in.SetChange_Warn(ch, true);
        in.SetChange_Stel(ch, true);
        in.SetChange_Twa(ch, true);
        in.SetChange_Zero(ch, true);
        in.SetChange_AutoCal(ch, true);
    }
    bool result = SetInstrument(Objs);
    // The clock and the erase run even after a failed upload.
    if (!SetDateTime(rt::Now())) result = false;
    if (!BodyDataClear()) result = false;
    return result;
}

// ---- Instrument commands and calibration ----

bool uclQvif::SetDateTime(const QDateTime& vData) {
    const Operation op(*this);
    tickCount_ = 0;
    const QByteArray stamp = vData.toString(QStringLiteral("yyMMddHHmmss")).toLatin1();
    return Exchange(StatusWriteCommand, "HC,W," + stamp) == StatusCompleted;
}

bool uclQvif::SetPump(bool Values) {
    const Operation op(*this);
    const QByteArray payload = Values ? "BP,W,1" : "BP,W,0";
    if (closing_) {
        // A host that closes sends the command once and does not wait for its answer: a silent
        // instrument would hold it for a whole reply time-out. Unanswered, it counts as failed.
        status_ = StatusWriteCommand;
        DataSend(frames::MakeFrame(payload, frames::EOT), true);
        return false;
    }
    return Exchange(StatusWriteCommand, payload) == StatusCompleted;
}

bool uclQvif::BodyDataClear() {
    const Operation op(*this);
    WriteSerialLog(GetMessage(5556));
    bool ok = Exchange(StatusWriteCommand, "XC,W,") == StatusCompleted;
    if (ok) {
        clearDone_ = false;
        ok = PollCommand(
            "XC,C,", [this] { return clearDone_; }, kClearPollTicks);
    }
    WriteSerialLog(GetMessage(ok ? 5557 : 5558));
    return ok;
}

bool uclQvif::BodyPowerOff() {
    const Operation op(*this);
    WriteSerialLog(GetMessage(5506));
    // Only an answered command switched the instrument off.
    const bool answered = Exchange(StatusWriteCommand, "RO,W,") == StatusCompleted;
    if (serial_->IsOpen()) serial_->Close();
    infrared_->Close();
    tickCount_ = 0;
    // Five seconds of link ticks; a stopped link timer would never count them. Connect polls
    // during the wait (a device that came back) reset TickCount, so the wait counts on its own.
    // A host that closes does not wait for the instrument to go.
    const int64_t until = linkTicks_ + 50;
    WaitWhile([&] { return linkTicks_ < until && (timerEnabled_ || manualTimers_) && !closing_; });
    status_ = StatusInitial;
    // The next connection starts with a full count of polls, whatever the command used up.
    retries_ = 0;
    // A device that came back during the wait has its port open again: it is polled afresh,
    // so that its connection is reported once nothing holds the link any more.
    if (serial_->IsOpen() && &PortInUse() == serial_.get())
        BeginConnecting();
    else
        linkState_ = LinkNotConnected;
    if (!serialComm_) infrared_->Open();
    WriteSerialLog(GetMessage(5507));
    return answered;
}

bool uclQvif::Calibrate(const QByteArray& code, const QString& GasFlag, const QString& resultText) {
    const Operation op(*this);
    if (Exchange(StatusWriteCommand, code + ",W," + GasFlag.toLatin1()) != StatusCompleted) {
        WriteSerialLog(GetMessage(5516, {GeneralDate(rt::Now())}));
        return false;
    }
    // A poll without a result empties the text; the one with a result fills it.
    return PollCommand(
        code + ",C,", [&resultText] { return resultText.size() == 5; }, kCalibrationPollTicks);
}

bool uclQvif::ZeroCal(const QString& GasFlag) {
    return Calibrate("SZ", GasFlag, zeroStatusText_);
}

bool uclQvif::SpanCal(const QString& GasFlag) {
    return Calibrate("S2", GasFlag, spanStatusText_);
}

namespace {
bool ChannelPassed(const QString& text, int Index) {
    return text.size() == 5 && Index >= 0 && Index <= 4 && text[Index] == u'0';
}
}  // namespace

bool uclQvif::ZeroStatus(int Index) const {
    return ChannelPassed(zeroStatusText_, Index);
}

bool uclQvif::SpanStatus(int Index) const {
    return ChannelPassed(spanStatusText_, Index);
}

float uclQvif::FactCal(int Index) const {
    if (Index < 0 || Index > 4)
        throw AppError(ErrSubscript, QStringLiteral("Subscript out of range"));
    return factCal_[static_cast<size_t>(Index)];
}

void uclQvif::SetFactCal(int Index, float v) {
    if (Index < 0 || Index > 4)
        throw AppError(ErrSubscript, QStringLiteral("Subscript out of range"));
    factCal_[static_cast<size_t>(Index)] = v;
}

void uclQvif::SetSystemBlock(bool) {}

// ---- EEP-ROM dump ----

bool uclQvif::GetRomDump(const QString& FileNames) {
    const Operation op(*this);
    const QDateTime start = rt::Now();
    WriteSerialLog(GetMessage(5569, {GeneralDate(start)}));
    // Written beside the list it replaces, which it takes the place of only when whole: a
    // failed or cut-short dump leaves the previous list as it was.
    QSaveFile file(FileNames);
    if (!file.open(QIODevice::WriteOnly)) {
        const bool folder = QFileInfo(FileNames).absoluteDir().exists();
        throw AppError(folder ? ErrPermission : ErrPathNotFound,
                       FileNames + QStringLiteral(": ") + file.errorString());
    }
    const auto row = [&file](const QString& text) {
        file.write((text + QStringLiteral("\r\n")).toLatin1());
    };
    row(QStringLiteral(";\tQV-4170 Data Logger Program"));
    row(QStringLiteral(";\tFlush ROM Dump List ") + GeneralDate(start));
    row(QStringLiteral(";\tTessaly Meters Co.,Ltd."));
    row(QString());
    SetDumpTarget(&file);
    // The decoder never keeps a file that is gone, however the dump ends.
    const auto detach = qScopeGuard([this] { SetDumpTarget(nullptr); });
    // A block out of sequence ends the dump at once: asking again gives the same block.
    const int32_t end = Exchange(StatusBlockDownload, "EP,R,", [this] {
        if (dumpBroken_ && status_ == StatusBlockDownload) status_ = StatusFailed;
    });
    // A part page is filled up with erased bytes after its last address.
    if (dumpLineCount_ != 0) {
        for (int i = dumpLineCount_; i < 16; ++i) {
            dumpLineText_[static_cast<size_t>(i)] = QString(32, u'F');
            dumpLineAddress_[static_cast<size_t>(i)] =
                dumpLineAddress_[static_cast<size_t>(i - 1)] + 16;
        }
        WriteDumpPage();
    }
    SetDumpTarget(nullptr);
    if (end != StatusCompleted) {
        status_ = StatusReady;
        file.cancelWriting();
        return false;
    }
    row(QString());
    row(QStringLiteral(";\tTotal Download Time = ") + ElapsedText(start));
    // The writes are buffered: a full disk shows at the flush, before the list is put in place.
    if (!file.flush() || !file.commit())
        throw AppError(ErrPermission, FileNames + QStringLiteral(": ") + file.errorString());
    return true;
}

}  // namespace qv
