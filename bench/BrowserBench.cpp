// The stored-data page on a database of 1,000 full interval logs (4,097 samples each) and two
// years of events: the property pane and the reload of a log beside the same on a database that
// holds only that log, and the tree and a node's list beside the bare queries that read the same
// values. The large database is built once into the temporary folder and reused.
#include "BrowserPage.h"
#include "BrowserState.h"
#include "Database.h"
#include "Dates.h"
#include "FixtureDatabase.h"
#include "WidgetBench.h"
#include "clsInterval.h"
#include "modDatabase.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <SQLiteCpp/Database.h>
#include <SQLiteCpp/Statement.h>
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <cstdlib>

namespace qv {
namespace {

constexpr int kLogs = 1000;
constexpr int kSamples = 4097;
const test::FixtureIdentity kInstruments[] = {{"SN1001", "ST-1", "Alice"},
                                              {"SN1002", "ST-1", "Bob"},
                                              {"SN2001", "ST-2", "Carol"},
                                              {"SN2002", "ST-3", "Dave"}};

// The folder of the large database; built when missing or incomplete.
QString LargeDatabase() {
    const QString folder = QDir::tempPath() + QStringLiteral("/qv4170-browser-bench-1");
    const QString path = folder + QStringLiteral("/QV4170.mdb");
    if (QFile::exists(path) &&
        Database(path).scalar("Select Count(*) From Log_head Where Types = 1").toInt() == kLogs)
        return path;
    QDir().mkpath(folder);
    const QString building = folder + QStringLiteral("/building.mdb");
    QFile::remove(path);
    QFile::remove(building);
    MakeDatabase(building);
    {
        test::FixtureBuilder b(building);
        const QDateTime first = rt::MakeDate(2023, 1, 1, 8, 0, 0);
        // The interval logs over two years, each instrument in turn.
        for (int i = 0; i < kLogs; ++i) {
            const QDateTime start = first.addSecs(static_cast<qint64>(i) * 17 * 3600);
            b.AddInterval(kInstruments[i % 4], QStringLiteral("iv%1").arg(i, 6, 10, QChar(u'0')),
                          start, kSamples, 60, 10);
        }
        // Two years of events: every month's alarm and trouble events of each instrument.
        for (int month = 0; month < 24; ++month)
            for (const auto& id : kInstruments) {
                b.AddAlarmEvents(id, first.addMonths(month), 28);
                b.AddTroubleEvents(id, first.addMonths(month), 10, {0, 1, 2, 3, 4});
            }
        for (const auto& id : kInstruments)
            b.AddPowerEvents(id, first, 1000);
        b.Commit();
    }
    QFile::rename(building, path);
    return path;
}

// A database holding one interval log like those of the large one.
struct SingleDatabase {
    test::ScratchDatabase scratch;
    SingleDatabase() {
        test::FixtureBuilder b(scratch.path());
        b.AddInterval(kInstruments[0], QStringLiteral("iv000000"),
                      rt::MakeDate(2023, 1, 1, 8, 0, 0), kSamples, 60, 10);
        b.AddAlarmEvents(kInstruments[0], rt::MakeDate(2023, 1, 1, 8, 0, 0), 28);
        b.Commit();
    }
};

// The page on its own with a host of plain fields.
struct PageRig : test::BrowserState {
    BrowserPage page;
    PageRig() {
        page.Bind(Host());
        page.SetCaptions();
        page.resize(800, 600);
        page.LayoutPage();
    }
};

QString Large() {
    static const QString path = LargeDatabase();
    return path;
}

QString Single() {
    static const SingleDatabase single;
    return single.scratch.path();
}

// The key of the first interval log and of the first alarm-event log of a database.
int32_t FirstLog(const QString& path, int types) {
    Database db(path);
    return db.scalar("Select Min(SeqNo) From Log_head Where Types = ?", {types}).toInt();
}

void Pane(benchmark::State& state, const QString& path, int types, char letter) {
    DatabasePath = path;
    PageRig rig;
    const QString key = QString::number(FirstLog(path, types)) + u' ' + QChar::fromLatin1(letter);
    for (auto _ : state)
        rig.page.ShowLogProperty(key);
}

void BM_PaneOfAnIntervalLog_Large(benchmark::State& s) {
    Pane(s, Large(), TypeInterval, 'G');
}
void BM_PaneOfAnIntervalLog_Single(benchmark::State& s) {
    Pane(s, Single(), TypeInterval, 'G');
}
void BM_PaneOfAnEventLog_Large(benchmark::State& s) {
    Pane(s, Large(), TypeAlarmEvents, 'V');
}
void BM_PaneOfAnEventLog_Single(benchmark::State& s) {
    Pane(s, Single(), TypeAlarmEvents, 'V');
}

void Reload(benchmark::State& state, const QString& path) {
    DatabasePath = path;
    const int32_t seqNo = FirstLog(path, TypeInterval);
    clsInterval log;
    for (auto _ : state) {
        log.ClearDatas();
        log.SetSeqNo(seqNo);
        log.ReLoad();
    }
    if (log.DataCount() != kSamples) state.SkipWithError("the log did not load whole");
}

void BM_ReloadALog_Large(benchmark::State& s) {
    Reload(s, Large());
}
void BM_ReloadALog_Single(benchmark::State& s) {
    Reload(s, Single());
}

void BM_MakeLogTree(benchmark::State& state) {
    DatabasePath = Large();
    PageRig rig;
    for (auto _ : state) {
        rig.LogTreeChanged = true;
        rig.page.MakeLogTree();
    }
    state.counters["nodes"] = static_cast<double>(rig.page.tvwLog->topLevelItemCount() +
                                                  rig.page.tvwLog->topLevelItem(0)->childCount());
}

// A query read with the engine alone; with `reopen` the file is opened for every run, as each
// procedure of the page opens it, else one connection serves every run.
void Bare(benchmark::State& state, bool reopen, const char* sql, const QVariantList& params) {
    std::unique_ptr<SQLite::Database> kept;
    for (auto _ : state) {
        if (reopen || !kept) kept = std::make_unique<SQLite::Database>(Large().toStdString());
        SQLite::Statement q(*kept, sql);
        for (int i = 0; i < params.size(); ++i)
            if (params[i].typeId() == QMetaType::Int)
                q.bind(i + 1, params[i].toInt());
            else
                q.bind(i + 1, params[i].toString().toStdString());
        int rows = 0;
        while (q.executeStep()) {
            for (int c = 0; c < q.getColumnCount(); ++c)
                benchmark::DoNotOptimize(q.getColumn(c).getString());
            ++rows;
        }
        benchmark::DoNotOptimize(rows);
    }
}

// The values the tree is built from.
const char* const kTreeQuery =
    "Select Distinct SerialNo COLLATE NOCASE, StationID COLLATE NOCASE, UserID COLLATE NOCASE, "
    "FolderID COLLATE NOCASE, Types From Log_Head";

void BM_TreeQuery_Bare(benchmark::State& s) {
    Bare(s, true, kTreeQuery, {});
}
void BM_TreeQuery_BareOnOpenFile(benchmark::State& s) {
    Bare(s, false, kTreeQuery, {});
}

// The interval logs of one month, the largest category of the tree.
const QString kFolder = QStringLiteral("05/24");

void BM_ShowLogList(benchmark::State& state) {
    DatabasePath = Large();
    PageRig rig;
    rig.page.MakeLogTree();
    const QString key = kFolder + QStringLiteral(" I");
    for (auto _ : state)
        rig.page.ShowLogList(key);
    state.counters["logs"] = rig.page.lvwLog->Count();
}

// The values of a category's list.
const char* const kListQuery =
    "Select SeqNo, Names, SerialNo, StationID, UserID, Dates From Log_Head Where Types = ? And "
    "FolderID = ? COLLATE NOCASE";

void BM_ListQuery_Bare(benchmark::State& s) {
    Bare(s, true, kListQuery, {1, kFolder});
}
void BM_ListQuery_BareOnOpenFile(benchmark::State& s) {
    Bare(s, false, kListQuery, {1, kFolder});
}

BENCHMARK(BM_PaneOfAnIntervalLog_Large)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaneOfAnIntervalLog_Single)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaneOfAnEventLog_Large)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PaneOfAnEventLog_Single)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReloadALog_Large)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReloadALog_Single)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MakeLogTree)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TreeQuery_Bare)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TreeQuery_BareOnOpenFile)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ShowLogList)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListQuery_Bare)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ListQuery_BareOnOpenFile)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace qv

int main(int argc, char** argv) {
    return qv::bench::RunWidgetBenchmarks(argc, argv);
}
