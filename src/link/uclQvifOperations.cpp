// The long operations of the link control: block downloads, the instrument read table, the
// settings upload, instrument commands and calibration, and the EEP-ROM dump.
#include "uclQvif.h"

namespace qv {

// Not yet built: every operation reports a failed transfer.
bool uclQvif::GetInterval(const std::shared_ptr<clsIntervals>&) { return false; }
bool uclQvif::GetHistory(const std::shared_ptr<clsHistorys>&) { return false; }
bool uclQvif::GetLatestHistory(const std::shared_ptr<clsInstrument>&) { return false; }
bool uclQvif::GetAlarm(const std::shared_ptr<clsAlarms>&) { return false; }
bool uclQvif::GetAlarmEvent(const std::shared_ptr<clsAlarmEvents>&) { return false; }
bool uclQvif::GetTroubleEvent(const std::shared_ptr<clsTroubleEvents>&) { return false; }
bool uclQvif::GetPowerEvent(const std::shared_ptr<clsPowerEvents>&) { return false; }
bool uclQvif::GetInstrument(const std::shared_ptr<clsInstrument>&) { return false; }
bool uclQvif::SetInstrument(const std::shared_ptr<clsInstrument>&) { return false; }
bool uclQvif::SetInitValue(const std::shared_ptr<clsInstrument>&) { return false; }
bool uclQvif::SetDateTime(const QDateTime&) { return false; }
bool uclQvif::SetPump(bool) { return false; }
bool uclQvif::BodyDataClear() { return false; }
bool uclQvif::BodyPowerOff() { return false; }
bool uclQvif::ZeroCal(const QString&) { return false; }
bool uclQvif::SpanCal(const QString&) { return false; }
bool uclQvif::ZeroStatus(int) const { return false; }
bool uclQvif::SpanStatus(int) const { return false; }
float uclQvif::FactCal(int) const { return 0; }
void uclQvif::SetFactCal(int, float) {}
void uclQvif::SetSystemBlock(bool) {}
bool uclQvif::GetRomDump(const QString&) { return false; }

}  // namespace qv
