// Test rigs of the link: the control on scripted ports with its timers on a test clock, and
// helpers to answer it, read what it sent and read the serial log.
#pragma once

#include "AppPaths.h"
#include "Frames.h"
#include "ScriptedPorts.h"
#include "clsInstrument.h"
#include "modGlobals.h"
#include "uclQvif.h"

#include <QCoreApplication>
#include <QFile>
#include <QStringList>
#include <memory>

namespace qv::test {

inline QString SerialLogPath() {
    return ProgramFile(QStringLiteral("SerialLog.log"));
}
inline QString ReadSerialLog() {
    QFile f(SerialLogPath());
    if (!f.open(QIODevice::ReadOnly)) return {};
    return QString::fromUtf8(f.readAll());
}

// A payload as the instrument frames it.
inline QByteArray Frame(const QByteArray& payload, char terminator = frames::EOT) {
    return frames::MakeFrame(payload, terminator);
}

// The payload of a frame the link wrote, with ACK and NAK shown as <ACK> and <NAK>.
inline QString PayloadOf(const QByteArray& frame) {
    QString p = QString::fromLatin1(frame.mid(5, frame.size() - 9));
    return p.replace(QChar(frames::ACK), QStringLiteral("<ACK>"))
        .replace(QChar(frames::NAK), QStringLiteral("<NAK>"));
}

// The start every rig shares: globals back to their start values and a fresh serial log.
inline void FreshStart() {
    ResetGlobals();
    QFile::remove(SerialLogPath());
}
// Timers on the test clock, the log on, the serial port in use.
inline void Prepare(uclQvif& link, std::shared_ptr<clsInstrument> instrument = nullptr) {
    link.UseManualTimers(true);
    link.SetSerialFileNo(1);
    link.SetInstrumentObject(std::move(instrument));
    link.SetSerialComm(true);
}

struct LinkRig {
    ScriptedSerialPort* serial = nullptr;
    ScriptedInfraredPort* infrared = nullptr;
    std::unique_ptr<uclQvif> link;
    std::shared_ptr<clsInstrument> instrument = std::make_shared<clsInstrument>();

    LinkRig() {
        FreshStart();
        auto s = std::make_unique<ScriptedSerialPort>();
        auto ir = std::make_unique<ScriptedInfraredPort>();
        serial = s.get();
        infrared = ir.get();
        link = std::make_unique<uclQvif>(std::move(s), std::move(ir));
        Prepare(*link, instrument);
        link->SetPortOpen(true);
    }

    // The instrument answers with one frame.
    void Reply(const QByteArray& payload, char terminator = frames::EOT) {
        serial->Feed(Frame(payload, terminator));
    }
    // Payloads the link wrote since the last call.
    QStringList Sent() {
        QStringList out;
        for (const QByteArray& f : serial->written)
            out << PayloadOf(f);
        serial->written.clear();
        return out;
    }
    // Brings the link to connected: lines on, one poll, the model's answer.
    void Connect() {
        serial->SetLines(SerialPort::LineCts | SerialPort::LineDsr);
        link->tmrTimer_Timer();
        Reply("RC,R,QV-4170");
        QCoreApplication::processEvents();
        serial->written.clear();
    }
    // A request as the long operations send it.
    void Request(int32_t status, const QByteArray& payload) {
        link->SetStatus(status);
        link->DataSend(Frame(payload), true);
        serial->written.clear();
    }
    void Tick(int n) {
        for (int i = 0; i < n; ++i)
            link->tmrTimer_Timer();
    }
};

}  // namespace qv::test
