// The alarm-event collection: frame codes "CD", "C1"-"C4", "CC", "CB" and "CA".
#include "clsAlarmEvents.h"

namespace qv {

clsAlarmEvents::clsAlarmEvents() : MonthlyEventCollection(QStringLiteral("Alarm Events ")) {}

}  // namespace qv
