// The infrared port: a serial port that may carry the link itself and finds its peer by name.
// Linux has no IrDA stack, so the machine's infrared port never carries the link.
#pragma once

#include "SerialPort.h"

namespace qv {

class InfraredPort : public SerialPort {
    Q_OBJECT
  public:
    // Event codes of the infrared port besides data received (2).
    enum InfraredEvent : int { EvPeerFound = 1020, EvSocketError = 1021 };

    explicit InfraredPort(QObject* parent = nullptr) : SerialPort(parent) {}
    // True when the infrared port can carry the link itself (else the link runs over the
    // serial port once a peer is found).
    virtual bool CanCarryLink() const = 0;
    // Name of the peer device last found.
    virtual QString PeerName() const = 0;
    // Number of the last error.
    virtual int ErrorNumber() const = 0;
    // Looks for a peer; a peer found is reported by EvPeerFound.
    virtual void Discover() = 0;
};

// The infrared port of a machine without an IrDA stack: it never carries the link and never
// finds a peer; opening it only records the state.
class NoInfraredPort : public InfraredPort {
    Q_OBJECT
  public:
    using InfraredPort::InfraredPort;
    bool CanCarryLink() const override { return false; }
    QString PeerName() const override { return {}; }
    int ErrorNumber() const override { return 0; }
    void Discover() override {}
    bool Open() override {
        open_ = true;
        return true;
    }
    void Close() override { open_ = false; }
    bool IsOpen() const override { return open_; }
    // Nothing can be sent without an IrDA stack.
    bool Write(const QByteArray&) override { return false; }
    QByteArray ReadAll() override { return {}; }
    int LineStatus() const override { return 0; }

  private:
    bool open_ = false;
};

}  // namespace qv
