// Speed of a complete download over a pseudo-terminal: every kind of the simulator's full memory
// (a full interval log included) fetched by the real link control on its real timers, timed end
// to end and set beside the time the same bytes need on the wire at 921600 baud.
#include "BenchRun.h"
#include "InstrumentSimulator.h"
#include "PortFinder.h"
#include "clsAlarm.h"
#include "clsAlarmEvent.h"
#include "clsAlarmEvents.h"
#include "clsAlarms.h"
#include "clsHistory.h"
#include "clsHistorys.h"
#include "clsInstrument.h"
#include "clsInterval.h"
#include "clsIntervals.h"
#include "clsPowerEvent.h"
#include "clsPowerEvents.h"
#include "clsTroubleEvent.h"
#include "clsTroubleEvents.h"
#include "modDatabase.h"
#include "modGlobals.h"
#include "uclQvif.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

constexpr double kWireBytesPerSecond = 92160.0;  // 921600 baud, 10 bits a byte

// The program's side of a download session: the link on the simulator's device and the
// collections the main window keeps.
struct Session {
    qv::sim::InstrumentSimulator sim{qv::sim::FullMemoryContent()};
    std::unique_ptr<qv::uclQvif> link;
    std::shared_ptr<qv::clsInstrument> instrument = std::make_shared<qv::clsInstrument>();
    std::shared_ptr<qv::clsIntervals> intervals = std::make_shared<qv::clsIntervals>();
    std::shared_ptr<qv::clsAlarms> alarms = std::make_shared<qv::clsAlarms>();
    std::shared_ptr<qv::clsHistorys> history = std::make_shared<qv::clsHistorys>();
    std::shared_ptr<qv::clsAlarmEvents> alarmEvents = std::make_shared<qv::clsAlarmEvents>();
    std::shared_ptr<qv::clsTroubleEvents> troubleEvents = std::make_shared<qv::clsTroubleEvents>();
    std::shared_ptr<qv::clsPowerEvents> powerEvents = std::make_shared<qv::clsPowerEvents>();

    bool Open() {
        if (!sim.Start()) return false;
        sim.SetLinesPerBlock(47);
        link = std::make_unique<qv::uclQvif>();
        link->SetSerialFileNo(1);  // the serial log is always written
        link->SetInstrumentObject(instrument);
        link->SetSerialComm(true);
        link->SetCommPort(qv::PortNumberFor(sim.Path()));
        link->SetSettings(QStringLiteral("921600,n,8,1"));
        link->SetPortOpen(true);
        QElapsedTimer wait;
        wait.start();
        while (!link->Connected() && wait.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        return link->Connected();
    }
    // Every kind, as the complete download chain asks for it.
    bool Download() {
        return link->GetInstrument(instrument) && link->GetLatestHistory(instrument) &&
               link->GetHistory(history) && link->GetInterval(intervals) &&
               link->GetAlarm(alarms) && link->GetAlarmEvent(alarmEvents) &&
               link->GetTroubleEvent(troubleEvents) && link->GetPowerEvent(powerEvents);
    }
    template <class Collection>
    void Store(Collection& c) {
        for (int i = 1; i <= c.Count(); ++i) {
            c.Item(i)->SetInstrument(instrument);
            c.Item(i)->Update();
        }
    }
    // Stores what was downloaded as the download steps do.
    void StoreAll() {
        instrument->HistoryUpdate();
        for (int i = 1; i <= history->Count(); ++i) {
            history->Item(i)->SetInstrument(instrument);
            history->Item(i)->HistoryUpdate();
        }
        Store(*intervals);
        Store(*alarms);
        Store(*alarmEvents);
        Store(*troubleEvents);
        Store(*powerEvents);
    }
    qint64 WireBytes() const { return sim.BytesIn() + sim.BytesOut(); }
};

// A fresh, empty database as the program's data location.
void FreshDatabase(QTemporaryDir& dir) {
    qv::DataLocation = dir.path();
    qv::DatabasePath = dir.filePath(QStringLiteral("QV4170.mdb"));
    QFile::remove(qv::DatabasePath);
    qv::MakeDatabase(qv::DatabasePath);
}

void Run(benchmark::State& state, bool store) {
    QTemporaryDir data;
    Session s;
    if (!s.Open()) {
        state.SkipWithError("the link did not connect to the simulator");
        return;
    }
    double softwareMs = 0;
    double wireMs = 0;
    int64_t samples = 0;
    for (auto _ : state) {
        if (store) {
            state.PauseTiming();
            FreshDatabase(data);
            state.ResumeTiming();
        }
        const qint64 before = s.WireBytes();
        QElapsedTimer took;
        took.start();
        if (!s.Download()) {
            state.SkipWithError("the download did not complete");
            return;
        }
        if (store) s.StoreAll();
        softwareMs += double(took.nsecsElapsed()) / 1e6;
        wireMs += double(s.WireBytes() - before) / kWireBytesPerSecond * 1000.0;
        samples = s.intervals->Count() ? s.intervals->Item(1)->DataCount() : 0;
    }
    using benchmark::Counter;
    state.counters["software_ms"] = Counter(softwareMs, Counter::kAvgIterations);
    state.counters["wire_ms"] = Counter(wireMs, Counter::kAvgIterations);
    state.counters["software_per_wire"] = Counter(softwareMs / wireMs);
    state.counters["interval_samples"] = double(samples);
}

void BM_FullMemoryDownload(benchmark::State& state) {
    Run(state, false);
}
void BM_FullMemoryDownloadAndStore(benchmark::State& state) {
    Run(state, true);
}
BENCHMARK(BM_FullMemoryDownload)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK(BM_FullMemoryDownloadAndStore)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    // The serial log and the database go to a private program folder, never the user's.
    QTemporaryDir home;
    setenv("XDG_DATA_HOME", home.path().toLocal8Bit().constData(), 1);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qv4170"));
    qv::ResetGlobals();
    qv::AtCommandVersion = 2056;
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const bool ok = qv::bench::RunChecked();
    benchmark::Shutdown();
    return ok ? 0 : 1;
}
