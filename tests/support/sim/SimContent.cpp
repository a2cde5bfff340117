// The simulated instrument's built-in content, the interval-log generator and fixture loading.
#include "SimContent.h"

#include <QDir>
#include <QFile>

namespace qv::sim {

namespace {
QString Two(int v) {
    return QString::number(v).rightJustified(2, u'0');
}
QString DateField(const QDateTime& d) {
    return Two(d.date().year() % 100) + Two(d.date().month()) + Two(d.date().day());
}
QString TimeField(const QDateTime& d) {
    return Two(d.time().hour()) + Two(d.time().minute()) + Two(d.time().second());
}
QString Five(double v, int places) {
    return QString::number(v, 'f', places).rightJustified(5, u' ').right(5);
}
}  // namespace

const QString kGasTable =
    QStringLiteral("CH4  100    1OXY   40  0.1H2S  100  0.5CO   500    1HC   100    1");
const QString kIdentity = QStringLiteral("USER01    STATION01 ");
const QString kSerial = QStringLiteral("SN1234567890");

QStringList IntervalLog(int logNo, int samples, const QDateTime& start, int interval,
                        int eventEvery) {
    const QString no = Two(logNo);
    QStringList lines;
    lines << no + QStringLiteral("AD") + DateField(start) + TimeField(start) +
                 QString::number(interval).rightJustified(4, u'0') + QStringLiteral("0000");
    lines << no + QStringLiteral("AA") + QStringLiteral("USER01    STATION01 ");
    lines << no + QStringLiteral("AB") + QStringLiteral("SN1234567890") + QStringLiteral("     ");
    lines << no + QStringLiteral("AC") + QStringLiteral("CH4  100    1") +
                 QStringLiteral("OXY   40  0.1") + QStringLiteral("H2S  100  0.5") +
                 QStringLiteral("CO   500    1") + QStringLiteral("HC   100    1");
    const QDateTime peak = start.addSecs(qint64(interval) * (samples / 2));
    const QString when = DateField(peak) + TimeField(peak);
    lines << no + QStringLiteral("AE") + Five(12, 0) + Five(45, 0) + when;
    lines << no + QStringLiteral("AF") + Five(20.8, 1) + Five(19.9, 1) + when;
    lines << no + QStringLiteral("AG") + Five(20.8, 1) + Five(20.9, 1) + when;
    lines << no + QStringLiteral("AH") + Five(1.5, 1) + Five(12.5, 1) + when;
    lines << no + QStringLiteral("AI") + Five(3, 0) + Five(30, 0) + when;
    for (int n = 1; n <= samples; ++n) {
        const int i = n - 1;
        lines << no + QStringLiteral("A0") + Five(i % 50, 0) + Five(20.9 - (i % 10) * 0.1, 1) +
                     Five((i % 25) * 0.5, 1) + Five(i % 40, 0) + QStringLiteral("00") +
                     QString::number(n).rightJustified(4, u'0');
        if (eventEvery > 0 && n % eventEvery == 0)
            lines << no + QStringLiteral("A1") + QStringLiteral("03") + QStringLiteral("  ") +
                         QString::number(n).rightJustified(4, u'0') + QString(10, u' ') +
                         QStringLiteral("0005");
    }
    return lines;
}

QStringList AlarmTrendLog(int logNo, const QDateTime& moment, int interval) {
    const QString no = Two(logNo);
    QStringList lines;
    lines << no + QStringLiteral("BD") + DateField(moment) + TimeField(moment) +
                 QString::number(interval).rightJustified(4, u'0') + QStringLiteral("0000");
    lines << no + QStringLiteral("BA") + kIdentity;
    lines << no + QStringLiteral("BB") + kSerial + QStringLiteral(" 0731");
    lines << no + QStringLiteral("BC") + kGasTable;
    for (int n = 1; n <= 731; ++n) {
        const int peak = 50 - qAbs(n - 361) / 8;
        lines << no + QStringLiteral("B0") + Five(qMax(0, peak), 0) + Five(20.9, 1) + Five(0, 1) +
                     Five(0, 0) + QStringLiteral("00") + QString::number(n).rightJustified(4, u'0');
    }
    return lines;
}

QStringList EventLog(QChar letter, int logNo, const QDateTime& when, int gas) {
    const QString head = Two(logNo) + letter;
    return {head + u'D' + DateField(when) + TimeField(when) + QString(9, u'0'),
            head + QString::number(gas) + QStringLiteral("0310") + QString(17, u' '),
            head + u'C' + kGasTable,
            head + u'B' + kSerial + QStringLiteral(" 0001") + QString(4, u' '),
            head + u'A' + kIdentity};
}

QString PowerLine(int logNo, const QDateTime& when, bool on) {
    return Two(logNo) + QStringLiteral("FD") + DateField(when) + TimeField(when) +
           (on ? QStringLiteral("1111") : QStringLiteral("0000")) + QStringLiteral("0000");
}

QString HistoryLine(const QDateTime& when, double before, double after) {
    return QStringLiteral("01") + DateField(when) + TimeField(when) + Five(before, 1) +
           Five(after, 1);
}

Content DefaultContent() {
    Content c;
    c.reads = {
        {"VP", "2100"},
        {"XZ", "USER01    "},
        {"XS", "STATION01 "},
        {"IN", "SN1234567890"},
        {"HN", "DUMMY0000001"},
        {"HC", "140509083000"},
        {"LP", "0"},
        {"AP", "1"},
        {"XP", "003C"},
        {"XI", "1"},
        {"SD", "0"},
        {"SM", "1"},
        {"SC", "1E"},
        {"XL", "0"},
        {"XA", "0"},
        {"XB", "1"},
        {"XW", "1"},
        {"XT", "000A"},
        {"UL", "08"},
        {"HF", "10"},
        {"DD", "500"},
        {"A1", "   10, 19.5,   10,   25,   10"},
        {"A2", "   50, 18.0,   30,   50,   50"},
        {"AS", "*****,*****,   15,  200,*****"},
        {"AW", "*****,*****,   10,   25,*****"},
        {"HA", "0123,0456,0789,0ABC,0DEF,0100,0200,0300"},
        {"VS", "1.00"},
        {"GJ",
         "CH4   100    1%LEL,OXY    40  0.1VOL%,H2S   100  0.5ppm ,CO    500    1ppm ,"
         "HC    100    1%LEL"},
        {"SA", "   10, 12.0,   10,  100,   10"},
        {"UZ", "00000"},
        {"AT", "1"},
        {"SO",
         "140401093000  0.0 50.0,140401093000 20.9 20.9,140401093000  0.0 10.0,"
         "140401093000  0.0100.0,140401093000  0.0 50.0"},
    };
    c.blocks[QStringLiteral("DR")] =
        IntervalLog(1, 120, QDateTime(QDate(2014, 5, 9), QTime(8, 30, 0), Qt::UTC), 60, 40);
    const QDateTime day(QDate(2014, 5, 2), QTime(10, 15, 0), Qt::UTC);
    c.blocks[QStringLiteral("DJ")] =
        AlarmTrendLog(1, day, 10) + AlarmTrendLog(2, day.addDays(3), 10);
    for (int i = 0; i < 3; ++i) {
        c.blocks[QStringLiteral("VE")] += EventLog(u'C', i + 1, day.addSecs(3600 * i), i + 1);
        c.blocks[QStringLiteral("DO")] << PowerLine(1, day.addSecs(7200 * i), i % 2 == 0);
    }
    for (int i = 0; i < 2; ++i)
        c.blocks[QStringLiteral("TV")] += EventLog(u'D', i + 1, day.addDays(i), i + 2);
    for (int ch = 1; ch <= 5; ++ch)
        for (int i = 0; i < 3; ++i)
            c.blocks[QStringLiteral("IH%1").arg(ch)]
                << HistoryLine(day.addDays(-30 * i), 0.5 * ch, 10.0 * ch);
    for (int i = 0; i < 256; ++i)
        c.eeprom.append(static_cast<char>(i));
    c.readings = QStringLiteral("   12, 20.9,  1.5,    3,   12");
    return c;
}

bool LoadFixtures(Content& content, const QString& folder, QString* error) {
    const QDir dir(folder);
    const auto read = [&](const QString& name, QStringList* lines) {
        QFile file(dir.filePath(name));
        if (!file.exists()) return true;
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            if (error) *error = file.fileName() + QStringLiteral(": ") + file.errorString();
            return false;
        }
        *lines = QString::fromLatin1(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        for (QString& l : *lines)
            if (l.endsWith(u'\r')) l.chop(1);
        return true;
    };
    for (const QString& kind : content.blocks.keys()) {
        QStringList lines = content.blocks.value(kind);
        if (!read(kind + QStringLiteral(".txt"), &lines)) return false;
        content.blocks[kind] = lines;
    }
    QStringList reads;
    if (!read(QStringLiteral("reads.txt"), &reads)) return false;
    for (const QString& line : reads) {
        const int tab = line.indexOf(u'\t');
        if (tab > 0) content.reads[line.left(tab)] = line.mid(tab + 1);
    }
    QStringList hex;
    if (!read(QStringLiteral("eeprom.hex"), &hex)) return false;
    if (!hex.isEmpty()) content.eeprom = QByteArray::fromHex(hex.join(QString()).toLatin1());
    return true;
}

}  // namespace qv::sim
