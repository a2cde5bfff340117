// Default line settings and the converter port lookup.
#include "modAddLib.h"

#include "PortFinder.h"
#include "Runtime.h"
#include "modGlobals.h"

namespace qv {

void SetDefaultCommSettings() {
    CommSettings = QStringLiteral("921600,n,8,1");
}

int FindConverterPort(const QString& deviceId, PortFinder& finder) {
    const QStringList ports = finder.FindPorts(deviceId);
    if (ports.size() != 1) {
        CommPortNo = 0;
        return static_cast<int>(ports.size());
    }
    // The leading digits of the name without "COM"; a name without them gives 0.
    QString rest = ports.front();
    rest.remove(QStringLiteral("COM"));
    rest = rest.trimmed();
    int digits = 0;
    while (digits < rest.size() && rest[digits].isDigit() && rest[digits].unicode() < 128)
        ++digits;
    const double value = digits ? rest.left(digits).toDouble() : 0.0;
    CommPortNo = rt::CInt(value);
    return 1;
}

int FindConverterPort(const QString& deviceId) {
    SystemPortFinder finder;
    return FindConverterPort(deviceId, finder);
}

}  // namespace qv
