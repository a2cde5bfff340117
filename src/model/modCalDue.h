// Calibration due dates, shared by the calibration history page and the instrument information
// page: whether a calibration date counts, its due state, the colour and text of a due cell,
// and the date's display. No window code, so both pages and their tests use it alike.
//
// The rule: a calibration date counts from the year 2000 on (a channel never calibrated holds
// the cleared date 1900-01-01 and never counts). It falls due `calLimit` calendar days later at
// the same time of day; it is overdue when that moment lies before now (the injectable clock),
// and due soon when the days left, rounded to a whole number with halves to even, are fewer
// than the LimitDays setting.
#pragma once

#include <QDateTime>
#include <QString>
#include <cstdint>

namespace qv {

enum CalDueState : int32_t { CalNotDue = 0, CalDueSoon = 1, CalOverdue = 2 };

// Cell colours of the due states (0x00BBGGRR).
inline constexpr int32_t CalOverdueColor = 0x0000FF;  // RGB(255, 0, 0)
inline constexpr int32_t CalDueSoonColor = 0x0080FF;  // RGB(255, 128, 0)

// True for a date that counts: valid and in the year 2000 or later.
bool IsValidCalDate(const QDateTime& calDate);

// Whole days from now until the date falls due (negative once it is past), halves to even.
// Kept in 32 bits: a far due date never wraps.
int32_t CalDaysLeft(const QDateTime& calDate, int32_t calLimit);

// The due state of a calibration date for a calibration interval of `calLimit` days (the
// instrument page passes its instrument's CalLimit). A date that does not count is CalNotDue.
int32_t GetCalDueState(const QDateTime& calDate, int32_t calLimit);

// CalOverdueColor, CalDueSoonColor or 0 (no colour of its own) for a calibration interval of
// `calLimit` days; 0 for a date that does not count.
int32_t GetCalDueColor(const QDateTime& calDate, int32_t calLimit);

// "Now" (message 5637) when overdue, else "Remaining n Day" (message 5638) with the days left,
// whatever LimitDays says; "" for a date that does not count.
QString GetCalDueText(const QDateTime& calDate, int32_t calLimit);

// The date as "General Date", or "" for a date that does not count.
QString FormatValidDate(const QDateTime& d);

}  // namespace qv
