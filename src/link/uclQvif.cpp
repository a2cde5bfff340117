// The instrument interface control: ports and their routing, sending and the serial log, the
// receive path with acknowledgements and retries, and the two timers.
#include "uclQvif.h"

#include "AppPaths.h"
#include "Dates.h"
#include "Frames.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace qv {

using namespace frames;

namespace {
constexpr int16_t kRetryLimit = 30;
constexpr int16_t kReplyTicks = 30;
constexpr qsizetype kMaxUnterminated = 64 * 1024;
// Link-timer ticks between two attempts to open a wanted serial port while no poll does it.
constexpr int16_t kReopenTicks = 10;
QString DateNow() {
    return GeneralDate(rt::Now());
}
}  // namespace

uclQvif::uclQvif(std::unique_ptr<SerialPort> serial, std::unique_ptr<InfraredPort> infrared,
                 QObject* parent)
    : QObject(parent),
      serial_(serial ? std::move(serial) : std::make_unique<QtSerialPort>()),
      infrared_(infrared ? std::move(infrared) : std::make_unique<NoInfraredPort>()) {
    connect(serial_.get(), &SerialPort::Notify, this, &uclQvif::mscComm_Notify);
    connect(infrared_.get(), &SerialPort::Notify, this, &uclQvif::LinkIrDA1_Notify);
    status_ = StatusInitial;
    // The serial port's start-up values; the stored properties below override most of them.
    serial_->SetHandshaking(0);
    serial_->SetRts(false);
    serial_->SetDtr(false);
    serial_->SetSettings(QStringLiteral("115200,n,8,1"));
    infrared_->Close();
    irKeepAlive_ = 5;
    lastFrame_.clear();
    tmrTimer_.setInterval(100);
    connect(&tmrTimer_, &QTimer::timeout, this, &uclQvif::tmrTimer_Timer);
    tmrDenst_.setInterval(1000);
    connect(&tmrDenst_, &QTimer::timeout, this, &uclQvif::tmrDenst_Timer);
    timerEnabled_ = true;
    ApplyTimers();
    linkState_ = LinkNotConnected;
    ReadProperties(StoredProperties{});
}

uclQvif::~uclQvif() {
    tmrTimer_.stop();
    tmrDenst_.stop();
    // The ports go before the timers and buffers they would report into.
    disconnect(serial_.get(), nullptr, this, nullptr);
    disconnect(infrared_.get(), nullptr, this, nullptr);
    serial_->Close();
    infrared_->Close();
}

void uclQvif::ReadProperties(const StoredProperties& values) {
    enabled_ = values.Enabled;
    serial_->SetPortNumber(values.CommPort);
    serial_->SetDtr(values.DTREnable);
    serial_->SetRts(values.RTSEnable);
    serial_->SetSettings(values.Settings);
}

StoredProperties uclQvif::WriteProperties() const {
    StoredProperties values;
    values.Enabled = enabled_;
    values.CommPort = serial_->PortNumber();
    values.DTREnable = serial_->Dtr();
    values.RTSEnable = serial_->Rts();
    values.Settings = serial_->Settings();
    return values;
}

// ---- Ports ----

SerialPort& uclQvif::PortInUse() const {
    if (!serialComm_ && infrared_->CanCarryLink()) return *infrared_;
    return *serial_;
}

int16_t uclQvif::CommPort() const {
    return PortInUse().PortNumber();
}
void uclQvif::SetCommPort(int16_t v) {
    serial_->SetPortNumber(v);
}
bool uclQvif::PortOpen() const {
    return PortInUse().IsOpen();
}
bool uclQvif::DTREnable() const {
    return PortInUse().Dtr();
}
void uclQvif::SetDTREnable(bool v) {
    PortInUse().SetDtr(v);
}
int16_t uclQvif::Handshaking() const {
    return PortInUse().Handshaking();
}
void uclQvif::SetHandshaking(int16_t v) {
    PortInUse().SetHandshaking(v);
}
bool uclQvif::RTSEnable() const {
    return PortInUse().Rts();
}
void uclQvif::SetRTSEnable(bool v) {
    PortInUse().SetRts(v);
}
QString uclQvif::Settings() const {
    return PortInUse().Settings();
}
void uclQvif::SetSettings(const QString& v) {
    PortInUse().SetSettings(v);
}

void uclQvif::SetPortOpen(bool v) {
    SerialPort& port = PortInUse();
    if (&port == infrared_.get()) {
        if (v)
            infrared_->Open();
        else
            infrared_->Close();
        return;
    }
    portWanted_ = v;
    if (v) {
        OpenSerialPort();
    } else {
        serial_->Close();
        SetPortFault(0, QString());
    }
}

bool uclQvif::OpenSerialPort() {
    if (serial_->IsOpen()) return true;
    if (serial_->Open()) {
        if (!portFault_.isEmpty()) {
            // A device that came back is polled afresh, however many polls it missed.
            retries_ = 0;
            SetPortFault(0, QString());
        }
        portWasOpen_ = true;
        return true;
    }
    // The link goes on with the port closed; the log tells the user why.
    SetPortFault(9028, serial_->OpenError());
    return false;
}

void uclQvif::SetPortFault(int message, const QString& cause) {
    const QString port = QString::number(serial_->PortNumber());
    const QString fault =
        message == 0 ? QString() : GetMessage(message, {port, serial_->DevicePath(), cause});
    // Each cause is logged once, not at every attempt to open the port again.
    if (fault == portFault_) return;
    if (fault.isEmpty()) {
        // A device that was never open before (one that appeared after the start) is open, not
        // open again; a port closed on purpose is neither.
        if (serial_->IsOpen())
            WriteLogLine(
                GetMessage(portWasOpen_ ? 9030 : 9055, {port, serial_->DevicePath(), DateNow()}));
        portFaultLine_.clear();
        portFaultLogged_ = false;
    } else {
        portFaultLine_ = fault + QStringLiteral(". Date = ") + DateNow();
        portFaultLogged_ = WriteLogLine(portFaultLine_);
    }
    portFault_ = fault;
    emit PortStateChanged();
}

// ---- Sending and the serial log ----

void uclQvif::DataSend(const QByteArray& Datas, bool InitFlag) {
    lastAcceptedBlock_.clear();
    firstAcceptedBlock_.clear();
    // The command code, ",R," and for a calibration history its channel: what every answer of
    // this transfer repeats, and what a reply to it must begin with.
    requestKey_ = Datas.mid(5, Datas.contains("IH") ? 7 : 5);
    requestFrame_ = Datas;
    requestSends_ = 0;
    Send(Datas, InitFlag);
}

void uclQvif::Send(const QByteArray& frame, bool InitFlag) {
    if (frame == requestFrame_) ++requestSends_;
    receiveBuffer_.clear();
    SerialPort& port = PortInUse();
    const bool open = port.IsOpen();
    const bool written = open && port.Write(frame);
    lastFrame_ = frame;
    replyTimeout_ = kReplyTicks;
    if (InitFlag) retries_ = 0;
    // Only a frame that went out is logged as sent: a reader of the log must not take a
    // power-off that never reached the wire for one the instrument ignored.
    WriteSerialLog(
        GetMessage(written ? 5552 : (open ? 9052 : 9051), {ShowControlChars(lastFrame_)}));
}

void uclQvif::AddLog(const QString& vData) {
    WriteSerialLog(vData);
}

void uclQvif::SetSerialFileNo(int16_t v) {
    serialFileNo_ = v;
    serialLog_.Close();
    // The port is opened before the log is switched on at start-up.
    if (!portFault_.isEmpty() && !portFaultLogged_) portFaultLogged_ = WriteLogLine(portFaultLine_);
}

void uclQvif::WriteSerialLog(const QString& text) {
    WriteLogLine(text);
}

bool uclQvif::WriteLogLine(const QString& text) {
    if (serialFileNo_ <= 0) return false;
    if (serialLog_.WriteLine(text)) {
        logFailing_ = false;
        return true;
    }
    // The link goes on without its log (a full disk must not stop a download); the user is
    // told once, not at every frame.
    if (!logFailing_) {
        logFailing_ = true;
        emit SerialLogFailed(GetMessage(9050, {serialLog_.Path(), serialLog_.Error()}));
    }
    return false;
}

// ---- Receive path ----

void uclQvif::mscComm_Notify(int code) {
    if (!serial_->IsOpen()) return;
    switch (code) {
        case SerialPort::EvReceive:
            Receive(serial_->ReadAll());
            break;
        case SerialPort::EvCtsChange:
        case SerialPort::EvDsrChange:
            LineStatusChanged();
            break;
        case SerialPort::EvBreak:
        case SerialPort::EvFraming:
        case SerialPort::EvOverrun:
        case SerialPort::EvRxOverflow:
        case SerialPort::EvParity:
        case SerialPort::EvTxFull:
        case SerialPort::EvDeviceControl:
            LineError(code);
            break;
        default:
            break;
    }
}

bool uclQvif::TransferRunning() const {
    return status_ == StatusBlockDownload || status_ == StatusReadCommand ||
           status_ == StatusWriteCommand;
}

void uclQvif::BeginConnecting() {
    linkState_ = LinkConnecting;
    // A cancel of an earlier operation must not end the first exchange of a new connection.
    cancel_ = false;
    // Nothing the instrument sent before belongs to the new connection.
    lateCopies_ = 0;
}

void uclQvif::LineStatusChanged() {
    const int lines = serial_->LineStatus();
    if (lines & (SerialPort::LineCts | SerialPort::LineDsr)) {
        BeginConnecting();
        return;
    }
    // The device itself went away (unplugged, the far end closed): the port closes after this,
    // and the cause is known before anyone hears of the loss.
    if (!serial_->OpenError().isEmpty()) SetPortFault(9029, serial_->OpenError());
    // The instrument has gone: a transfer it cut short has failed, it has not completed.
    linkState_ = LinkNotConnected;
    status_ = TransferRunning() ? StatusFailed : StatusCompleted;
    retries_ = 0;
    emit OnDisConnect();
}

void uclQvif::LineError(int code) {
    int message = 0;
    switch (code) {
        case SerialPort::EvBreak:
            message = 5542;
            break;
        case SerialPort::EvFraming:
            message = 5543;
            break;
        case SerialPort::EvOverrun:
            message = 5544;
            break;
        case SerialPort::EvRxOverflow:
            message = 5545;
            break;
        case SerialPort::EvParity:
            message = 5546;
            break;
        case SerialPort::EvTxFull:
            if (linkState_ == LinkConnecting) return;
            message = 5547;
            break;
        default:
            message = 5548;
            break;
    }
    WriteSerialLog(GetMessage(message, {DateNow()}));
    if (code <= SerialPort::EvParity || TransferRunning())
        status_ = StatusFailed;
    else
        status_ = StatusCompleted;
}

void uclQvif::LinkIrDA1_Notify(int code) {
    switch (code) {
        case SerialPort::EvReceive:
            Receive(infrared_->ReadAll());
            break;
        case InfraredPort::EvPeerFound:
            if (!infrared_->PeerName().contains(QStringLiteral("QV-4170")) ||
                linkState_ != LinkNotConnected)
                return;
            WriteSerialLog(GetMessage(5550, {DateNow()}));
            retries_ = 0;
            receiveBuffer_.clear();
            tickCount_ = 0;
            BeginConnecting();
            if (!infrared_->CanCarryLink() && !serial_->IsOpen()) {
                serial_->SetSettings(QStringLiteral("115200,N,8,1"));
                serial_->SetPortNumber(CommPortNo);
                serial_->ClearOutput();
                OpenSerialPort();
            }
            break;
        case InfraredPort::EvSocketError: {
            status_ = StatusFailed;
            const int number = infrared_->ErrorNumber();
            WriteSerialLog(QStringLiteral("Soket Error[%1](%2)").arg(DateNow()).arg(number));
            emit IrDAError(static_cast<int16_t>(number));
            break;
        }
        default:
            status_ = StatusFailed;
            WriteSerialLog(QStringLiteral("IrDA Error[%1][%2] (%3)")
                               .arg(DateNow())
                               .arg(code)
                               .arg(infrared_->ErrorNumber()));
            break;
    }
}

void uclQvif::Receive(const QByteArray& bytes) {
    receiveBuffer_ += bytes;
    // Line noise without a terminator is dropped before it can grow without bound; no frame
    // of the protocol comes near this size.
    if (receiveBuffer_.size() > kMaxUnterminated && receiveBuffer_.indexOf(ETB) < 0 &&
        receiveBuffer_.indexOf(EOT) < 0 && receiveBuffer_.indexOf(CR) < 0)
        receiveBuffer_.clear();
    ReceiveStep();
}

void uclQvif::EndCancelled() {
    status_ = StatusCancelled;
    receiveBuffer_.clear();
}

void uclQvif::ReceiveStep() {
    if (cancel_) {
        EndCancelled();
        return;
    }
    // Every complete frame is cut out before any is answered: an answer empties the buffer.
    // The start of a frame that was already arriving belongs to the reply that the answer asks
    // for, so it is kept.
    const QList<CutFrame> frames = CutFrames(receiveBuffer_);
    const QByteArray remainder = receiveBuffer_;
    for (const CutFrame& f : frames)
        HandleFrame(f.bytes, f.terminator);
    if (!frames.isEmpty()) receiveBuffer_ = remainder;
}

QByteArray uclQvif::AnswerFrame(char answer, char terminator) const {
    // Taken from the request rather than from the last frame sent: after the link timer's
    // five-character NAK of a history transfer, the last frame no longer holds the channel.
    return MakeFrame(requestKey_ + answer, terminator);
}

bool uclQvif::AnswersRequest(const QByteArray& frame) const {
    // Only a running exchange waits for a reply, and only for one of its own command code and
    // mode. The header fields of a block (a history's channel, block counters) are the
    // instrument's own and are never read.
    return TransferRunning() && ReplyKey(frame) == QLatin1String(requestKey_.left(4));
}

void uclQvif::HandleFrame(const QByteArray& received, char terminator) {
    WriteSerialLog(GetMessage(5549, {ShowControlChars(received)}));
    // Line noise that holds a terminator but no frame start is no reply: answering it would
    // have the instrument send a block once more than it is asked for.
    const qsizetype start = received.lastIndexOf(STX);
    if (start < 0) return;
    const QByteArray frame = received.mid(start);
    // A reply to another request (the second answer of a request sent again after its
    // time-out, a block of an earlier transfer) is only logged: taking it would complete this
    // exchange with another's data, store a block where it does not belong, or start the
    // instrument on a transfer nobody waits for. A damaged frame cannot be told by its key: it
    // is refused and asked for again below.
    if (frames::ChecksumOk(frame)) {
        const bool lateCopy = lateCopies_ > 0 && lateCopyOf_.contains(frame);
        if (lateCopy || !AnswersRequest(frame)) {
            if (lateCopy) --lateCopies_;
            WriteSerialLog(GetMessage(9110));
            return;
        }
    }

    // A copy of the block just taken (the instrument missed the ACK) is acknowledged again
    // but not taken again.
    const bool block = status_ == StatusBlockDownload && terminator != CR;
    const bool repeated = block && !lastAcceptedBlock_.isEmpty() && frame == lastAcceptedBlock_;
    if (repeated || ParseReply(frame)) {
        if (block) {
            if (lastAcceptedBlock_.isEmpty()) firstAcceptedBlock_ = frame;
            lastAcceptedBlock_ = frame;
        }
        if (terminator == ETB) {
            Send(AnswerFrame(ACK, ETB), true);
        } else if (terminator == EOT) {
            status_ = StatusCompleted;
            // The instrument answers every copy of a request it was sent: the last block may
            // come again once for each time the request went out beyond the first.
            if (block) {
                lateCopyOf_ = {firstAcceptedBlock_, frame};
                lateCopies_ = static_cast<int16_t>(requestSends_ - 1);
            }
        }
        return;
    }
    if (retries_ >= kRetryLimit) {
        status_ = StatusFailed;
        return;
    }
    ++retries_;
    if (status_ == StatusReadCommand || status_ == StatusWriteCommand)
        Send(lastFrame_, false);
    else
        Send(AnswerFrame(NAK, terminator), false);
}

// ---- Timers ----

void uclQvif::ApplyTimers() {
    if (!manualTimers_ && timerEnabled_)
        tmrTimer_.start();
    else
        tmrTimer_.stop();
    if (!manualTimers_ && denstEnabled_)
        tmrDenst_.start();
    else
        tmrDenst_.stop();
}

void uclQvif::UseManualTimers(bool manual) {
    manualTimers_ = manual;
    ApplyTimers();
}

void uclQvif::SetTimerEnabled(bool v) {
    timerEnabled_ = v;
    ApplyTimers();
}

bool uclQvif::DisConnect() {
    tickCount_ = 0;
    status_ = StatusReady;
    return false;
}

void uclQvif::SetRunDensty(bool v) {
    if (!v && denstEnabled_) {
        // A host that closes does not wait for the reading in flight: a silent instrument would
        // hold it until the poll times out.
        if (!closing_) WaitWhile([this] { return status_ == StatusReadCommand; });
        denstEnabled_ = false;
        ApplyTimers();
    } else if (v && !denstEnabled_) {
        denstEnabled_ = true;
        ApplyTimers();
        tickCount_ = 0;
        // An earlier cancel would otherwise swallow every reading.
        cancel_ = false;
    }
}

void uclQvif::WaitWhile(const std::function<bool()>& condition) {
    // The keep-alive wakes the loop when nothing else would (timers on a test clock).
    QTimer keepAlive;
    keepAlive.start(5);
    while (condition()) {
        if (waitHook_) waitHook_();
        if (!condition()) break;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
}

void uclQvif::tmrTimer_Timer() {
    ++tickCount_;
    ++linkTicks_;
    if (linkState_ == LinkConnecting) {
        if (status_ != StatusReadCommand) {
            WriteSerialLog(GetMessage(5512));
            if (retries_ >= kRetryLimit) {
                status_ = StatusInitial;
                linkState_ = LinkNotConnected;
                emit AlarmMessage(GetMessage(5405));
            } else {
                ++retries_;
                if (retries_ % 5 == 0) emit ConnectRetry(static_cast<int16_t>(retries_ / 5));
                status_ = StatusReadCommand;
                DataSend(MakeFrame("RC,R,", EOT), false);
            }
            tickCount_ = 0;
        } else if (tickCount_ > 10) {
            status_ = StatusInitial;
            if (!infrared_->CanCarryLink()) {
                if (serial_->IsOpen()) serial_->Close();
                linkState_ = LinkReopenPort;
            }
            tickCount_ = 0;
        }
    } else if (linkState_ == LinkReopenPort) {
        OpenSerialPort();
        status_ = StatusInitial;
        linkState_ = LinkConnecting;
        tickCount_ = 0;
    } else if (linkState_ == LinkNotConnected && portWanted_ && &PortInUse() == serial_.get() &&
               !serial_->IsOpen()) {
        // No poll reopens a port that could not be opened or whose device went away: the
        // device is looked for again every second until it is back.
        if (++reopenTicks_ >= kReopenTicks) {
            reopenTicks_ = 0;
            OpenSerialPort();
        }
    }

    if (linkState_ == LinkConnected) {
        // A silent instrument sends no data that would carry the cancel: the next tick ends
        // the transfer, and nothing more is asked for.
        if (cancel_ && TransferRunning()) {
            EndCancelled();
        } else if (replyTimeout_ > 0) {
            --replyTimeout_;
        } else if (retries_ >= kRetryLimit || (closing_ && TransferRunning())) {
            status_ = StatusFailed;
        } else {
            ++retries_;
            if (status_ == StatusBlockDownload) {
                if (lastFrame_.endsWith(EOT))
                    Send(lastFrame_, false);
                else
                    Send(MakeFrame(requestKey_.left(5) + NAK, ETB), false);
            } else if (status_ == StatusReadCommand || status_ == StatusWriteCommand) {
                Send(lastFrame_, false);
            }
        }
    }

    if (irKeepAlive_ > 0) {
        --irKeepAlive_;
    } else {
        infrared_->Discover();
        irKeepAlive_ = 5;
    }
}

void uclQvif::tmrDenst_Timer() {
    // A transfer that failed or was cancelled, and an idle link that timed out, leave their
    // status behind; the readings go on from it while the instrument is connected.
    const bool ended = (status_ == StatusFailed || status_ == StatusCancelled) && Connected();
    if (status_ == StatusReady || status_ == StatusCompleted || ended) {
        status_ = StatusReadCommand;
        retries_ = 0;
        DataSend(MakeFrame("DN,R,", EOT), true);
    } else if (status_ == StatusReadCommand) {
        WriteSerialLog(GetMessage(5560, {DateNow()}));
        status_ = StatusReady;
    }
}

}  // namespace qv
