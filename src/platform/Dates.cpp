// Date helpers: assembly with carry-over, the date pattern letters, ISO text and the clock.
#include "Dates.h"

#include <QElapsedTimer>

namespace qv::rt {

namespace {

class SystemClock : public Clock {
  public:
    // Asking the system for the local time reads the time-zone data each time; loading a log
    // asks for "now" once per row, so the local time is taken afresh only every 200 ms and
    // advanced by a monotonic timer in between.
    QDateTime now() const override {
        if (!base_.isValid() || !timer_.isValid() || timer_.elapsed() > 200) {
            const QDateTime local = QDateTime::currentDateTime();
            base_ = QDateTime(local.date(), local.time(), Qt::UTC);
            timer_.start();
        }
        const QDateTime t = base_.addMSecs(timer_.elapsed());
        const QTime time = t.time();
        return QDateTime(t.date(), QTime(time.hour(), time.minute(), time.second()), Qt::UTC);
    }

  private:
    mutable QDateTime base_;
    mutable QElapsedTimer timer_;
};

std::shared_ptr<Clock>& CurrentClock() {
    static std::shared_ptr<Clock> clock = std::make_shared<SystemClock>();
    return clock;
}

QString Two(int v) {
    return QString::number(v).rightJustified(2, u'0');
}

}  // namespace

QDateTime ZeroDate() {
    return QDateTime(QDate(1899, 12, 30), QTime(0, 0), Qt::UTC);
}

QDateTime DateSerial(int year, int month, int day) {
    // Carry the month into the year first, then count days from the first of that month.
    long long m0 = static_cast<long long>(month) - 1;
    long long y = year + (m0 >= 0 ? m0 / 12 : -((11 - m0) / 12));
    int m = static_cast<int>(((m0 % 12) + 12) % 12) + 1;
    if (y < 100 || y > 9999) return QDateTime();
    const QDate first(static_cast<int>(y), m, 1);
    return QDateTime(first.addDays(static_cast<qint64>(day) - 1), QTime(0, 0), Qt::UTC);
}

qint64 TimeSerial(int hour, int minute, int second) {
    return static_cast<qint64>(hour) * 3600 + static_cast<qint64>(minute) * 60 + second;
}

QDateTime AddSeconds(const QDateTime& date, qint64 seconds) {
    return date.addSecs(seconds);
}

QDateTime MakeDate(int year, int month, int day, int hour, int minute, int second) {
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::UTC);
}

QString FormatDate(const QDateTime& date, const QString& pattern) {
    // No date is shown as nothing, never as a made-up one.
    if (!date.isValid()) return QString();
    QString out;
    const QDate d = date.date();
    const QTime t = date.time();
    bool afterHour = false;  // "m" right after an hour means minutes
    const int n = static_cast<int>(pattern.size());
    for (int i = 0; i < n;) {
        const QChar c = pattern[i];
        if (c == u'"') {
            const int close = static_cast<int>(pattern.indexOf(u'"', i + 1));
            const int end = close < 0 ? n : close;
            out += pattern.mid(i + 1, end - i - 1);
            i = end + 1;
            continue;
        }
        const QChar lc = c.toLower();
        int run = 1;
        while (i + run < n && pattern[i + run].toLower() == lc)
            ++run;
        switch (lc.unicode()) {
            case u'y':
                out += run >= 3 ? QString::number(d.year()) : Two(d.year() % 100);
                afterHour = false;
                break;
            case u'm':
                if (afterHour)
                    out += run >= 2 ? Two(t.minute()) : QString::number(t.minute());
                else
                    out += run >= 2 ? Two(d.month()) : QString::number(d.month());
                afterHour = false;
                break;
            case u'd':
                out += run >= 2 ? Two(d.day()) : QString::number(d.day());
                afterHour = false;
                break;
            case u'h':
                out += run >= 2 ? Two(t.hour()) : QString::number(t.hour());
                afterHour = true;
                break;
            case u'n':
                out += run >= 2 ? Two(t.minute()) : QString::number(t.minute());
                afterHour = false;
                break;
            case u's':
                out += run >= 2 ? Two(t.second()) : QString::number(t.second());
                afterHour = false;
                break;
            default:
                out += QString(run, c);
                // A separator keeps the hour context ("hh:mm").
                if (c != u':' && c != u' ') afterHour = false;
                break;
        }
        i += run;
    }
    return out;
}

QString IsoText(const QDateTime& date) {
    return date.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QDateTime FromIsoText(const QString& text) {
    // The form the database holds is read by hand: the general parser is slow for a log's
    // thousands of rows.
    if (text.size() == 19 && text[4] == u'-' && text[7] == u'-' && text[10] == u' ' &&
        text[13] == u':' && text[16] == u':') {
        auto number = [&](int from, int length) {
            int v = 0;
            for (int i = from; i < from + length; ++i) {
                const char16_t c = text[i].unicode();
                if (c < u'0' || c > u'9') return -1;
                v = v * 10 + (c - u'0');
            }
            return v;
        };
        const QDate date(number(0, 4), number(5, 2), number(8, 2));
        const QTime time(number(11, 2), number(14, 2), number(17, 2));
        if (date.isValid() && time.isValid()) return QDateTime(date, time, Qt::UTC);
    }
    QDateTime d = QDateTime::fromString(text, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    if (!d.isValid()) d = QDateTime::fromString(text, Qt::ISODate);
    if (!d.isValid()) return QDateTime();
    return QDateTime(d.date(), d.time(), Qt::UTC);
}

QDateTime Now() {
    return CurrentClock()->now();
}

void SetClock(std::shared_ptr<Clock> clock) {
    CurrentClock() = clock ? std::move(clock) : std::make_shared<SystemClock>();
}

}  // namespace qv::rt
