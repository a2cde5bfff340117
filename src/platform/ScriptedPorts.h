// Scripted ports for tests: what the link writes is recorded, and received bytes, line-status
// changes, line errors and infrared events are raised on demand.
#pragma once

#include "InfraredPort.h"

#include <QList>
#include <functional>

namespace qv {

// The scripted side shared by both scripted ports.
template <class Base>
class ScriptedPortBase : public Base {
  public:
    using Base::Base;

    bool Open() override {
        ++opens;
        if (!failOpen_.isEmpty()) {
            this->openError_ = failOpen_;
            return false;
        }
        open_ = true;
        return true;
    }
    void Close() override {
        if (open_) ++closes;
        open_ = false;
    }
    bool IsOpen() const override { return open_; }
    bool Write(const QByteArray& data) override {
        if (refuseWrites) return false;
        written.append(data);
        if (onWrite) onWrite(data);
        return true;
    }
    QByteArray ReadAll() override {
        QByteArray data = input_;
        input_.clear();
        return data;
    }
    int LineStatus() const override { return lines_; }
    void ClearOutput() override { ++outputClears; }

    // Bytes arrive: the receive event is raised at once.
    void Feed(const QByteArray& bytes) {
        input_ += bytes;
        emit this->Notify(SerialPort::EvReceive);
    }
    // Sets the line-status word; with raise, a line-status change is reported.
    void SetLines(int bits, bool raise = true) {
        lines_ = bits;
        if (raise) emit this->Notify(SerialPort::EvCtsChange);
    }
    void Raise(int code) { emit this->Notify(code); }
    // A non-empty cause makes every open fail with it.
    void FailOpen(const QString& cause) { failOpen_ = cause; }

    QList<QByteArray> written;
    std::function<void(const QByteArray&)> onWrite;
    // The port refuses every frame (a device gone between two checks).
    bool refuseWrites = false;
    int opens = 0;
    int closes = 0;
    int outputClears = 0;

  private:
    bool open_ = false;
    int lines_ = 0;
    QByteArray input_;
    QString failOpen_;
};

class ScriptedSerialPort : public ScriptedPortBase<SerialPort> {
    Q_OBJECT
  public:
    using ScriptedPortBase::ScriptedPortBase;
};

class ScriptedInfraredPort : public ScriptedPortBase<InfraredPort> {
    Q_OBJECT
  public:
    using ScriptedPortBase::ScriptedPortBase;
    bool CanCarryLink() const override { return canCarry; }
    QString PeerName() const override { return peer; }
    int ErrorNumber() const override { return errorNumber; }
    void Discover() override { ++discoveries; }

    // A peer with this name is found (event 1020).
    void FindPeer(const QString& name) {
        peer = name;
        Raise(EvPeerFound);
    }

    bool canCarry = false;
    QString peer;
    int errorNumber = 0;
    int discoveries = 0;
};

}  // namespace qv
