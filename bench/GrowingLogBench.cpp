// Storing into a log that earlier downloads made long: 2,000 power events, 2,000 alarm events of
// one month and 2,000 calibration dates, each into a header that holds no row yet and into one
// that holds 20,000. A repeat check that costs one lookup per row keeps the two close; prints
// each pair's ratio (target at most 1.5). And the alarm events of one download beside its power
// events of as many rows, in memory and on the disk of the program's data folder, where every
// commit waits for the disk: the two stores cost alike per row (target at most 3).
#include <benchmark/benchmark.h>

#include "AppPaths.h"
#include "BenchTiming.h"
#include "Database.h"
#include "Dates.h"
#include "clsAlarmEvents.h"
#include "clsHistory.h"
#include "clsInstrument.h"
#include "clsPowerEvents.h"
#include "modDatabase.h"
#include "modGlobals.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <map>

using namespace qv;

namespace {

constexpr int kStored = 2000;
constexpr int kEarlier = 20000;

// Where a run's files lie. In memory where the system offers it: a commit's wait for the disk
// costs the same whatever the header holds, and on a shared disk its noise would hide the cost
// that grows. On the disk of the program's data folder (the default data location): what a
// station's store waits for.
enum class Place { Memory, Disk };

QTemporaryDir& Folder(Place place) {
    static QTemporaryDir memory = [] {
        const QString shm = QStringLiteral("/dev/shm");
        return QFileInfo(shm).isDir() && QFileInfo(shm).isWritable()
                   ? QTemporaryDir(shm + QStringLiteral("/GrowingLogBench-XXXXXX"))
                   : QTemporaryDir();
    }();
    static QTemporaryDir disk(JoinPath(ProgramFolder(), QStringLiteral("GrowingLogBench-XXXXXX")));
    return place == Place::Memory ? memory : disk;
}

std::shared_ptr<clsInstrument> Instrument() {
    auto inst = std::make_shared<clsInstrument>();
    inst->SetUserId("USER01");
    inst->SetSerialNo("A1234567");
    for (int c = 0; c < 5; ++c) {
        inst->SetGasName(c, "G");
        inst->SetGasEnabled(c, c < 4);
    }
    return inst;
}

QString Stamp(const QDateTime& t) {
    return rt::FormatDate(t, QStringLiteral("yymmddhhnnss"));
}

// The moments of the stored rows: the earlier rows lie before the new ones.
QDateTime EarlierMoment(int i) {
    return rt::AddSeconds(rt::MakeDate(2014, 5, 1, 0, 0, 0), 60LL * i);
}
QDateTime NewMoment(int i) {
    return rt::AddSeconds(rt::MakeDate(2014, 5, 20, 0, 0, 0), 60LL * i);
}

// 2,000 power events of one download.
std::unique_ptr<clsPowerEvents> PowerDownload() {
    auto p = std::make_unique<clsPowerEvents>();
    p->SetInstruments(Instrument());
    QStringList lines;
    for (int i = 0; i < kStored; ++i)
        lines << (QStringLiteral("01FD") + Stamp(NewMoment(i)) + QStringLiteral("1111"))
                     .leftJustified(24);
    p->TestLines(lines);
    p->StoreLines(lines);
    return p;
}

// One alarm event of the month, as one downloaded log brings it.
std::shared_ptr<clsAlarmEvent> AlarmEvent(const QDateTime& when) {
    auto e = std::make_shared<clsAlarmEvent>();
    e->SetInstrument(Instrument());
    e->SetDataBB(QStringLiteral("01CBA1234567     0001").leftJustified(24), false);
    e->SetDataBD((QStringLiteral("01CD") + Stamp(when)).leftJustified(24), false);
    e->SetDataB0(QStringLiteral("01C10210").leftJustified(25), false);
    return e;
}

// 2,000 alarm events of one month in one download: a log of its own for each, their two-digit
// log numbers counted from 00 again after 99, as the instrument sends them.
std::unique_ptr<clsAlarmEvents> AlarmDownload() {
    auto a = std::make_unique<clsAlarmEvents>();
    a->SetInstruments(Instrument());
    QStringList lines;
    for (int i = 0; i < kStored; ++i) {
        const QString log = QString::number(i % 100).rightJustified(2, u'0');
        lines << (log + QStringLiteral("CBA1234567     0001")).leftJustified(24)
              << (log + QStringLiteral("CD") + Stamp(NewMoment(i))).leftJustified(24)
              << (log + QStringLiteral("C10210")).leftJustified(25);
    }
    a->TestLines(lines);
    a->StoreLines(lines);
    return a;
}

std::unique_ptr<clsHistory> HistoryDownload() {
    auto h = std::make_unique<clsHistory>();
    h->SetInstrument(Instrument());
    for (int i = 0; i < kStored; ++i)
        for (int g = 0; g < 4; ++g)
            h->AddHistory(g, NewMoment(i), 0.5f * g, 0.5f * g + 0.1f);
    return h;
}

// The database a run starts from: empty, or the header of each kind with `rows` rows stored
// under it earlier. Made once per place and size, then copied for every run.
QString Template(Place place, int rows) {
    static std::map<std::pair<Place, int>, QString> made;
    if (auto it = made.find({place, rows}); it != made.end()) return it->second;
    const QString path = Folder(place).filePath(QStringLiteral("template%1.mdb").arg(rows));
    MakeDatabase(path);
    DatabasePath = path;
    made[{place, rows}] = path;
    if (rows == 0) return path;
    // One row of each kind through the program makes its header.
    {
        clsPowerEvents p;
        p.SetInstruments(Instrument());
        const QStringList line{
            (QStringLiteral("01FD") + Stamp(EarlierMoment(0)) + QStringLiteral("0000"))
                .leftJustified(24)};
        p.TestLines(line);
        p.StoreLines(line);
        p.Item(1)->Update();
        AlarmEvent(EarlierMoment(0))->Update();
        clsHistory h;
        h.SetInstrument(Instrument());
        h.AddHistory(0, EarlierMoment(0), 0, 0.1f);
        h.HistoryUpdate();
    }
    Database db(path);
    Database::Transaction tx(db);
    const QString n = QStringLiteral(
                          "With Recursive n(i) As (Select 1 Union All Select i+1 From n Where "
                          "i<%1) ")
                          .arg(rows - 1);
    const QString moment = QStringLiteral("Datetime('2014-05-01 00:00:00', (i*60)||' seconds')");
    db.execute(n +
               QStringLiteral("Insert Into Power_Event(SeqNo,RelNo,Dates,Power_Type) "
                              "Select i+1,1,") +
               moment + QStringLiteral(",i%2 From n"));
    db.execute(n +
               QStringLiteral("Insert Into Alarm_Event(SeqNo,RelNo,GasNo,GasName,Alarm_Type,"
                              "Dates,NowEv,NowCl) Select i+1,2,i%4,'G',-4,") +
               moment + QStringLiteral(",1,0 From n"));
    QString history = QStringLiteral(
        "Insert Into cHistory(SeqNo,RelNo,UserID,StationID,SerialNo,"
        "WriteDates,Dates,CalLimit");
    QString values = QStringLiteral("Select i+1,3,'USER01','*','A1234567',") + moment +
                     QStringLiteral(",") + moment + QStringLiteral(",180");
    for (int g = 1; g <= 5; ++g) {
        history += QStringLiteral(",Gas%1Name,Gas%1Point,Gas%1Before,Gas%1After").arg(g);
        values += g < 5 ? QStringLiteral(",'G',1,0.5,0.6") : QStringLiteral(",'G',1,-1,-1");
    }
    db.execute(n + history + QStringLiteral(") ") + values + QStringLiteral(" From n"));
    tx.commit();
    return path;
}

// A fresh copy of the template for one run, made the program's database.
void FreshCopy(Place place, int rows) {
    static int n = 0;
    const QString path = Folder(place).filePath(QStringLiteral("run%1.mdb").arg(n++));
    QFile::copy(Template(place, rows), path);
    DatabasePath = path;
}

// Each run stores into a fresh copy of the template of state.range(0) rows what `download`
// gives (made before the timing starts): a call that stores it.
template <class Download>
void StoreRuns(benchmark::State& state, Place place, Download download) {
    const int rows = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        FreshCopy(place, rows);
        auto store = download();
        state.ResumeTiming();
        store();
    }
}

// The store of a download step.
template <class List>
auto StoreOf(std::unique_ptr<List> list) {
    return [l = std::shared_ptr<List>(std::move(list))] { l->UpdateAll(l->Instruments()); };
}

void PowerEventRuns(benchmark::State& state, Place place) {
    StoreRuns(state, place, [] { return StoreOf(PowerDownload()); });
}

void AlarmEventRuns(benchmark::State& state, Place place) {
    StoreRuns(state, place, [] { return StoreOf(AlarmDownload()); });
}

void StorePowerEvents(benchmark::State& state) {
    PowerEventRuns(state, Place::Memory);
}
void StoreAlarmEvents(benchmark::State& state) {
    AlarmEventRuns(state, Place::Memory);
}
void StorePowerEventsOnDisk(benchmark::State& state) {
    PowerEventRuns(state, Place::Disk);
}
void StoreAlarmEventsOnDisk(benchmark::State& state) {
    AlarmEventRuns(state, Place::Disk);
}

void StoreCalibrationDates(benchmark::State& state) {
    StoreRuns(state, Place::Memory, [] {
        return [h = std::shared_ptr<clsHistory>(HistoryDownload())] { h->HistoryUpdate(); };
    });
}

}  // namespace

// No header yet, and a header of 20,000 rows.
BENCHMARK(StorePowerEvents)->Arg(0)->Arg(kEarlier)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(StoreAlarmEvents)->Arg(0)->Arg(kEarlier)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(StoreCalibrationDates)
    ->Arg(0)
    ->Arg(kEarlier)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(StorePowerEventsOnDisk)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(StoreAlarmEventsOnDisk)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(5);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter;
    const bool ok = bench::RunChecked(reporter);
    const auto run = [](const std::string& name, int rows) {
        return name + "/" + std::to_string(rows) + "/iterations:5";
    };
    for (const char* name : {"StorePowerEvents", "StoreAlarmEvents", "StoreCalibrationDates"})
        reporter.PrintRatio(std::string(name) + ": 20,000 rows / empty", run(name, kEarlier),
                            run(name, 0), 1.5);
    reporter.PrintRatio("Alarm events / power events, in memory", run("StoreAlarmEvents", 0),
                        run("StorePowerEvents", 0), 3);
    reporter.PrintRatio("Alarm events / power events, on disk", run("StoreAlarmEventsOnDisk", 0),
                        run("StorePowerEventsOnDisk", 0), 3);
    benchmark::Shutdown();
    return ok ? 0 : 1;
}
