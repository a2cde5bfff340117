// The one port interface between the instrument link and the wire, and its implementation on
// QSerialPort. Ports are addressed by number ("COM" n); PortPath maps a number to a device.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSerialPort>
#include <QString>
#include <QTimer>
#include <cstdint>
#include <optional>

namespace qv {

// A line settings text "921600,n,8,1": baud rate, parity letter (n, e, o, m, s), data bits,
// stop bits (1, 1.5, 2).
struct LineSettings {
    int baud = 9600;
    char parity = 'n';
    int dataBits = 8;
    QString stopBits = QStringLiteral("1");
};
std::optional<LineSettings> ParseLineSettings(const QString& text);

class SerialPort : public QObject {
    Q_OBJECT
  public:
    // Event codes delivered by Notify.
    enum EventCode : int {
        EvReceive = 2,
        EvCtsChange = 3,
        EvDsrChange = 4,
        EvBreak = 1001,
        EvFraming = 1004,
        EvOverrun = 1006,
        EvRxOverflow = 1008,
        EvParity = 1009,
        EvTxFull = 1010,
        EvDeviceControl = 1011,
    };
    // Bits of the line-status word.
    enum LineBits : int { LineCts = 0x10, LineDsr = 0x20 };
    // Handshaking modes: 0 none, 1 XON/XOFF, 2 RTS/CTS, 3 both.
    static constexpr int16_t HandshakeRtsCts = 2;

    explicit SerialPort(QObject* parent = nullptr) : QObject(parent) {}

    int16_t PortNumber() const { return portNumber_; }
    // The number stays with the device it names now (KeepPortNumber).
    virtual void SetPortNumber(int16_t number);
    const QString& Settings() const { return settings_; }
    // An unreadable settings text raises AppError 380 and keeps the old settings.
    void SetSettings(const QString& text);
    bool Dtr() const { return dtr_; }
    void SetDtr(bool on);
    bool Rts() const { return rts_; }
    void SetRts(bool on);
    int16_t Handshaking() const { return handshaking_; }
    void SetHandshaking(int16_t mode);

    // Opens the port; false when it cannot be opened, with the cause in OpenError().
    virtual bool Open() = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // True when the port took the whole frame; false when it is closed or refused it.
    virtual bool Write(const QByteArray& data) = 0;
    virtual QByteArray ReadAll() = 0;
    // CTS and DSR as LineCts | LineDsr; a port without modem lines reports both on.
    virtual int LineStatus() const = 0;
    // Empties the output not yet sent.
    virtual void ClearOutput() {}
    // The device path behind the port number, for messages.
    virtual QString DevicePath() const;
    const QString& OpenError() const { return openError_; }

  signals:
    void Notify(int code);

  protected:
    // Applies the stored line settings and lines to an open port.
    virtual void Apply() {}

    QString openError_;

  private:
    int16_t portNumber_ = 1;
    QString settings_ = QStringLiteral("9600,n,8,1");
    bool dtr_ = false;
    bool rts_ = false;
    int16_t handshaking_ = 0;
};

// Why a device that the user may not read and write cannot be opened, from its owner, group and
// mode: the group to join where joining one helps, else that only its owner may open it.
QString NoPermissionCause(const QString& path, unsigned owner, unsigned group, unsigned mode);

// The serial port of the machine, on QSerialPort.
class QtSerialPort : public SerialPort {
    Q_OBJECT
  public:
    explicit QtSerialPort(QObject* parent = nullptr);
    ~QtSerialPort() override;

    bool Open() override;
    void Close() override;
    bool IsOpen() const override { return port_.isOpen(); }
    bool Write(const QByteArray& data) override;
    QByteArray ReadAll() override { return port_.readAll(); }
    int LineStatus() const override;
    void ClearOutput() override;

  protected:
    void Apply() override;

  private:
    void OnError(QSerialPort::SerialPortError error);
    void PollLines();
    // Why an open failed, in words a user can act on.
    QString OpenFailureCause(const QString& path) const;

    QSerialPort port_;
    QTimer linePoll_;
    bool hasModemLines_ = true;
    bool lost_ = false;
    int lastLines_ = 0;
    int openGeneration_ = 0;
};

}  // namespace qv
