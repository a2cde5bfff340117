// The lookup of the USB serial converter's port, behind an interface a test can fill, and the
// numbering of ports ("COM" n) that the settings keep, mapped to device paths.
#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>

namespace qv {

class PortFinder {
  public:
    virtual ~PortFinder() = default;
    // Port names ("COM" followed by the number) of the converters with this hardware identifier
    // ("VID_10C4&PID_EA60"). A failure of the lookup raises AppError.
    virtual QStringList FindPorts(const QString& deviceId) = 0;
};

// The machine's converters through QSerialPortInfo. When QV4170_PORT names a device, the lookup
// reports exactly that one port and nothing else.
class SystemPortFinder : public PortFinder {
  public:
    QStringList FindPorts(const QString& deviceId) override;
};

// A lookup that reports the device paths it was given (tests); Fail makes it raise.
class ListPortFinder : public PortFinder {
  public:
    explicit ListPortFinder(QStringList paths = {}) : paths_(std::move(paths)) {}
    QStringList FindPorts(const QString& deviceId) override;
    void SetFail(bool fail) { fail_ = fail; }

  private:
    QStringList paths_;
    bool fail_ = false;
};

// Vendor and product of a hardware identifier "VID_xxxx&PID_yyyy"; false when it has neither.
bool ParseDeviceId(const QString& deviceId, uint16_t* vendor, uint16_t* product);

// The number under which a device path is known, given on first sight: a /dev/ttySn keeps
// n + 1, any other device takes the lowest free number from 1 up.
int16_t PortNumberFor(const QString& path);
// The device of a port number: the path registered under it, else /dev/ttyS(n - 1).
QString PortPath(int16_t number);
// Keeps a number given to a port for the device it names now, so that no device found later (a
// second converter) is numbered so and opened in its place.
void KeepPortNumber(int16_t number);
// Forgets every registered path (tests).
void ClearPortNumbers();

}  // namespace qv
