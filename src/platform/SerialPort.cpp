// The port interface's shared settings and the serial port on QSerialPort.
#include "SerialPort.h"

#include "AppError.h"
#include "PlatformText.h"
#include "PortFinder.h"

#include <QFileInfo>
#include <QStringList>

#include <grp.h>
#include <pwd.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>

namespace qv {

std::optional<LineSettings> ParseLineSettings(const QString& text) {
    const QStringList parts = text.split(u',');
    if (parts.size() != 4) return std::nullopt;
    LineSettings s;
    bool ok = false;
    s.baud = parts[0].trimmed().toInt(&ok);
    if (!ok || s.baud <= 0) return std::nullopt;
    const QString parity = parts[1].trimmed().toLower();
    if (parity.size() != 1 || !QStringLiteral("neoms").contains(parity)) return std::nullopt;
    s.parity = parity[0].toLatin1();
    s.dataBits = parts[2].trimmed().toInt(&ok);
    if (!ok || s.dataBits < 5 || s.dataBits > 8) return std::nullopt;
    s.stopBits = parts[3].trimmed();
    if (s.stopBits != u"1" && s.stopBits != u"1.5" && s.stopBits != u"2") return std::nullopt;
    return s;
}

void SerialPort::SetPortNumber(int16_t number) {
    portNumber_ = number;
    KeepPortNumber(number);
}

void SerialPort::SetSettings(const QString& text) {
    if (!ParseLineSettings(text))
        throw AppError(380, QStringLiteral("Invalid property value: ") + text);
    settings_ = text;
    if (IsOpen()) Apply();
}

void SerialPort::SetDtr(bool on) {
    dtr_ = on;
    if (IsOpen()) Apply();
}

void SerialPort::SetRts(bool on) {
    rts_ = on;
    if (IsOpen()) Apply();
}

void SerialPort::SetHandshaking(int16_t mode) {
    handshaking_ = mode;
    if (IsOpen()) Apply();
}

QString SerialPort::DevicePath() const {
    return PortPath(portNumber_);
}

QtSerialPort::QtSerialPort(QObject* parent) : SerialPort(parent) {
    connect(&port_, &QSerialPort::readyRead, this, [this] { emit Notify(EvReceive); });
    connect(&port_, &QSerialPort::errorOccurred, this, &QtSerialPort::OnError);
    linePoll_.setInterval(100);
    connect(&linePoll_, &QTimer::timeout, this, &QtSerialPort::PollLines);
}

QtSerialPort::~QtSerialPort() {
    linePoll_.stop();
    if (port_.isOpen()) port_.close();
}

bool QtSerialPort::Open() {
    openError_.clear();
    if (port_.isOpen()) return true;
    const QString path = DevicePath();
    if (!QFileInfo::exists(path)) {
        openError_ =
            PlatformText(TextDeviceMissing, {path}, QStringLiteral("the device %1 is missing"));
        return false;
    }
    port_.setPortName(path);
    if (!port_.open(QIODevice::ReadWrite)) {
        openError_ = OpenFailureCause(path);
        return false;
    }
    lost_ = false;
    ++openGeneration_;
    Apply();
    // A pseudo-terminal or a plain serial device may have no modem lines: it then counts as
    // CTS and DSR on, so that connecting can start.
    int bits = 0;
    hasModemLines_ = ::ioctl(port_.handle(), TIOCMGET, &bits) == 0;
    lastLines_ = 0;
    if (hasModemLines_) {
        linePoll_.start();
    } else {
        const int generation = openGeneration_;
        QMetaObject::invokeMethod(
            this,
            [this, generation] {
                if (port_.isOpen() && generation == openGeneration_) emit Notify(EvCtsChange);
            },
            Qt::QueuedConnection);
    }
    return true;
}

QString QtSerialPort::OpenFailureCause(const QString& path) const {
    switch (port_.error()) {
        case QSerialPort::DeviceNotFoundError:
            return PlatformText(TextDeviceMissing, {path},
                                QStringLiteral("the device %1 is missing"));
        case QSerialPort::PermissionError: {
            struct stat st {};
            if (::access(path.toLocal8Bit().constData(), R_OK | W_OK) != 0 && errno == EACCES &&
                ::stat(path.toLocal8Bit().constData(), &st) == 0)
                return NoPermissionCause(path, st.st_uid, st.st_gid, st.st_mode);
            return PlatformText(TextDeviceHeld, {path}, QStringLiteral("another program holds %1"));
        }
        case QSerialPort::OpenError:
            return PlatformText(TextDeviceOpenAlready, {path},
                                QStringLiteral("%1 is open already"));
        default:
            return QStringLiteral("%1: %2").arg(path, port_.errorString());
    }
}

QString NoPermissionCause(const QString& path, unsigned owner, unsigned group, unsigned mode) {
    // Joining a group helps only when the group may read and write the device, and the
    // superuser's group is no group to join.
    const bool groupMayUse = (mode & (S_IRGRP | S_IWGRP)) == (S_IRGRP | S_IWGRP);
    if (group != 0 && groupMayUse) {
        const struct group* g = ::getgrgid(group);
        const QString name = g ? QString::fromLocal8Bit(g->gr_name) : QString::number(group);
        return PlatformText(
            TextDeviceNoPermission, {path, name},
            QStringLiteral("the user lacks permission for %1 (the device belongs to the group %2; "
                           "add the user to it, usually dialout or uucp)"));
    }
    const struct passwd* p = ::getpwuid(owner);
    const QString name = p ? QString::fromLocal8Bit(p->pw_name) : QString::number(owner);
    return PlatformText(TextDeviceOwnerOnly, {path, name},
                        QStringLiteral("the user lacks permission for %1 (only its owner %2 may "
                                       "open it)"));
}

void QtSerialPort::Close() {
    linePoll_.stop();
    ++openGeneration_;
    if (port_.isOpen()) port_.close();
    lastLines_ = 0;
}

bool QtSerialPort::Write(const QByteArray& data) {
    if (!port_.isOpen()) return false;
    const bool taken = port_.write(data) == data.size();
    port_.flush();
    return taken;
}

int QtSerialPort::LineStatus() const {
    if (!port_.isOpen() || lost_) return 0;
    if (!hasModemLines_) return LineCts | LineDsr;
    int bits = 0;
    if (::ioctl(port_.handle(), TIOCMGET, &bits) != 0) return 0;
    return ((bits & TIOCM_CTS) ? LineCts : 0) | ((bits & TIOCM_DSR) ? LineDsr : 0);
}

void QtSerialPort::ClearOutput() {
    if (port_.isOpen()) port_.clear(QSerialPort::Output);
}

void QtSerialPort::Apply() {
    const auto s = ParseLineSettings(Settings());
    if (!s) return;
    port_.setBaudRate(s->baud);
    switch (s->parity) {
        case 'e':
            port_.setParity(QSerialPort::EvenParity);
            break;
        case 'o':
            port_.setParity(QSerialPort::OddParity);
            break;
        case 'm':
            port_.setParity(QSerialPort::MarkParity);
            break;
        case 's':
            port_.setParity(QSerialPort::SpaceParity);
            break;
        default:
            port_.setParity(QSerialPort::NoParity);
            break;
    }
    port_.setDataBits(static_cast<QSerialPort::DataBits>(s->dataBits));
    port_.setStopBits(s->stopBits == u"2"     ? QSerialPort::TwoStop
                      : s->stopBits == u"1.5" ? QSerialPort::OneAndHalfStop
                                              : QSerialPort::OneStop);
    const int16_t hs = Handshaking();
    port_.setFlowControl(hs == 1   ? QSerialPort::SoftwareControl
                         : hs >= 2 ? QSerialPort::HardwareControl
                                   : QSerialPort::NoFlowControl);
    // Modem lines may be missing (a pseudo-terminal): their failure is not an error of the link.
    port_.setDataTerminalReady(Dtr());
    if (hs < 2) port_.setRequestToSend(Rts());
    port_.clearError();
}

void QtSerialPort::OnError(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::ResourceError:
        case QSerialPort::ReadError:
            // The device went away (unplugged, or the far end of a pseudo-terminal closed): the
            // lines drop, which the link takes as the instrument gone, then the port closes.
            if (!port_.isOpen() || lost_) return;
            lost_ = true;
            // Qt's own text here is often that of an earlier, harmless failure (a modem line
            // that a pseudo-terminal lacks): the cause is told by what is left of the device.
            openError_ =
                QFileInfo::exists(DevicePath())
                    ? PlatformText(TextDeviceStopped, {DevicePath()},
                                   QStringLiteral("%1 stopped answering: it was unplugged, "
                                                  "switched off or closed at its other end"))
                    : PlatformText(TextDeviceMissing, {DevicePath()},
                                   QStringLiteral("the device %1 is missing"));
            emit Notify(EvCtsChange);
            Close();
            return;
        default:
            return;
    }
}

void QtSerialPort::PollLines() {
    const int lines = LineStatus();
    if (lines == lastLines_) return;
    const bool ctsChanged = (lines ^ lastLines_) & LineCts;
    lastLines_ = lines;
    emit Notify(ctsChanged ? EvCtsChange : EvDsrChange);
}

}  // namespace qv
