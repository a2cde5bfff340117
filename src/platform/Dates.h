// Date helpers: a date is a wall-clock date and time with no time zone (held in a QDateTime of
// UTC spec so that no daylight-saving gap shifts a reading), assembled with carry-over by
// DateSerial/TimeSerial and formatted with the date pattern letters below.
#pragma once

#include <QDateTime>
#include <QString>
#include <memory>

namespace qv::rt {

// 30 December 1899 00:00:00, the date value 0.
QDateTime ZeroDate();
// A wall-clock date and time; invalid parts carry over (month 13 is January of the next year,
// day 0 the last day of the month before).
QDateTime DateSerial(int year, int month, int day);
// Seconds of the time hh:nn:ss; out-of-range parts carry over (minute 60 is the next hour).
qint64 TimeSerial(int hour, int minute, int second);
QDateTime AddSeconds(const QDateTime& date, qint64 seconds);
// Builds a wall-clock value from a date and time.
QDateTime MakeDate(int year, int month, int day, int hour = 0, int minute = 0, int second = 0);

// Formats with the date pattern letters: yyyy, yy, m/mm (month, or minutes right
// after an hour), d/dd, h/hh, n/nn, s/ss; "/" and ":" stand for themselves and text between
// double quotes is copied. "General Date" is not a pattern: use GeneralDate. An invalid date
// (no date) gives "".
QString FormatDate(const QDateTime& date, const QString& pattern);

// Database text of a date: yyyy-MM-dd HH:mm:ss, and back (an unreadable text gives an
// invalid QDateTime).
QString IsoText(const QDateTime& date);
QDateTime FromIsoText(const QString& text);

// The clock: "Now" comes from here, so that due dates and time-outs can be tested.
class Clock {
  public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;
};
// The current date and time of the installed clock, as a wall-clock value to the second.
QDateTime Now();
// Installs a clock (nullptr restores the system clock).
void SetClock(std::shared_ptr<Clock> clock);

}  // namespace qv::rt
