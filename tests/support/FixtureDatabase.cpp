// The fixture builder and the shared fixture database.
#include "FixtureDatabase.h"

#include "Dates.h"
#include "clsHeader.h"
#include "modDatabase.h"
#include "modGasCommon.h"
#include "modGlobals.h"
#include "modSql.h"

#include <algorithm>

namespace qv::test {

namespace {

struct GasSetup {
    const char* name;
    const char* unit;
    int16_t points;
    float full, warning, alarm;
};
// Channels 0 to 4 as the instrument's default sensors carry them.
const GasSetup kGases[5] = {{"CH4", "%LEL", 0, 100, 10, 50},
                            {"OXY", "VOL%", 1, 40, 19.5f, 23.5f},
                            {"H2S", "ppm", 1, 100, 10, 30},
                            {"CO ", "ppm", 0, 500, 25, 50},
                            {"CH4", "vol%", 1, 100, -1, -1}};

QString Folder(const QDateTime& date) {
    return rt::FormatDate(date, QStringLiteral("mm/yy"));
}

// A sample's reading of one channel: varied, always a reading (0 or more).
float Reading(int channel, int sample) {
    switch (channel) {
        case 0:
            return static_cast<float>(sample % 50);
        case 1:
            return 20.9f;
        case 2:
            return static_cast<float>(sample % 7) * 0.5f;
        case 3:
            return static_cast<float>(sample % 30);
        default:
            return static_cast<float>(sample % 50) * 0.05f;
    }
}

}  // namespace

FixtureBuilder::FixtureBuilder(const QString& path)
    : db_(std::make_unique<Database>(path)), tx_(std::make_unique<Database::Transaction>(*db_)) {}

FixtureBuilder::~FixtureBuilder() {
    Commit();
}

void FixtureBuilder::Commit() {
    if (!tx_) return;
    tx_->commit();
    tx_.reset();
}

int32_t FixtureBuilder::NextKey(const QString& table) {
    auto it = nextKeys_.find(table);
    if (it == nextKeys_.end()) it = nextKeys_.insert(table, NextSeqNo(*db_, table));
    return (*it)++;
}

int32_t FixtureBuilder::AddHeader(const FixtureIdentity& id, const QString& name,
                                  const QDateTime& date, const QString& folder, int32_t types,
                                  int dCount, int32_t intervals, bool gas3Missing) {
    clsHeader h;
    h.SetNames(name);
    h.SetDates(date);
    h.SetSerialNo(id.serial);
    h.SetStationID(id.station);
    h.SetUserId(id.user);
    h.SetFolderID(folder);
    h.SetTypes(types);
    h.SetDCount(dCount);
    h.SetIntervals(intervals);
    h.SetRomNum(2100);
    h.SetCalLimit(180);
    for (int g = 0; g < 5; ++g) {
        const GasSetup& s = kGases[g];
        h.SetGasName(g, QString::fromLatin1(s.name));
        h.SetGasUnit(g, QString::fromLatin1(s.unit));
        h.SetGasPoint(g, s.points);
        h.SetGasFull(g, s.full);
        h.SetGasDesit(g, s.points == 0 ? 1.0f : 0.1f);
        h.SetGasEnable(g, true);
        h.SetWarning(g, s.warning);
        h.SetAlarm(g, s.alarm);
        h.SetStel(g, -1);
        h.SetTwa(g, -1);
        h.SetGasMax(g, gas3Missing && g == 2 ? -1.0f : Reading(g, 49));
        h.SetGasMin(g, Reading(g, 0));
        h.SetGasAvr(g, Reading(g, 24));
        h.SetGasMaxDate(g, date.addSecs(49 * 60));
        h.SetGasMinDate(g, date);
        h.SetAutoCal(g, s.warning * 2);
    }
    return h.InsertDatabase(*db_);
}

int32_t FixtureBuilder::AddInterval(const FixtureIdentity& id, const QString& name,
                                    const QDateTime& start, int samples, int seconds, int events,
                                    bool gas3Missing, int failingGas) {
    const int failures = failingGas >= 0 ? samples : 0;
    const int32_t relNo = AddHeader(id, name, start, Folder(start), TypeInterval,
                                    samples + events + failures, seconds, gas3Missing);
    const auto sampleTime = [&](int i) { return start.addSecs(static_cast<qint64>(i) * seconds); };
    for (int i = 0; i < samples; ++i) {
        QVariantList params{NextKey(QStringLiteral("Interval_Data")), relNo,
                            SqlDate(sampleTime(i))};
        for (int ch = 0; ch < 5; ++ch)
            params << SqlSingle(ch == failingGas ? float(GasFailSensor) : Reading(ch, i)) << false
                   << (ch == 0 && i == 5) << -1;
        db_->execute(QStringLiteral("Insert Into Interval_Data(SeqNo,RelNo,Datetimes,"
                                    "Gas1Value,Gas1NowEv,Gas1NowCl,Gas1EventOffset,"
                                    "Gas2Value,Gas2NowEv,Gas2NowCl,Gas2EventOffset,"
                                    "Gas3Value,Gas3NowEv,Gas3NowCl,Gas3EventOffset,"
                                    "Gas4Value,Gas4NowEv,Gas4NowCl,Gas4EventOffset,"
                                    "Gas5Value,Gas5NowEv,Gas5NowCl,Gas5EventOffset) Values "
                                    "(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?);"),
                     params);
    }
    for (int e = 0; e < events; ++e) {
        const QDateTime at = start.addSecs(static_cast<qint64>(e) * seconds * 10 + 30);
        db_->execute(QStringLiteral("Insert Into Interval_Event(SeqNo,RelNo,Datetimes,Gas1Event,"
                                    "Gas2Event,Gas3Event,Gas4Event,Gas5Event) Values "
                                    "(?,?,?,?,?,?,?,?);"),
                     {NextKey(QStringLiteral("Interval_Event")), relNo, SqlDate(at),
                      e % 2 == 0 ? GasWarning : GasAlarm, -1, -1, e == 2 ? GasOver : -1, -1});
    }
    for (int i = 0; i < failures; ++i) {
        QVariantList params{NextKey(QStringLiteral("Interval_Event")), relNo,
                            SqlDate(sampleTime(i))};
        for (int ch = 0; ch < 5; ++ch)
            params << (ch == failingGas ? GasFailSensor : GasNoData);
        db_->execute(QStringLiteral("Insert Into Interval_Event(SeqNo,RelNo,Datetimes,Gas1Event,"
                                    "Gas2Event,Gas3Event,Gas4Event,Gas5Event) Values "
                                    "(?,?,?,?,?,?,?,?);"),
                     params);
    }
    return relNo;
}

int32_t FixtureBuilder::AddAlarmTrend(const FixtureIdentity& id, const QString& name,
                                      const QDateTime& moment, int samples,
                                      std::array<float, 4> momentValues) {
    const QDateTime first = moment.addSecs(-360);
    const int32_t relNo = AddHeader(id, name, moment, Folder(moment), TypeAlarmTrend, samples, 1);
    for (int i = 0; i < samples; ++i) {
        QVariantList params{NextKey(QStringLiteral("Alarm_Data")), relNo,
                            SqlDate(first.addSecs(i))};
        for (int ch = 0; ch < 4; ++ch)
            params << SqlSingle(i == 360 ? momentValues[static_cast<size_t>(ch)] : Reading(ch, i));
        db_->execute(QStringLiteral("Insert Into Alarm_Data(SeqNo,RelNo,Datetimes,Gas1Value,"
                                    "Gas2Value,Gas3Value,Gas4Value) Values (?,?,?,?,?,?,?);"),
                     params);
    }
    return relNo;
}

int32_t FixtureBuilder::AddHistory(const FixtureIdentity& id, const QList<QDateTime>& dates) {
    const QDateTime newest = *std::max_element(dates.begin(), dates.end());
    const int32_t relNo = AddHeader(id, QStringLiteral("Calibration Histories"), newest, QString(),
                                    TypeCalHistory, static_cast<int>(dates.size()), 0);
    QString columns =
        QStringLiteral("SeqNo,RelNo,StationID,UserID,SerialNo,WriteDates,Dates,CalLimit");
    QString marks = QStringLiteral("?,?,?,?,?,?,?,?");
    for (int g = 1; g <= 5; ++g) {
        columns += QStringLiteral(",Gas%1Name,Gas%1Point,Gas%1Before,Gas%1After").arg(g);
        marks += QStringLiteral(",?,?,?,?");
    }
    const QString sql =
        QStringLiteral("Insert Into cHistory (") + columns + ") Values (" + marks + ");";
    for (int d = 0; d < dates.size(); ++d) {
        QVariantList params{NextKey(QStringLiteral("cHistory")),
                            relNo,
                            id.station,
                            id.user,
                            id.serial,
                            SqlDate(newest),
                            SqlDate(dates[d]),
                            180};
        for (int g = 0; g < 5; ++g)
            params << QString::fromLatin1(kGases[g].name) << kGases[g].points
                   << SqlSingle(kGases[g].warning * 2 - 1.0f - d)
                   << SqlSingle(kGases[g].warning * 2);
        db_->execute(sql, params);
    }
    return relNo;
}

int32_t FixtureBuilder::AddEvents(const QString& table, int32_t types, const FixtureIdentity& id,
                                  const QDateTime& first, int count, const QList<int>& gasNumbers) {
    const QString kind = types == TypeAlarmEvents ? QStringLiteral("Alarm Events ")
                                                  : QStringLiteral("Trouble Events ");
    const int32_t relNo =
        AddHeader(id, kind + Folder(first), first, Folder(first), types, count, 0);
    static const int kCodes[] = {GasWarning, GasAlarm, GasStel, GasNormal};
    for (int e = 0; e < count; ++e) {
        const int gas = gasNumbers[e % gasNumbers.size()];
        const QString gasName =
            gas == 4 && types == TypeTroubleEvents
                ? QStringLiteral("System")
                : (gas >= 0 && gas < 5 ? QString::fromLatin1(kGases[gas].name) : QString());
        db_->execute(QStringLiteral("Insert Into ") + table +
                         QStringLiteral("(SeqNo,RelNo,GasNo,GasName,Alarm_Type,Dates,NowEv,NowCl) "
                                        "Values (?,?,?,?,?,?,?,?);"),
                     {NextKey(table), relNo, gas, gasName, kCodes[e % 4], SqlDate(first.addDays(e)),
                      false, false});
    }
    return relNo;
}

int32_t FixtureBuilder::AddAlarmEvents(const FixtureIdentity& id, const QDateTime& first,
                                       int count) {
    return AddEvents(QStringLiteral("Alarm_Event"), TypeAlarmEvents, id, first, count,
                     {0, 1, 2, 3});
}

int32_t FixtureBuilder::AddTroubleEvents(const FixtureIdentity& id, const QDateTime& first,
                                         int count, const QList<int>& gasNumbers) {
    return AddEvents(QStringLiteral("Trouble_Event"), TypeTroubleEvents, id, first, count,
                     gasNumbers);
}

int32_t FixtureBuilder::AddPowerEvents(const FixtureIdentity& id, const QDateTime& first,
                                       int count) {
    const int32_t relNo =
        AddHeader(id, QStringLiteral("Power Events"), first, QString(), TypePowerEvents, count, 0);
    for (int e = 0; e < count; ++e)
        db_->execute(QStringLiteral("Insert Into Power_Event(SeqNo,RelNo,Dates,Power_Type) "
                                    "Values (?,?,?,?);"),
                     {NextKey(QStringLiteral("Power_Event")), relNo,
                      SqlDate(first.addSecs(3600LL * e)), e % 2 == 0});
    return relNo;
}

FixtureDatabase::FixtureDatabase() {
    const QDateTime may = rt::MakeDate(2024, 5, 14, 10, 0, 0);
    const QDateTime june = rt::MakeDate(2024, 6, 2, 8, 30, 0);
    const QDateTime december = rt::MakeDate(2023, 12, 20, 16, 45, 0);
    FixtureBuilder b(path());
    FixtureLogs& l = logs_;
    l.intervalA0514 = b.AddInterval(A(), QStringLiteral("Tank 'A' run"), may, 100, 60, 3);
    l.intervalA0614 = b.AddInterval(A(), QStringLiteral("iv02083000"), june, 50, 60, 0, true);
    l.intervalB = b.AddInterval(B(), QStringLiteral("tank b"), may.addDays(1), 20);
    l.intervalC = b.AddInterval(C(), QStringLiteral("iv20164500"), december, 20);
    l.intervalD = b.AddInterval(D(), QStringLiteral("iv15100000"), may.addDays(1), 10);
    l.intervalE = b.AddInterval(E(), QStringLiteral("iv16100000"), may.addDays(2), 10);
    l.intervalF = b.AddInterval(F(), QStringLiteral("iv17100000"), may.addDays(3), 10);
    l.alarmA = b.AddAlarmTrend(A(), QStringLiteral("al14120000"), may.addSecs(7200), 731,
                               {12.5f, GasAlarm, 0, GasNoData});
    l.alarmShortA =
        b.AddAlarmTrend(A(), QStringLiteral("al15120000"), may.addDays(1), 200, {1, 1, 1, 1});
    l.historyA = b.AddHistory(A(), {december, may, may.addDays(3)});
    l.historyC = b.AddHistory(C(), {december});
    l.alarmEventsA = b.AddAlarmEvents(A(), may, 12);
    l.alarmEventsC = b.AddAlarmEvents(C(), december.addDays(-19), 10);
    l.troubleA = b.AddTroubleEvents(A(), may, 11, {0, 1, 2, 3, 4, 7});
    l.powerA = b.AddPowerEvents(A(), may, 11);
    l.powerB = b.AddPowerEvents(B(), june, 2);
    b.Commit();
}

std::vector<LogOfKind> OneLogOfEachKind(const FixtureLogs& l) {
    return {{"interval", TypeInterval, l.intervalA0514},
            {"alarm", TypeAlarmTrend, l.alarmA},
            {"history", TypeCalHistory, l.historyA},
            {"alarmevents", TypeAlarmEvents, l.alarmEventsA},
            {"trouble", TypeTroubleEvents, l.troubleA},
            {"power", TypePowerEvents, l.powerA}};
}

}  // namespace qv::test
