// The trouble-event log: its kind within the monthly event logs and the sensor names.
#include "clsTroubleEvent.h"

#include "Dates.h"
#include "modGlobals.h"

namespace qv {

// Gas digit 5 is the instrument itself; ClearDatas dates every slot at the present moment.
const MonthlyEventLog::Kind clsTroubleEvent::kKind{
    TypeTroubleEvents, "Trouble Events", "Trouble_Event", 'D', 24, 5, true};

clsTroubleEvent::clsTroubleEvent() : MonthlyEventLog(kKind) {}

QString clsTroubleEvent::GetGasName(int GasNo) const {
    return GasNo == 4 ? QStringLiteral("System") : header_.GasName(GasNo);
}

QDateTime clsTroubleEvent::DateTimes(int Index) const {
    return InRange(Index) ? SlotAt(Index).Dates : rt::ZeroDate();
}

}  // namespace qv
