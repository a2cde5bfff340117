// Saving a full interval trend (4,097 samples a minute apart, 2,049 events) as comma-separated
// text: building the export text and writing it through the whole-file save, against writing
// the same bytes with one QFile::write. The counter "vs_qfile" of the export's run is the ratio;
// the target is at most 3. The build and the save alone show where the time goes.
#include <benchmark/benchmark.h>

#include "AtomicFile.h"
#include "BenchRun.h"
#include "BenchTiming.h"
#include "Dates.h"
#include "FixtureDatabase.h"
#include "clsInterval.h"
#include "modExport.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

using namespace qv;

namespace {

const QString kComma = QStringLiteral(",");

QString ExportFile(const QString& path, const clsInterval& r) {
    QString text = MakeSampleText(r, kComma);
    text += QStringLiteral("\r\n");
    WriteTextAtomically(path, text);
    return text;
}

void WriteWithQFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
    file.write(bytes);
    file.close();
}

// The full log stored by the test fixture's builder and loaded as the data view loads it.
struct Setup {
    QTemporaryDir dir;
    test::ScratchDatabase database;
    clsInterval log;
    QByteArray bytes;
    Setup() {
        {
            test::FixtureBuilder builder(database.path());
            // An instrument's full memory: 4,097 samples, 2,049 events.
            log.SetSeqNo(builder.AddInterval({"SN1001", "ST-1", "Alice"}, "Full log",
                                             rt::MakeDate(2024, 5, 1), 4097, 60, 2049));
        }
        log.ReLoad();
        bytes = ExportFile(dir.filePath(QStringLiteral("warm.csv")), log).toUtf8();
    }
};
Setup& Shared() {
    static Setup s;
    return s;
}

void BM_QFileWrite(benchmark::State& state) {
    Setup& s = Shared();
    const QString path = s.dir.filePath(QStringLiteral("plain.csv"));
    for (auto _ : state)
        WriteWithQFile(path, s.bytes);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * s.bytes.size());
}

void BM_BuildText(benchmark::State& state) {
    Setup& s = Shared();
    for (auto _ : state)
        benchmark::DoNotOptimize(MakeSampleText(s.log, kComma));
}

void BM_SaveBytes(benchmark::State& state) {
    Setup& s = Shared();
    const QString path = s.dir.filePath(QStringLiteral("saved.csv"));
    for (auto _ : state)
        WriteFileAtomically(path, s.bytes);
}

void BM_ExportToFile(benchmark::State& state) {
    Setup& s = Shared();
    const QString path = s.dir.filePath(QStringLiteral("Sample.csv"));
    const QString plainPath = s.dir.filePath(QStringLiteral("plain.csv"));
    const double plain = bench::SecondsPerRun(200, [&] { WriteWithQFile(plainPath, s.bytes); });
    bench::RunAgainst(state, "vs_qfile", plain,
                      [&] { benchmark::DoNotOptimize(ExportFile(path, s.log)); });
    state.counters["bytes"] = static_cast<double>(s.bytes.size());
}

}  // namespace

BENCHMARK(BM_QFileWrite)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_BuildText)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SaveBytes)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ExportToFile)->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    const bool ok = qv::bench::RunChecked();
    benchmark::Shutdown();
    return ok ? 0 : 1;
}
