// Date helpers: assembly with carry-over, the original's format letters, ISO text and the clock.
#include "Dates.h"

namespace qv::rt {

namespace {

class SystemClock : public Clock {
  public:
    QDateTime now() const override {
        const QDateTime local = QDateTime::currentDateTime();
        const QTime t = local.time();
        return QDateTime(local.date(), QTime(t.hour(), t.minute(), t.second()), Qt::UTC);
    }
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
