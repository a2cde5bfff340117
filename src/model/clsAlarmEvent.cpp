// The alarm-event log: its kind within the monthly event logs.
#include "clsAlarmEvent.h"

#include "modGlobals.h"

namespace qv {

// Slot dates survive ClearDatas: a downloaded alarm event keeps its date in the header.
const MonthlyEventLog::Kind clsAlarmEvent::kKind{
    TypeAlarmEvents, "Alarm Events", "Alarm_Event", 'C', 25, 4, false};

clsAlarmEvent::clsAlarmEvent() : MonthlyEventLog(kKind) {}

}  // namespace qv
