// The trouble-event collection: frame codes "DD", "D1"-"D5", "DC", "DB" and "DA".
#include "clsTroubleEvents.h"

namespace qv {

clsTroubleEvents::clsTroubleEvents() : MonthlyEventCollection(QStringLiteral("Trouble Events ")) {}

}  // namespace qv
