// Speed of the receive path with the decoder: recorded download traffic of a full interval
// memory, acknowledged block by block, fed through the link in memory.
#include "BenchRun.h"
#include "Frames.h"
#include "ScriptedPorts.h"
#include "SimContent.h"
#include "clsInstrument.h"
#include "clsIntervals.h"
#include "modGlobals.h"
#include "uclQvif.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QTemporaryDir>

#include <cstdlib>

namespace {

constexpr double kWireBytesPerSecond = 92160.0;  // 921600 baud, 10 bits a byte

// The instrument's side of one interval download: every block frame, 47 lines each.
// With `storeSamples` false the sample lines carry a frame code the collection accepts and
// ignores, which leaves out the cost of storing samples in the interval log.
QList<QByteArray> IntervalTraffic(bool storeSamples) {
    QStringList lines =
        qv::sim::IntervalLog(1, 4096, QDateTime(QDate(2014, 5, 9), QTime(8, 0), Qt::UTC), 60, 64);
    if (!storeSamples)
        for (QString& l : lines)
            if (l.mid(2, 2) == u"A0" || l.mid(2, 2) == u"A1") l.replace(2, 2, QStringLiteral("AZ"));
    QList<QByteArray> frames;
    const int per = 47;
    const int count = static_cast<int>((lines.size() + per - 1) / per);
    for (int b = 0; b < count; ++b) {
        const QStringList part = lines.mid(b * per, per);
        const QByteArray payload =
            ("DR,R," + QString::number(count) + u',' + QString::number(b + 1) + u',' +
             QString::number(part.size()) + u',' + part.join(u','))
                .toLatin1();
        frames << qv::frames::MakeFrame(payload,
                                        b == count - 1 ? qv::frames::EOT : qv::frames::ETB);
    }
    return frames;
}

void Download(benchmark::State& state, bool serialLog, bool storeSamples = true) {
    const QList<QByteArray> traffic = IntervalTraffic(storeSamples);
    qint64 bytes = 0;
    for (const QByteArray& f : traffic)
        bytes += f.size();
    auto port = std::make_unique<qv::ScriptedSerialPort>();
    qv::ScriptedSerialPort* serial = port.get();
    qv::uclQvif link(std::move(port));
    link.UseManualTimers(true);
    link.SetSerialFileNo(serialLog ? 1 : 0);
    link.SetSerialComm(true);
    link.SetPortOpen(true);
    link.SetInstrumentObject(std::make_shared<qv::clsInstrument>());
    int64_t samples = 0;
    for (auto _ : state) {
        auto intervals = std::make_shared<qv::clsIntervals>();
        link.SetIntervals(intervals);
        link.SetStatus(qv::StatusBlockDownload);
        link.DataSend(qv::frames::MakeFrame("DR,R,", qv::frames::EOT), true);
        for (const QByteArray& f : traffic) {
            serial->written.clear();
            serial->Feed(f);
        }
        if (link.Status() != qv::StatusCompleted) state.SkipWithError("download did not complete");
        samples = intervals->Count() ? intervals->Item(1)->DataCount() : 0;
    }
    state.counters["bytes_per_second"] =
        benchmark::Counter(double(bytes), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["wire_ratio"] = benchmark::Counter(
        double(bytes) / kWireBytesPerSecond, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["samples"] = double(samples);
    state.counters["traffic_bytes"] = double(bytes);
}

void BM_IntervalDownload(benchmark::State& state) {
    Download(state, true);
}
void BM_IntervalDownloadNoLog(benchmark::State& state) {
    Download(state, false);
}
void BM_IntervalLinkOnly(benchmark::State& state) {
    Download(state, true, false);
}
BENCHMARK(BM_IntervalDownload)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IntervalDownloadNoLog)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IntervalLinkOnly)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    // The serial log goes to a private program folder, never the user's.
    QTemporaryDir home;
    setenv("XDG_DATA_HOME", home.path().toLocal8Bit().constData(), 1);
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("qv4170"));
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    const bool ok = qv::bench::RunChecked();
    benchmark::Shutdown();
    return ok ? 0 : 1;
}
