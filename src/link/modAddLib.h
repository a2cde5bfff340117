// Start-up help for the link: the default line settings and the lookup of the USB serial
// converter's port number.
#pragma once

#include <QString>

namespace qv {

class PortFinder;

// CommSettings = "921600,n,8,1".
void SetDefaultCommSettings();

// Sets CommPortNo to the number of the one converter found, 0 when there is none or more than
// one, and returns how many were found: the caller tells the user (message 20014, title 20015)
// when there is more than one. An error of the finder passes to the caller, CommPortNo kept.
int FindConverterPort(const QString& deviceId, PortFinder& finder);
// The same with the machine's lookup (QV4170_PORT honoured).
int FindConverterPort(const QString& deviceId);

}  // namespace qv
