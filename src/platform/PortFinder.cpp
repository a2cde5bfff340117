// Converter lookup through QSerialPortInfo (or QV4170_PORT) and the port-number registry.
#include "PortFinder.h"

#include "AppError.h"

#include <QMap>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include <cstdlib>

namespace qv {

namespace {
QMap<int16_t, QString>& Registry() {
    static QMap<int16_t, QString> registry;
    return registry;
}
QString NameOf(const QString& path) {
    return QStringLiteral("COM") + QString::number(PortNumberFor(path));
}
}  // namespace

bool ParseDeviceId(const QString& deviceId, uint16_t* vendor, uint16_t* product) {
    static const QRegularExpression re(
        QStringLiteral("VID_([0-9A-Fa-f]{4}).*PID_([0-9A-Fa-f]{4})"));
    const auto m = re.match(deviceId);
    if (!m.hasMatch()) return false;
    *vendor = static_cast<uint16_t>(m.captured(1).toUInt(nullptr, 16));
    *product = static_cast<uint16_t>(m.captured(2).toUInt(nullptr, 16));
    return true;
}

int16_t PortNumberFor(const QString& path) {
    auto& registry = Registry();
    for (auto it = registry.cbegin(); it != registry.cend(); ++it)
        if (it.value() == path) return it.key();
    static const QRegularExpression ttyS(QStringLiteral("^/dev/ttyS(\\d{1,4})$"));
    const auto m = ttyS.match(path);
    if (m.hasMatch()) {
        const int n = m.captured(1).toInt() + 1;
        if (n <= 32767 && !registry.contains(static_cast<int16_t>(n))) {
            registry.insert(static_cast<int16_t>(n), path);
            return static_cast<int16_t>(n);
        }
    }
    int16_t n = 1;
    while (registry.contains(n))
        ++n;
    registry.insert(n, path);
    return n;
}

QString PortPath(int16_t number) {
    const auto& registry = Registry();
    const auto it = registry.constFind(number);
    if (it != registry.cend()) return it.value();
    return QStringLiteral("/dev/ttyS") + QString::number(number - 1);
}

void KeepPortNumber(int16_t number) {
    if (number < 1) return;
    auto& registry = Registry();
    if (registry.contains(number)) return;
    const QString path = PortPath(number);
    for (auto it = registry.cbegin(); it != registry.cend(); ++it)
        if (it.value() == path) return;
    registry.insert(number, path);
}

void ClearPortNumbers() {
    Registry().clear();
}

QStringList SystemPortFinder::FindPorts(const QString& deviceId) {
    const QString named = QString::fromLocal8Bit(std::getenv("QV4170_PORT"));
    if (!named.trimmed().isEmpty()) return {NameOf(named.trimmed())};
    uint16_t vendor = 0, product = 0;
    if (!ParseDeviceId(deviceId, &vendor, &product))
        throw AppError(ErrInvalidCall,
                       QStringLiteral("Unreadable hardware identifier: ") + deviceId);
    QStringList names;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        if (info.hasVendorIdentifier() && info.hasProductIdentifier() &&
            info.vendorIdentifier() == vendor && info.productIdentifier() == product)
            names << NameOf(info.systemLocation());
    }
    return names;
}

QStringList ListPortFinder::FindPorts(const QString& deviceId) {
    if (fail_) throw AppError(ErrObjectMissing, QStringLiteral("The port finder cannot be called"));
    QStringList names;
    for (const QString& path : paths_)
        names << NameOf(path);
    return names;
}

}  // namespace qv
