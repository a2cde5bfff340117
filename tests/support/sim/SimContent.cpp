// The simulated instrument's logs and their record lines, the built-in and full-memory content,
// and fixture loading.
#include "SimContent.h"

#include <QDir>
#include <QFile>

#include <cstdlib>

namespace qv::sim {

namespace {
QString Two(int v) {
    return QString::number(v).rightJustified(2, u'0');
}
QString Four(int v) {
    return QString::number(v).rightJustified(4, u'0');
}
QString DateField(const QDateTime& d) {
    return Two(d.date().year() % 100) + Two(d.date().month()) + Two(d.date().day());
}
QString TimeField(const QDateTime& d) {
    return Two(d.time().hour()) + Two(d.time().minute()) + Two(d.time().second());
}
QString Stamp(const QDateTime& d) {
    return DateField(d) + TimeField(d);
}
// A value in five characters with `places` decimals, as the instrument writes readings.
QString Five(double v, int places) {
    return QString::number(v, 'f', places).rightJustified(5, u' ').right(5);
}
QString Cut(const QString& text, int width) {
    return text.leftJustified(width, u' ', true);
}
int Points(const FixtureIdentity& id, int channel) {
    return id.gases[static_cast<size_t>(channel)].points;
}
// The gas table of the log lines: five blocks of name, full scale and step.
QString GasTableText(const FixtureIdentity& id) {
    QString text;
    for (const FixtureGas& g : id.gases)
        text += g.name.isEmpty() ? QStringLiteral("***") + QString(10, u' ')
                                 : Cut(g.name, 3) + Five(g.fullScale, 0) + Five(g.step, g.points);
    return text;
}
QString IdentityText(const FixtureIdentity& id) {
    return Cut(id.user, 10) + Cut(id.station, 10);
}
QString ReadingsText(const Readings& r, const FixtureIdentity& id) {
    QString text;
    for (int c = 0; c < 4; ++c)
        text += Five(r[static_cast<size_t>(c)], Points(id, c));
    return text;
}

// A channel of the gas list the instrument reports ("GJ"): name, full scale, step and unit.
QString GasListEntry(const FixtureGas& g, const QString& unit) {
    return Cut(g.name, 4) + Five(g.fullScale, 0) + Five(g.step, g.points) + Cut(unit, 4);
}

const QStringList kUnits = {QStringLiteral("%LEL"), QStringLiteral("VOL%"), QStringLiteral("ppm"),
                            QStringLiteral("ppm"), QStringLiteral("%LEL")};

FixtureIdentity DefaultIdentity() {
    FixtureIdentity id;
    id.gases = {
        FixtureGas{QStringLiteral("CH4"), 100, 1, 0}, FixtureGas{QStringLiteral("OXY"), 40, 0.1, 1},
        FixtureGas{QStringLiteral("H2S"), 100, 0.5, 1}, FixtureGas{QStringLiteral("CO"), 500, 1, 0},
        FixtureGas{QStringLiteral("HC"), 100, 1, 0}};
    return id;
}
}  // namespace

const QStringList kLoggedKinds = {QStringLiteral("DR"), QStringLiteral("DJ"), QStringLiteral("VE"),
                                  QStringLiteral("TV"), QStringLiteral("DO")};

IntervalFixture MakeInterval(int logNo, int samples, const QDateTime& start, int interval,
                             int eventEvery) {
    IntervalFixture log;
    log.logNo = logNo;
    log.start = start;
    log.interval = interval;
    for (int i = 0; i < samples; ++i)
        log.samples << Readings{double(i % 50), (209 - i % 10) / 10.0, (i % 25) * 0.5,
                                double(i % 40)};
    if (eventEvery > 0)
        for (int n = eventEvery; n <= samples; n += eventEvery)
            log.events << IntervalFixture::Event{n, 0, 3, 5};
    log.statistics = {Readings{12, 20.8, 1.5, 3}, Readings{45, 20.9, 12.5, 30}, 19.9,
                      start.addSecs(qint64(interval) * (samples / 2))};
    return log;
}

AlarmTrendFixture MakeAlarmTrend(int logNo, const QDateTime& moment, int interval, int samples) {
    AlarmTrendFixture log;
    log.logNo = logNo;
    log.moment = moment;
    log.interval = interval;
    for (int n = 1; n <= samples; ++n)
        log.samples << Readings{double(qMax(0, 50 - std::abs(n - 361) / 8)), 20.9, 0, 0};
    return log;
}

QStringList IntervalLines(const IntervalFixture& log, const FixtureIdentity& id) {
    const QString no = Two(log.logNo);
    const IntervalFixture::Statistics& s = log.statistics;
    const QString when = Stamp(s.peak);
    const auto stat = [&](const char* code, int channel, double second) {
        const int p = Points(id, channel);
        return no + QLatin1String(code) + Five(s.average[static_cast<size_t>(channel)], p) +
               Five(second, p) + when;
    };
    QStringList lines;
    lines << no + QStringLiteral("AD") + Stamp(log.start) + Four(log.interval) +
                 QStringLiteral("0000");
    lines << no + QStringLiteral("AA") + IdentityText(id);
    lines << no + QStringLiteral("AB") + Cut(id.serial, 12) + QString(5, u' ');
    lines << no + QStringLiteral("AC") + GasTableText(id);
    lines << stat("AE", 0, s.maximum[0]) << stat("AF", 1, s.minimum1) << stat("AG", 1, s.maximum[1])
          << stat("AH", 2, s.maximum[2]) << stat("AI", 3, s.maximum[3]);
    int next = 0;
    for (int n = 1; n <= log.samples.size(); ++n) {
        QString readings = ReadingsText(log.samples[n - 1], id);
        for (int c = 0; c < 4; ++c)
            if (log.failing[static_cast<size_t>(c)])
                readings.replace(5 * c, 5, QStringLiteral(" FAIL"));
        lines << no + QStringLiteral("A0") + readings + QStringLiteral("00") + Four(n);
        for (; next < log.events.size() && log.events[next].sample == n; ++next) {
            const IntervalFixture::Event& e = log.events[next];
            lines << no + u'A' + QString::number(e.channel + 1) + Two(e.statusDigit) +
                         QStringLiteral("  ") + Four(n) + QString(10, u' ') + Four(e.offset);
        }
    }
    return lines;
}

QStringList AlarmTrendLines(const AlarmTrendFixture& log, const FixtureIdentity& id) {
    const QString no = Two(log.logNo);
    QStringList lines;
    lines << no + QStringLiteral("BD") + Stamp(log.moment) + Four(log.interval) +
                 QStringLiteral("0000");
    lines << no + QStringLiteral("BA") + IdentityText(id);
    lines << no + QStringLiteral("BB") + Cut(id.serial, 12) + u' ' +
                 Four(static_cast<int>(log.samples.size()));
    lines << no + QStringLiteral("BC") + GasTableText(id);
    for (int n = 1; n <= log.samples.size(); ++n)
        lines << no + QStringLiteral("B0") + ReadingsText(log.samples[n - 1], id) +
                     QStringLiteral("00") + Four(n);
    return lines;
}

QStringList EventLines(QChar letter, const EventFixture& event, const FixtureIdentity& id) {
    // Log numbers have two digits: the 100th event log is numbered 00, the next 01 again.
    const QString head = Two(event.logNo % 100) + letter;
    return {head + u'D' + Stamp(event.when) + QString(9, u'0'),
            head + QString::number(event.gas) + Two(event.statusDigit) +
                (event.nowEvent ? u'1' : u'0') + (event.nowCalib ? u'1' : u'0') + QString(17, u' '),
            head + u'C' + GasTableText(id),
            head + u'B' + Cut(id.serial, 12) + QStringLiteral(" 0001") + QString(4, u' '),
            head + u'A' + IdentityText(id)};
}

QString PowerLine(const PowerFixture& event) {
    return Two(event.logNo) + QStringLiteral("FD") + Stamp(event.when) +
           (event.on ? QStringLiteral("1111") : QStringLiteral("0000")) + QStringLiteral("0000");
}

QString HistoryLine(const HistoryFixture& line) {
    return QStringLiteral("01") + Stamp(line.when) + Five(line.before, 1) + Five(line.after, 1);
}

QStringList IntervalLog(int logNo, int samples, const QDateTime& start, int interval,
                        int eventEvery) {
    return IntervalLines(MakeInterval(logNo, samples, start, interval, eventEvery),
                         DefaultIdentity());
}

void RenderLogs(Content& c) {
    const FixtureLogs& logs = c.logs;
    QStringList dr, dj, ve, tv, power;
    for (const IntervalFixture& log : logs.intervals)
        dr += IntervalLines(log, logs.identity);
    for (const AlarmTrendFixture& log : logs.alarms)
        dj += AlarmTrendLines(log, logs.identity);
    for (const EventFixture& e : logs.alarmEvents)
        ve += EventLines(u'C', e, logs.identity);
    for (const EventFixture& e : logs.troubleEvents)
        tv += EventLines(u'D', e, logs.identity);
    for (const PowerFixture& e : logs.power)
        power << PowerLine(e);
    c.blocks[QStringLiteral("DR")] = dr;
    c.blocks[QStringLiteral("DJ")] = dj;
    c.blocks[QStringLiteral("VE")] = ve;
    c.blocks[QStringLiteral("TV")] = tv;
    c.blocks[QStringLiteral("DO")] = power;
    for (int ch = 1; ch <= 5; ++ch) {
        QStringList lines;
        for (const HistoryFixture& h : logs.history)
            if (h.channel == ch - 1) lines << HistoryLine(h);
        c.blocks[QStringLiteral("IH%1").arg(ch)] = lines;
    }
    QStringList so;
    for (const LatestCalibration& l : logs.latest)
        so << Stamp(l.when) + Five(l.before, 1) + Five(l.after, 1);
    c.reads[QStringLiteral("SO")] = so.join(u',');
}

void EraseLogs(Content& c) {
    for (const QString& kind : kLoggedKinds)
        c.blocks[kind].clear();
    c.logs.intervals.clear();
    c.logs.alarms.clear();
    c.logs.alarmEvents.clear();
    c.logs.troubleEvents.clear();
    c.logs.power.clear();
}

Content DefaultContent() {
    Content c;
    FixtureLogs& logs = c.logs;
    logs.identity = DefaultIdentity();
    const FixtureIdentity& id = logs.identity;
    QStringList gasList;
    for (int ch = 0; ch < 5; ++ch)
        gasList << GasListEntry(id.gases[static_cast<size_t>(ch)], kUnits[ch]);
    c.reads = {
        {"VP", "2100"},
        {"XZ", Cut(id.user, 10)},
        {"XS", Cut(id.station, 10)},
        {"IN", id.serial},
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
        // Levels and span concentrations in each gas's decimal places, as the instrument keeps
        // them.
        {"A1", "   10, 19.5, 10.0,   25,   10"},
        {"A2", "   50, 18.0, 30.0,   50,   50"},
        {"AS", "*****,*****, 15.0,  200,*****"},
        {"AW", "*****,*****, 10.0,   25,*****"},
        {"HA", "0123,0456,0789,0ABC,0DEF,0100,0200,0300"},
        {"VS", "1.00"},
        {"GJ", gasList.join(u',')},
        {"SA", "   10, 12.0, 10.0,  100,   10"},
        {"UZ", "00000"},
        {"AT", "1"},
    };
    logs.intervals << MakeInterval(1, 120, QDateTime(QDate(2014, 5, 9), QTime(8, 30), Qt::UTC), 60,
                                   40);
    const QDateTime day(QDate(2014, 5, 2), QTime(10, 15, 0), Qt::UTC);
    logs.alarms << MakeAlarmTrend(1, day, 10) << MakeAlarmTrend(2, day.addDays(3), 10);
    for (int i = 0; i < 3; ++i) {
        logs.alarmEvents << EventFixture{i + 1, day.addSecs(3600 * i), i + 1, 2, true, false};
        logs.power << PowerFixture{1, day.addSecs(7200 * i), i % 2 == 0};
    }
    // One trouble of a sensor in May and one of the instrument itself in June.
    logs.troubleEvents << EventFixture{1, day.addDays(1), 2, 8, true, false}
                       << EventFixture{2, day.addDays(35), 5, 9, false, true};
    for (int ch = 0; ch < 5; ++ch)
        for (int i = 0; i < 3; ++i)
            logs.history << HistoryFixture{ch, day.addDays(-30 * i), 0.5 * (ch + 1),
                                           10.0 * (ch + 1)};
    const QDateTime calibrated(QDate(2014, 4, 1), QTime(9, 30), Qt::UTC);
    logs.latest = {LatestCalibration{calibrated, 0, 50}, LatestCalibration{calibrated, 20.9, 20.9},
                   LatestCalibration{calibrated, 0, 10}, LatestCalibration{calibrated, 0, 100},
                   LatestCalibration{calibrated, 0, 50}};
    RenderLogs(c);
    for (int i = 0; i < 256; ++i)
        c.eeprom.append(static_cast<char>(i));
    return c;
}

Content FullMemoryContent() {
    Content c = DefaultContent();
    FixtureLogs& logs = c.logs;
    const QDateTime start(QDate(2014, 5, 9), QTime(8, 0), Qt::UTC);
    logs.intervals = {MakeInterval(1, 4096, start, 60, 64)};
    logs.alarms.clear();
    for (int i = 0; i < 4; ++i)
        logs.alarms << MakeAlarmTrend(i + 1, start.addDays(-7 * (i + 1)), 10);
    logs.alarmEvents.clear();
    for (int i = 0; i < 50; ++i)
        logs.alarmEvents << EventFixture{i + 1, start.addSecs(-3600 * (i + 1)), i % 4 + 1, 2, true,
                                         false};
    logs.troubleEvents.clear();
    for (int i = 0; i < 20; ++i)
        logs.troubleEvents << EventFixture{i + 1, start.addDays(-(i + 1)), i % 5 + 1, 8, true,
                                           false};
    logs.power.clear();
    for (int i = 0; i < 100; ++i)
        logs.power << PowerFixture{1, start.addSecs(-1800 * (i + 1)), i % 2 == 0};
    logs.history.clear();
    for (int ch = 0; ch < 5; ++ch)
        for (int i = 0; i < 20; ++i)
            logs.history << HistoryFixture{ch, start.addDays(-14 * i), 0.5, 10.0 * (ch + 1)};
    RenderLogs(c);
    c.eeprom.clear();
    for (int i = 0; i < 8192; ++i)
        c.eeprom.append(static_cast<char>(i * 7));
    return c;
}

GasChannel ChannelOf(const Content& content, int channel) {
    const QString field = content.reads.value(QStringLiteral("GJ")).section(u',', channel, channel);
    GasChannel gas;
    if (field.size() != 18 || field.contains(u'*')) return gas;
    gas.present = true;
    gas.name = field.left(4).trimmed();
    gas.fullScale = field.mid(4, 5).trimmed().toDouble();
    const QString step = field.mid(9, 5).trimmed();
    const qsizetype point = step.indexOf(u'.');
    gas.points = point < 0 ? 0 : static_cast<int>(step.size() - point - 1);
    return gas;
}

QString ReadingsReply(const Content& content) {
    QStringList fields;
    for (int c = 0; c < 5; ++c) {
        const GasChannel gas = ChannelOf(content, c);
        fields << (gas.present ? Five(content.readings[static_cast<size_t>(c)], gas.points)
                               : QStringLiteral("*****"));
    }
    return fields.join(u',');
}

void RecordCalibration(Content& c, int channel, const QDateTime& when, double before,
                       double after) {
    const size_t ch = static_cast<size_t>(channel);
    c.logs.latest[ch] = LatestCalibration{when, before, after};
    QStringList so = c.reads.value(QStringLiteral("SO")).split(u',');
    while (so.size() < 5)
        so << QString(22, u'*');
    so[channel] = Stamp(when) + Five(before, 1) + Five(after, 1);
    c.reads[QStringLiteral("SO")] = so.join(u',');
    const HistoryFixture line{channel, when, before, after};
    c.logs.history.prepend(line);
    c.blocks[QStringLiteral("IH%1").arg(channel + 1)].prepend(HistoryLine(line));
}

namespace {
// One channel's entry of the gas list the instrument reports.
void PutGasListEntry(Content& c, int channel, const QString& entry) {
    QStringList gasList = c.reads.value(QStringLiteral("GJ")).split(u',');
    while (gasList.size() < 5)
        gasList << QString(18, u'*');
    gasList[channel] = entry;
    c.reads[QStringLiteral("GJ")] = gasList.join(u',');
}
}  // namespace

void SwapSensor(Content& c, int channel, const FixtureGas& gas, const QString& unit) {
    c.logs.identity.gases[static_cast<size_t>(channel)] = gas;
    PutGasListEntry(c, channel, GasListEntry(gas, unit));
}

void RemoveSensor(Content& c, int channel) {
    c.logs.identity.gases[static_cast<size_t>(channel)] = FixtureGas{};
    PutGasListEntry(c, channel, QString(18, u'*'));
}

bool LoadFixtures(Content& content, const QString& folder, QString* error) {
    const QDir dir(folder);
    const auto read = [&](const QString& name, QStringList* lines, bool* found) {
        QFile file(dir.filePath(name));
        *found = file.exists();
        if (!*found) return true;
        if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
            if (error) *error = file.fileName() + QStringLiteral(": ") + file.errorString();
            return false;
        }
        *lines = QString::fromLatin1(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
        for (QString& l : *lines)
            if (l.endsWith(u'\r')) l.chop(1);
        return true;
    };
    QStringList kinds = kLoggedKinds;
    for (int ch = 1; ch <= 5; ++ch)
        kinds << QStringLiteral("IH%1").arg(ch);
    FixtureLogs& logs = content.logs;
    for (const QString& kind : kinds) {
        QStringList lines;
        bool found = false;
        if (!read(kind + QStringLiteral(".txt"), &lines, &found)) return false;
        if (!found) continue;
        content.blocks[kind] = lines;
        // The description no longer tells what the instrument sends of this kind.
        if (kind == u"DR") logs.intervals.clear();
        if (kind == u"DJ") logs.alarms.clear();
        if (kind == u"VE") logs.alarmEvents.clear();
        if (kind == u"TV") logs.troubleEvents.clear();
        if (kind == u"DO") logs.power.clear();
        if (kind.startsWith(u"IH")) {
            const int channel = kind.mid(2).toInt() - 1;
            logs.history.removeIf(
                [channel](const HistoryFixture& h) { return h.channel == channel; });
        }
    }
    QStringList reads;
    bool found = false;
    if (!read(QStringLiteral("reads.txt"), &reads, &found)) return false;
    for (const QString& line : reads) {
        const int tab = line.indexOf(u'\t');
        if (tab > 0) content.reads[line.left(tab)] = line.mid(tab + 1);
    }
    QStringList hex;
    if (!read(QStringLiteral("eeprom.hex"), &hex, &found)) return false;
    if (!hex.isEmpty()) content.eeprom = QByteArray::fromHex(hex.join(QString()).toLatin1());
    return true;
}

}  // namespace qv::sim
