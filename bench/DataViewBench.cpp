// Opening a full interval log (4,097 samples, 2,049 events) on the data view page. As a table
// (the summary and the merged table from the loaded log) beside filling a bare QTableWidget with
// the same texts and colours: counter "vs_bare", target at most 2. As a graph (series, event
// marks and titles from the loaded log, drawn into an image of the data view's graph in a
// 15,000 x 10,000-twip window, 848 x 561 pixels) beside drawing the same four lines straight on
// such an image with QPainter: counter "vs_direct", target at most 2. The whole set-up, the
// load from the database included, is measured for reference. The same table and graph, with
// the same targets, of a log whose gas 3 sensor failed for 3,000 samples: a FAIL event at every
// sample, so 3,000 event rows and marks.
#include "BenchTiming.h"
#include "DataViewPage.h"
#include "DataViewState.h"
#include "Dates.h"
#include "FixtureDatabase.h"
#include "ImageTarget.h"
#include "Twips.h"
#include "WidgetBench.h"
#include "clsInterval.h"
#include "modGlobals.h"
#include "modMessage.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTableWidget>
#include <cstdlib>

namespace qv {
namespace {

constexpr int kSamples = 4097;
constexpr int kEvents = 2049;
constexpr int kFailingSamples = 3000;
const QSize kGraphSize(848, 561);

// The window's state the page reaches, a database with the full log and the failing one, and
// the page on one of them.
struct Rig : test::DataViewState {
    test::ScratchDatabase scratch;
    DataViewPage page;
    ui::ImageTarget image{kGraphSize};
    int32_t full = 0;
    int32_t failing = 0;

    Rig() {
        {
            test::FixtureBuilder b(scratch.path());
            full = b.AddInterval({"SN1001", "ST-1", "Alice"}, QStringLiteral("full"),
                                 rt::MakeDate(2024, 5, 1, 0, 0, 0), kSamples, 60, kEvents);
            failing =
                b.AddInterval({"SN1001", "ST-1", "Alice"}, QStringLiteral("failing"),
                              rt::MakeDate(2024, 6, 1, 0, 0, 0), kFailingSamples, 60, 0, false, 2);
        }
        CurSeqNo = full;
        CurDataType = TypeInterval;
        page.Bind(ViewHost([](const QString&) {}, [](int) {}));
        page.SetCaptions();
        page.resize(1000, 700);
        page.LayoutPage();
        uclVtmGraph& graph = *page.vtmGraph;
        graph.SetDrawObj(&image);
        graph.SetDrawWidth(static_cast<float>(image.ScaleWidth()));
        graph.SetDrawHeight(static_cast<float>(image.ScaleHeight()));
        page.ShowDataView();
    }
    // Loads the log on the page unless it is there already.
    void Show(int32_t seqNo) {
        if (CurSeqNo == seqNo) return;
        CurSeqNo = seqNo;
        page.ShowDataView();
    }
};

// Made in main, inside the application's lifetime.
Rig* gRig = nullptr;

Rig& TheRig() {
    return *gRig;
}

// The table's texts and colours as the page shows them, for the bare fill.
struct TableCopy {
    int rows = 0;
    int cols = 0;
    std::vector<QString> texts;
    std::vector<int32_t> colors;
};

TableCopy CopyTable(const ui::FlexGrid& grid) {
    TableCopy copy{grid.Rows(), grid.Cols(), {}, {}};
    for (int r = 0; r < copy.rows; ++r)
        for (int c = 0; c < copy.cols; ++c) {
            copy.texts.push_back(grid.TextMatrix(r, c));
            copy.colors.push_back(grid.CellBackColor(r, c));
        }
    return copy;
}

void FillBare(QTableWidget& table, const TableCopy& copy) {
    table.clearContents();
    table.setRowCount(0);
    table.setColumnCount(copy.cols);
    table.setRowCount(copy.rows);
    size_t i = 0;
    for (int r = 0; r < copy.rows; ++r)
        for (int c = 0; c < copy.cols; ++c, ++i) {
            auto* item = new QTableWidgetItem(copy.texts[i]);
            if (copy.colors[i] != 0) item->setBackground(ui::ColorFromLong(copy.colors[i]));
            table.setItem(r, c, item);
        }
}

// The bare table lives only while the baseline is timed: a second table kept alive beside the
// page's run slows that run.
double BareTableSeconds(const TableCopy& copy) {
    QTableWidget table;
    return bench::SecondsPerRun(10, [&] { FillBare(table, copy); });
}

void BM_BareTableWidget(benchmark::State& state) {
    TheRig().Show(state.range(0) ? TheRig().failing : TheRig().full);
    const TableCopy copy = CopyTable(*TheRig().page.vfgBrowse);
    QTableWidget table;
    for (auto _ : state) {
        FillBare(table, copy);
        benchmark::DoNotOptimize(table.item(copy.rows - 1, 0));
    }
}

void BM_OpenAsTable(benchmark::State& state) {
    Rig& rig = TheRig();
    rig.Show(state.range(0) ? rig.failing : rig.full);
    const double bare = BareTableSeconds(CopyTable(*rig.page.vfgBrowse));
    bench::RunAgainst(state, "vs_bare", bare, [&] { rig.page.ShowDataList(); });
    state.counters["rows"] = rig.page.vfgBrowse->Rows();
}

// The four gas lines of the log, scaled onto the image, drawn directly.
void DrawDirect(QImage& image, const clsInterval& log) {
    bench::DrawLinesDirect(image, 4, log.DataCount(), 60.0, GraphColor.data(),
                           [&](int g, int i) { return log.GasValue(g, i).toFloat(); });
}

double DirectSeconds(const clsInterval& log) {
    QImage image(kGraphSize, QImage::Format_RGB32);
    return bench::SecondsPerRun(50, [&] { DrawDirect(image, log); });
}

void BM_DirectPolylines(benchmark::State& state) {
    TheRig().Show(state.range(0) ? TheRig().failing : TheRig().full);
    const clsInterval& log = *TheRig().CurInterval;
    QImage image(kGraphSize, QImage::Format_RGB32);
    for (auto _ : state) {
        DrawDirect(image, log);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_OpenAsGraph(benchmark::State& state) {
    Rig& rig = TheRig();
    // The failing log opens as a table only (its gas 3 has no reading to plot); its graph is
    // drawn all the same, as printing it does.
    rig.Show(state.range(0) ? rig.failing : rig.full);
    const double direct = DirectSeconds(*rig.CurInterval);
    bench::RunAgainst(state, "vs_direct", direct, [&] {
        rig.image.Cls();
        rig.page.ShowTrendGraph();
        benchmark::DoNotOptimize(rig.image.Image().constBits());
    });
    state.counters["events_gas1"] = rig.page.vtmGraph->EventCount(0);
    state.counters["events_gas3"] = rig.page.vtmGraph->EventCount(2);
}

// For reference: the whole set-up from the database, table and graph.
void BM_ShowDataViewFromDatabase(benchmark::State& state) {
    Rig& rig = TheRig();
    rig.Show(rig.full);
    for (auto _ : state)
        rig.page.ShowDataView();
}

}  // namespace

void MakeRig() {
    gRig = new Rig;
}

void DropRig() {
    delete gRig;
    gRig = nullptr;
}

}  // namespace qv

// Argument 0: the full log; 1: the log of the failing sensor.
BENCHMARK(qv::BM_BareTableWidget)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(qv::BM_OpenAsTable)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(qv::BM_DirectPolylines)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(qv::BM_OpenAsGraph)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(qv::BM_ShowDataViewFromDatabase)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return qv::bench::RunWidgetBenchmarks(argc, argv, qv::MakeRig, qv::DropRig);
}
