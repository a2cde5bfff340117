// Redrawing the trend graph (4 series of 4,096 samples, 100 marked events each, titles, scales
// and grid) into an image the size of the data view's graph in a 15,000 x 10,000-twip window
// (848 x 561 pixels), against drawing the same four polylines straight on such an image with
// QPainter. The counter "vs_direct" of the graph's run is the ratio; the target is at most 2.
#include <benchmark/benchmark.h>

#include "BenchTiming.h"
#include "Dates.h"
#include "ImageTarget.h"
#include "Twips.h"
#include "WidgetBench.h"
#include "uclVtmGraph.h"

#include <QApplication>
#include <cmath>
#include <cstdlib>

using namespace qv;

namespace {

constexpr int kSeries = 4;
constexpr int kSamples = 4096;
constexpr int kEvents = 100;
const QSize kSize(848, 561);
const int32_t kColors[kSeries] = {ui::RGB(200, 160, 0), ui::RGB(0, 128, 255), ui::RGB(128, 64, 64),
                                  ui::RGB(0, 150, 0)};

float Value(int s, int i) {
    return static_cast<float>(20 + 10 * s + 8 * std::sin(i / (30.0 + 7 * s)) + (i % 50) * 0.05);
}

void LoadGraph(uclVtmGraph& graph) {
    const QDateTime start = rt::MakeDate(2024, 5, 1, 0, 0, 0);
    graph.SetTitleTop(QStringLiteral("Data Browse (Bench) - Interval Trend"));
    graph.SetTitleBottom(QStringLiteral("Sampling Date/Time: 1-May-24 00:00:00 to 3-May-24"));
    for (int s = 0; s < kSeries; ++s) {
        graph.AddSample(QStringLiteral("Gas%1").arg(s + 1), kColors[s], QStringLiteral("##0.0"));
        graph.SetEventVisible(s, true);
    }
    for (int i = 0; i < kSamples; ++i) {
        graph.SetValueX(i, start.addSecs(60LL * i));
        for (int s = 0; s < kSeries; ++s)
            graph.SetValueY(s, i, Value(s, i));
    }
    graph.SetSampleCount(kSamples);
    for (int s = 0; s < kSeries; ++s) {
        for (int e = 0; e < kEvents; ++e) {
            graph.SetEventX(s, e, start.addSecs(60LL * (e * 40 + s * 7)));
            graph.SetEventFlag(s, e, e % 2 ? QStringLiteral("WARNING") : QStringLiteral("ALARM"));
        }
        graph.SetEventCount(s, kEvents);
    }
}

// The same four lines, scaled onto the image, drawn directly.
void DrawDirect(QImage& image) {
    bench::DrawLinesDirect(image, kSeries, kSamples, 50.0, kColors, Value);
}

QImage DirectImage() {
    QImage image(kSize, QImage::Format_RGB32);
    return image;
}

double DirectSeconds() {
    QImage image = DirectImage();
    return bench::SecondsPerRun(50, [&] { DrawDirect(image); });
}

void BM_DirectPolylines(benchmark::State& state) {
    QImage image = DirectImage();
    for (auto _ : state) {
        DrawDirect(image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void BM_GraphRedraw(benchmark::State& state) {
    uclVtmGraph graph;
    LoadGraph(graph);
    ui::ImageTarget image(kSize);
    graph.SetDrawObj(&image);
    graph.SetDrawWidth(static_cast<float>(image.ScaleWidth()));
    graph.SetDrawHeight(static_cast<float>(image.ScaleHeight()));
    const double direct = DirectSeconds();
    bench::RunAgainst(state, "vs_direct", direct, [&] {
        image.Cls();
        graph.Refresh();
        benchmark::DoNotOptimize(image.Image().constBits());
    });
}

}  // namespace

BENCHMARK(BM_DirectPolylines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GraphRedraw)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return qv::bench::RunWidgetBenchmarks(argc, argv);
}
