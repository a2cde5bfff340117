// Storing and reloading full logs against bare SQLite work of the same size: a full interval
// trend (4097 samples, 2049 events) and a full alarm trend (731 samples), each into a fresh
// database file on disk. Prints each pair and its ratio; the target is at most 3.
#include <benchmark/benchmark.h>

#include "BenchTiming.h"
#include "Dates.h"
#include "clsAlarm.h"
#include "clsInstrument.h"
#include "clsInterval.h"
#include "modDatabase.h"
#include "modGlobals.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <SQLiteCpp/Transaction.h>

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

using namespace qv;

namespace {

// The sizes of an instrument's full memory.
constexpr int kIntervalSamples = 4097;
constexpr int kIntervalEvents = 2049;
constexpr int kAlarmSamples = 731;

QTemporaryDir& Folder() {
    static QTemporaryDir dir;
    return dir;
}

// A fresh, empty database for one run; returns its path.
QString FreshDatabase() {
    static int n = 0;
    const QString path = Folder().filePath(QStringLiteral("bench%1.mdb").arg(n++));
    MakeDatabase(path);
    DatabasePath = path;
    return path;
}

std::shared_ptr<clsInstrument> Instrument() {
    auto inst = std::make_shared<clsInstrument>();
    inst->SetUserId("USER01");
    inst->SetSerialNo("A1234567");
    for (int c = 0; c < 5; ++c)
        inst->SetGasName(c, "G");
    return inst;
}

void FillInterval(clsInterval& log) {
    const QDateTime start = rt::MakeDate(2014, 5, 9, 10, 30, 0);
    log.GasInfo().SetDates(start);
    log.GasInfo().SetNames("iv09103000");
    log.GasInfo().SetFolderID("05/14");
    log.GasInfo().SetIntervals(10);
    for (int i = 0; i < kIntervalSamples; ++i)
        for (int c = 0; c < 5; ++c)
            log.AddValue(c, rt::AddSeconds(start, 10LL * i), 20.9f + c);
    for (int i = 0; i < kIntervalEvents; ++i)
        for (int c = 0; c < 5; ++c)
            log.AddEvents(c, rt::AddSeconds(start, 10LL * i + 5), -4);
}

void FillAlarm(clsAlarm& log) {
    const QDateTime moment = rt::MakeDate(2014, 5, 9, 10, 30, 0);
    log.GasInfo().SetDates(moment);
    log.GasInfo().SetNames("al09103000");
    log.GasInfo().SetIntervals(1);
    for (int i = 0; i < kAlarmSamples; ++i) {
        log.SetDateTimes(i, rt::AddSeconds(moment, i - clsAlarm::MomentSlot));
        for (int c = 0; c < clsAlarm::Channels; ++c)
            log.SetValue(c, i, 1.5f * c);
    }
    log.SetDataCount(kAlarmSamples);
}

void StoreInterval(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        FreshDatabase();
        clsInterval log;
        FillInterval(log);
        log.SetInstrument(Instrument());
        state.ResumeTiming();
        log.Update();
    }
}

void ReloadInterval(benchmark::State& state) {
    FreshDatabase();
    {
        clsInterval log;
        FillInterval(log);
        log.SetInstrument(Instrument());
        log.Update();
    }
    clsInterval log;
    for (auto _ : state) {
        log.ClearDatas();
        log.SetSeqNo(1);
        log.ReLoad();
        benchmark::DoNotOptimize(log.DataCount());
    }
}

void StoreAlarm(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        FreshDatabase();
        clsAlarm log;
        FillAlarm(log);
        log.SetInstrument(Instrument());
        state.ResumeTiming();
        log.Update();
    }
}

void ReloadAlarm(benchmark::State& state) {
    FreshDatabase();
    {
        clsAlarm log;
        FillAlarm(log);
        log.SetInstrument(Instrument());
        log.Update();
    }
    clsAlarm log;
    for (auto _ : state) {
        log.ClearDatas();
        log.SetSeqNo(1);
        log.ReLoad();
        benchmark::DoNotOptimize(log.DataCount());
    }
}

// Bare SQLiteCpp: `rows` rows of `columns` values (a key, a link, a date text and numbers) in
// one transaction, with one prepared statement.
void BareInsert(const std::string& path, const char* table, int rows, int columns,
                int tableColumns) {
    SQLite::Database db(path, SQLite::OPEN_READWRITE);
    SQLite::Transaction tx(db);
    std::string sql = std::string("INSERT INTO ") + table + " VALUES (?";
    for (int i = 1; i < tableColumns; ++i)
        sql += ",?";
    sql += ")";
    SQLite::Statement st(db, sql);
    for (int r = 0; r < rows; ++r) {
        st.bind(1, r + 1);
        st.bind(2, 1);
        st.bind(3, "2014-05-09 10:30:00");
        for (int c = 4; c <= columns; ++c)
            st.bind(c, 20.9 + c);
        st.exec();
        st.reset();
    }
    tx.commit();
}

void BareInsertInterval(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        const std::string path = FreshDatabase().toStdString();
        state.ResumeTiming();
        BareInsert(path, "Interval_Data", kIntervalSamples, 23, 23);
        BareInsert(path, "Interval_Event", kIntervalEvents, 8, 8);
    }
}

void BareInsertAlarm(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        const std::string path = FreshDatabase().toStdString();
        state.ResumeTiming();
        BareInsert(path, "Alarm_Data", kAlarmSamples, 7, 8);
    }
}

// Reads every value of the selected rows, as a reload must.
double BareSelect(SQLite::Database& db, const char* sql) {
    SQLite::Statement st(db, sql);
    double sum = 0;
    while (st.executeStep())
        for (int c = 0; c < st.getColumnCount(); ++c) {
            const SQLite::Column column = st.getColumn(c);
            if (column.isText())
                sum += column.getBytes();
            else
                sum += column.getDouble();
        }
    return sum;
}

void BareSelectInterval(benchmark::State& state) {
    const std::string path = FreshDatabase().toStdString();
    BareInsert(path, "Interval_Data", kIntervalSamples, 23, 23);
    BareInsert(path, "Interval_Event", kIntervalEvents, 8, 8);
    // Opened for every run, as a reload opens the file.
    for (auto _ : state) {
        SQLite::Database db(path, SQLite::OPEN_READONLY);
        benchmark::DoNotOptimize(
            BareSelect(db, "SELECT * FROM Interval_Data WHERE RelNo=1 ORDER BY SeqNo"));
        benchmark::DoNotOptimize(
            BareSelect(db, "SELECT * FROM Interval_Event WHERE RelNo=1 ORDER BY SeqNo"));
    }
}

void BareSelectAlarm(benchmark::State& state) {
    const std::string path = FreshDatabase().toStdString();
    BareInsert(path, "Alarm_Data", kAlarmSamples, 7, 8);
    for (auto _ : state) {
        SQLite::Database db(path, SQLite::OPEN_READONLY);
        benchmark::DoNotOptimize(
            BareSelect(db, "SELECT * FROM Alarm_Data WHERE RelNo=1 ORDER BY SeqNo"));
    }
}

}  // namespace

BENCHMARK(StoreInterval)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BareInsertInterval)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(ReloadInterval)->Unit(benchmark::kMillisecond);
BENCHMARK(BareSelectInterval)->Unit(benchmark::kMillisecond);
BENCHMARK(StoreAlarm)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BareInsertAlarm)->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(ReloadAlarm)->Unit(benchmark::kMillisecond);
BENCHMARK(BareSelectAlarm)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    bench::RatioReporter reporter;
    const bool ok = bench::RunChecked(reporter);
    const auto ratio = [&](const std::string& ours, const std::string& bare) {
        reporter.PrintRatio(ours + " / " + bare, ours, bare, 3);
    };
    ratio("StoreInterval/iterations:20", "BareInsertInterval/iterations:20");
    ratio("ReloadInterval", "BareSelectInterval");
    ratio("StoreAlarm/iterations:50", "BareInsertAlarm/iterations:50");
    ratio("ReloadAlarm", "BareSelectAlarm");
    benchmark::Shutdown();
    return ok ? 0 : 1;
}
