// The instrument interface control: the serial and infrared ports, framing and the serial log,
// the receive path with acknowledgements and retries, the link timer with connect polling and
// live readings, and the reply decoder that stores every reply into the model.
#pragma once

#include "InfraredPort.h"
#include "LinkGuard.h"
#include "SerialLogFile.h"
#include "SerialPort.h"

#include <QByteArray>
#include <QDateTime>
#include <QIODevice>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>

namespace qv {

class clsAlarmEvents;
class clsAlarms;
class clsHistorys;
class clsInstrument;
class clsIntervals;
class clsPowerEvents;
class clsToken;
class clsTroubleEvents;

// Values of the control's Status.
enum TransferStatus : int32_t {
    StatusInitial = 0,
    StatusReady = 2,
    StatusBlockDownload = 3,
    StatusReadCommand = 4,
    StatusWriteCommand = 5,
    StatusCompleted = 6,
    StatusFailed = 7,
    StatusCancelled = 8,
};

// Values of the connection state.
enum LinkStateCode : int32_t {
    LinkNotConnected = 0,
    LinkConnecting = 2,
    LinkConnected = 3,
    LinkReopenPort = 4,
};

// The values the host keeps for the control between runs.
struct StoredProperties {
    bool Enabled = true;
    int16_t CommPort = 4;
    bool DTREnable = false;
    bool RTSEnable = false;
    QString Settings = QStringLiteral("9600,n,8,1");
};

class uclQvif : public QObject {
    Q_OBJECT
  public:
    // Without ports given, the machine's serial port and an infrared port without IrDA are used.
    explicit uclQvif(std::unique_ptr<SerialPort> serial = nullptr,
                     std::unique_ptr<InfraredPort> infrared = nullptr, QObject* parent = nullptr);
    ~uclQvif() override;

    void ReadProperties(const StoredProperties& values);
    StoredProperties WriteProperties() const;

    // Port members; the port in use is the infrared port when SerialComm is False and the
    // infrared port can carry the link, else the serial port.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool v) { enabled_ = v; }
    int16_t CommPort() const;
    // Always the serial port's number.
    void SetCommPort(int16_t v);
    bool SerialComm() const { return serialComm_; }
    void SetSerialComm(bool v) { serialComm_ = v; }
    bool PortOpen() const;
    // A serial port that cannot be opened stays closed; its cause goes to the serial log once,
    // and the link timer tries again until the device is there.
    void SetPortOpen(bool v);
    // Why the serial port that should be open is not (it cannot be opened, or its device went
    // away); empty while it is open. PortStateChanged tells when this changes.
    const QString& PortError() const { return portFault_; }
    bool DTREnable() const;
    void SetDTREnable(bool v);
    int16_t Handshaking() const;
    void SetHandshaking(int16_t v);
    bool RTSEnable() const;
    void SetRTSEnable(bool v);
    QString Settings() const;
    void SetSettings(const QString& v);

    // Sends one frame built by frames::MakeFrame on the port in use.
    void DataSend(const QByteArray& Datas, bool InitFlag = false);
    // One line of the serial log.
    void AddLog(const QString& vData);
    int16_t SerialFileNo() const { return serialFileNo_; }
    // A new file number (0: none) closes the log file; the next line opens it again. A port
    // fault found while the log was off is written when it is switched on.
    void SetSerialFileNo(int16_t v);
    // The serial log's file (tests set its size limit).
    SerialLogFile& SerialLog() { return serialLog_; }

    // Held by whichever long operation runs on the link (a download, an upload, a calibration,
    // a dump): every other command finds it taken and starts nothing.
    LinkGuard& Guard() { return guard_; }

    int32_t Status() const { return status_; }
    void SetStatus(int32_t v) { status_ = v; }
    bool Connected() const { return linkState_ == LinkConnected; }
    void SetConnected(bool) {}
    bool Cancel() const { return cancel_; }
    void SetCancel(bool v) { cancel_ = v; }
    // The host is closing and nobody waits for the instrument any more: a cancelled exchange
    // ends at once instead of at the instrument's next data, a history download asks for no
    // further channel, an unanswered request is not repeated, and the power-off does not wait
    // for the instrument to go. The pump command is sent once and not waited for, and switching
    // the live readings off does not wait for the reading in flight.
    void SetClosing(bool v) { closing_ = v; }
    bool Closing() const { return closing_; }
    // Returns the link to ready; closes nothing.
    bool DisConnect();
    bool RunDensty() const { return denstEnabled_; }
    void SetRunDensty(bool v);
    bool TimerEnabled() const { return timerEnabled_; }
    void SetTimerEnabled(bool v);

    // The objects that replies are stored into.
    const std::shared_ptr<clsInstrument>& Instrument() const { return instrument_; }
    // The holder of the read table and the upload (named apart from the upload itself).
    void SetInstrumentObject(std::shared_ptr<clsInstrument> v) { instrument_ = std::move(v); }
    const std::shared_ptr<clsIntervals>& Intervals() const { return intervals_; }
    void SetIntervals(std::shared_ptr<clsIntervals> v) { intervals_ = std::move(v); }
    const std::shared_ptr<clsAlarms>& Alarms() const { return alarms_; }
    void SetAlarms(std::shared_ptr<clsAlarms> v) { alarms_ = std::move(v); }
    const std::shared_ptr<clsHistorys>& History() const { return history_; }
    void SetHistory(std::shared_ptr<clsHistorys> v) { history_ = std::move(v); }
    const std::shared_ptr<clsAlarmEvents>& AlarmEvents() const { return alarmEvents_; }
    void SetAlarmEvents(std::shared_ptr<clsAlarmEvents> v) { alarmEvents_ = std::move(v); }
    const std::shared_ptr<clsTroubleEvents>& TroubleEvents() const { return troubleEvents_; }
    void SetTroubleEvents(std::shared_ptr<clsTroubleEvents> v) { troubleEvents_ = std::move(v); }
    const std::shared_ptr<clsPowerEvents>& PowerEvents() const { return powerEvents_; }
    void SetPowerEvents(std::shared_ptr<clsPowerEvents> v) { powerEvents_ = std::move(v); }
    int16_t HistoryChannel() const { return historyChannel_; }
    void SetHistoryChannel(int16_t v) { historyChannel_ = v; }

    // Results of the commands, as the last replies left them.
    const QString& ZeroStatusText() const { return zeroStatusText_; }
    const QString& SpanStatusText() const { return spanStatusText_; }
    bool ClearDone() const { return clearDone_; }

    // The EEP-ROM dump list that "EP" blocks are written to; nullptr when no dump runs (blocks
    // that arrive then are discarded). Setting a target empties the page being collected.
    void SetDumpTarget(QIODevice* out);
    int16_t DumpLineCount() const { return dumpLineCount_; }

    // Long operations: each sends its request, then yields to the event loop until Status
    // leaves its busy value; True when the transfer completed. None raises for a
    // communication failure.
    bool GetInterval(const std::shared_ptr<clsIntervals>& iObj);
    bool GetHistory(const std::shared_ptr<clsHistorys>& iObj);
    bool GetLatestHistory(const std::shared_ptr<clsInstrument>& iObj);
    bool GetAlarm(const std::shared_ptr<clsAlarms>& aObj);
    bool GetAlarmEvent(const std::shared_ptr<clsAlarmEvents>& aObj);
    bool GetTroubleEvent(const std::shared_ptr<clsTroubleEvents>& aObj);
    bool GetPowerEvent(const std::shared_ptr<clsPowerEvents>& aObj);
    // The instrument read table into iObj; True when every command due was answered.
    bool GetInstrument(const std::shared_ptr<clsInstrument>& iObj);
    // Uploads the flagged settings of iObj; True when every command sent was answered. An
    // upload that does not end so writes what became of each setting to the serial log.
    bool SetInstrument(const std::shared_ptr<clsInstrument>& iObj);
    // What became of the settings of the last upload, each named as the user knows it ("Station
    // ID", "Warning level of gas 1"; a write of all five channels once per edited gas), in the
    // upload's order: answered by the instrument; sent but never answered (the instrument may
    // or may not hold it); not sent.
    struct UploadReport {
        QStringList written, unanswered, unsent;
    };
    const UploadReport& LastUpload() const { return lastUpload_; }
    // Uploads the defaults, sets the clock and erases the data.
    bool SetInitValue(const std::shared_ptr<clsInstrument>& Objs);
    bool SetDateTime(const QDateTime& vData);
    bool SetPump(bool Values);
    bool BodyDataClear();
    // Switches the instrument off and waits for it to go; True when it took the command.
    // Afterwards the link follows its port: an open port (a device that came back during the
    // wait) is polled, a closed one is not connected.
    bool BodyPowerOff();
    bool ZeroCal(const QString& GasFlag);
    bool SpanCal(const QString& GasFlag);
    bool ZeroStatus(int Index) const;
    bool SpanStatus(int Index) const;
    float FactCal(int Index) const;
    void SetFactCal(int Index, float v);
    void SetSystemBlock(bool v);
    // Writes the EEP-ROM dump list to the file; True when the transfer completed. Only a
    // complete list replaces the file: after a failed or cancelled transfer it is as it was.
    bool GetRomDump(const QString& FileNames);
    int16_t DumpListFileNo() const { return dumpListFileNo_; }
    void SetDumpListFileNo(int16_t v) { dumpListFileNo_ = v; }

    // The verdict on one received frame; stores what it carries. True = accepted.
    bool ParseReply(const QByteArray& frame);

    // Timer handlers, callable directly when the timers run on a test clock.
    void tmrTimer_Timer();
    void tmrDenst_Timer();
    // With manual timers the QTimers never fire: a test calls the handlers itself.
    void UseManualTimers(bool manual);
    // Called on every turn of a waiting loop (a test advances its clock there).
    void SetWaitHook(std::function<void()> hook) { waitHook_ = std::move(hook); }

    // State of the link, for the host's operations and for tests.
    int32_t LinkState() const { return linkState_; }
    int16_t Retries() const { return retries_; }
    int16_t ReplyTimeout() const { return replyTimeout_; }
    int32_t TickCount() const { return tickCount_; }
    const QByteArray& LastFrame() const { return lastFrame_; }
    const QByteArray& ReceiveBuffer() const { return receiveBuffer_; }

  signals:
    void OnConnect();
    void Densty(float Value1, float Value2, float Value3, float Value4, float Value5);
    void ConnectRetry(int16_t RetryCount);
    void InstMessage(const QString& MessageString);
    void InterMessage(const QString& MessageString);
    void AlarmMessage(const QString& MessageString);
    void DumpMessage(const QString& MessageString);
    void OnDisConnect();
    void IrDAError(int16_t ErrorNumber);
    // PortError changed: the serial port failed or is open again.
    void PortStateChanged();
    // A line of the serial log could not be written: the first of a run of failures, with its
    // cause. Later lines are still tried; the next failure after a written line is told again.
    void SerialLogFailed(const QString& MessageString);

  protected:
    // Yields to the message loop while the condition holds.
    void WaitWhile(const std::function<bool()>& condition);

  private:
    void mscComm_Notify(int code);
    void LinkIrDA1_Notify(int code);
    void LineStatusChanged();
    void LineError(int code);
    void Receive(const QByteArray& bytes);
    void ReceiveStep();
    void HandleFrame(const QByteArray& frame, char terminator);
    // True when a received frame may answer the request in progress: an exchange runs and the
    // frame's command code and mode are the request's.
    bool AnswersRequest(const QByteArray& frame) const;
    // A pending cancel ends the transfer in progress; the instrument is not answered.
    void EndCancelled();
    // Writes a frame that answers or repeats the exchange in progress.
    void Send(const QByteArray& frame, bool InitFlag);
    QByteArray AnswerFrame(char answer, char terminator) const;
    SerialPort& PortInUse() const;
    bool OpenSerialPort();
    // Records why the wanted serial port is not open; the serial log gets each new cause once.
    // message: 9028 (cannot be opened) or 9029 (went away) with the cause, 0 when the port is
    // open again.
    void SetPortFault(int message, const QString& cause);
    void WriteSerialLog(const QString& text);
    void BeginConnecting();
    bool TransferRunning() const;
    // True when the line was written (the log is on and its file opens).
    bool WriteLogLine(const QString& text);
    void ApplyTimers();

    // Opened first by every operation that talks to the instrument: the outermost one starts
    // with no cancel pending, so a cancel left by an earlier operation ends nothing of it. An
    // operation that another runs (the erase of an initialisation) shares its caller's cancel.
    class Operation {
      public:
        explicit Operation(uclQvif& link) : link_(link) {
            if (link_.operationDepth_++ == 0) link_.cancel_ = false;
        }
        ~Operation() { --link_.operationDepth_; }
        Operation(const Operation&) = delete;
        Operation& operator=(const Operation&) = delete;

      private:
        uclQvif& link_;
    };

    // One exchange of the long operations: Status set to `busy`, the request framed with EOT and
    // sent with the retry count reset, then a wait while Status keeps `busy`, calling `turn`
    // before every look at Status. The Status the exchange ended with.
    int32_t Exchange(int32_t busy, const QByteArray& payload,
                     const std::function<void()>& turn = {});
    // Polls a running command with `payload` until an answered poll finds `done`; false when a
    // poll is not answered or when `limitTicks` link-timer ticks pass first (Status is then 7).
    bool PollCommand(const QByteArray& payload, const std::function<bool()>& done,
                     int64_t limitTicks);
    // A single-request download of `payload` into `obj`, kept in `holder`; the progress texts
    // the collection leaves are raised by `message`.
    template <class Collection>
    bool DownloadInto(std::shared_ptr<Collection>& holder, const std::shared_ptr<Collection>& obj,
                      const char* payload, void (uclQvif::*message)(const QString&));
    // The settings upload's sending step: one write, skipped once an earlier one failed (`go`
    // false), and noted in the upload's report; true when the instrument answered it.
    bool SendSetting(const clsInstrument& in, const QByteArray& payload, bool go);
    // Zero and span calibration share everything but their codes and result text.
    bool Calibrate(const QByteArray& code, const QString& GasFlag, const QString& resultText);

    // The decoder's parts.
    // The reply key of a received frame (command code, comma, mode: "IH,R"), read as the
    // decoder reads it; empty for a frame too short to hold one.
    static QString ReplyKey(const QByteArray& frame);
    bool Decode(const QByteArray& frame);
    bool DecodeSetting(const QString& key, const clsToken& tok);
    bool DecodeChannels(const QString& key, const clsToken& tok);
    bool DecodeBlock(const QString& key, const clsToken& tok);
    bool DecodeDump(const clsToken& tok);
    void WriteDumpPage();

    std::unique_ptr<SerialPort> serial_;
    std::unique_ptr<InfraredPort> infrared_;
    LinkGuard guard_;
    QTimer tmrTimer_;
    QTimer tmrDenst_;
    bool manualTimers_ = false;
    bool timerEnabled_ = false;
    bool denstEnabled_ = false;
    std::function<void()> waitHook_;

    bool enabled_ = true;
    bool serialComm_ = false;
    // The serial port was asked to be open; while it is not, the link timer tries again.
    bool portWanted_ = false;
    int16_t reopenTicks_ = 0;
    QString portFault_;
    QString portFaultLine_;
    bool portFaultLogged_ = false;
    // The serial port has been open once: a port that opens after a fault is "open again".
    bool portWasOpen_ = false;
    int16_t retries_ = 0;
    int16_t irKeepAlive_ = 5;
    int16_t replyTimeout_ = 0;
    int32_t tickCount_ = 0;
    int16_t serialFileNo_ = 0;
    SerialLogFile serialLog_;
    // The last line of the serial log could not be written (its failure has been told).
    bool logFailing_ = false;
    QByteArray lastFrame_;
    // Characters 6 to 10 (6 to 12 for a calibration history) of the last request.
    QByteArray requestKey_;
    // The last request as sent, and how many times it went out (its repeats after a time-out
    // or a bad reply included).
    QByteArray requestFrame_;
    int16_t requestSends_ = 0;
    // A request sent more than once may be answered more than once: after the transfer it
    // ended, the first block of another answer to it (the whole answer, for a transfer of one
    // block) may come that many times, after the next request has gone out. The first and
    // the last block of the transfer are kept to know such a copy.
    QList<QByteArray> lateCopyOf_;
    int16_t lateCopies_ = 0;
    bool cancel_ = false;
    bool closing_ = false;
    QByteArray receiveBuffer_;
    int32_t status_ = StatusInitial;
    int32_t linkState_ = LinkNotConnected;
    // The last block accepted since the request: the same block again is acknowledged again
    // but not stored twice. The first one is kept for the late copies above.
    QByteArray lastAcceptedBlock_;
    QByteArray firstAcceptedBlock_;
    // Operations in progress, one inside another (an initialisation runs an upload, a clock
    // setting and an erase).
    int operationDepth_ = 0;

    std::shared_ptr<clsInstrument> instrument_;
    UploadReport lastUpload_;
    std::shared_ptr<clsIntervals> intervals_;
    std::shared_ptr<clsAlarms> alarms_;
    std::shared_ptr<clsHistorys> history_;
    std::shared_ptr<clsAlarmEvents> alarmEvents_;
    std::shared_ptr<clsTroubleEvents> troubleEvents_;
    std::shared_ptr<clsPowerEvents> powerEvents_;
    int16_t historyChannel_ = 0;
    QString zeroStatusText_;
    QString spanStatusText_;
    bool clearDone_ = false;

    std::array<float, 5> factCal_{};
    // Every tick of the link timer, never reset: the clock of the command polls' limit.
    int64_t linkTicks_ = 0;

    QIODevice* dumpOut_ = nullptr;
    std::array<QString, 16> dumpLineText_;
    std::array<int32_t, 16> dumpLineAddress_{};
    int16_t dumpLineCount_ = 0;
    int16_t dumpListFileNo_ = 0;
    // The number the next dump block must carry; a block out of sequence breaks the dump.
    int32_t dumpNextBlock_ = 1;
    bool dumpBroken_ = false;
};

}  // namespace qv
