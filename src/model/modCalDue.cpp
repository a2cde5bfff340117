// Calibration due states, colours and texts.
#include "modCalDue.h"

#include "Dates.h"
#include "Runtime.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <algorithm>
#include <limits>

namespace qv {

namespace {

constexpr double kSecondsPerDay = 86400;

// Seconds from now until the date falls due; dates carry no time zone, so a calendar day is
// always 86,400 seconds.
double SecondsToDue(const QDateTime& calDate, int32_t calLimit) {
    return static_cast<double>(calLimit) * kSecondsPerDay -
           static_cast<double>(calDate.secsTo(rt::Now()));
}

bool Overdue(const QDateTime& calDate, int32_t calLimit) {
    return SecondsToDue(calDate, calLimit) < 0;
}

}  // namespace

bool IsValidCalDate(const QDateTime& calDate) {
    return calDate.isValid() && calDate.date().year() >= 2000;
}

int32_t CalDaysLeft(const QDateTime& calDate, int32_t calLimit) {
    const double days = SecondsToDue(calDate, calLimit) / kSecondsPerDay;
    return rt::CLng(std::clamp(days, static_cast<double>(std::numeric_limits<int32_t>::min()),
                               static_cast<double>(std::numeric_limits<int32_t>::max())));
}

int32_t GetCalDueState(const QDateTime& calDate, int32_t calLimit) {
    if (!IsValidCalDate(calDate)) return CalNotDue;
    if (Overdue(calDate, calLimit)) return CalOverdue;
    return CalDaysLeft(calDate, calLimit) < LimitDays ? CalDueSoon : CalNotDue;
}

int32_t GetCalDueColor(const QDateTime& calDate, int32_t calLimit) {
    switch (GetCalDueState(calDate, calLimit)) {
        case CalOverdue:
            return CalOverdueColor;
        case CalDueSoon:
            return CalDueSoonColor;
        default:
            return 0;
    }
}

QString GetCalDueText(const QDateTime& calDate, int32_t calLimit) {
    if (!IsValidCalDate(calDate)) return QString();
    if (Overdue(calDate, calLimit)) return GetMessage(5637);
    return GetMessage(5638, {QString::number(CalDaysLeft(calDate, calLimit))});
}

QString FormatValidDate(const QDateTime& d) {
    return IsValidCalDate(d) ? GeneralDate(d) : QString();
}

}  // namespace qv
