// Redrawing the trend graph (4 series of 4,096 samples, 100 marked events each, titles, scales
// and grid) into an image the size of the data view's graph in a 15,000 x 10,000-twip window
// (848 x 561 pixels), against drawing the same four polylines straight on such an image with
// QPainter. The counter "vs_direct" of the graph's run is the ratio; the target is at most 2.
// The same for a log whose third sensor failed for 3,000 samples a minute apart: a FAIL mark at
// every sample of its series.
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

// A series whose sensor failed in every sample: no reading, a FAIL mark at each sample.
struct Failing {
    int series = -1;
    int samples = 0;
};

void LoadGraph(uclVtmGraph& graph, int samples = kSamples, Failing failing = {}) {
    const QDateTime start = rt::MakeDate(2024, 5, 1, 0, 0, 0);
    graph.SetTitleTop(QStringLiteral("Data Browse (Bench) - Interval Trend"));
    graph.SetTitleBottom(QStringLiteral("Sampling Date/Time: 1-May-24 00:00:00 to 3-May-24"));
    for (int s = 0; s < kSeries; ++s) {
        graph.AddSample(QStringLiteral("Gas%1").arg(s + 1), kColors[s], QStringLiteral("##0.0"));
        graph.SetEventVisible(s, true);
    }
    for (int i = 0; i < samples; ++i) {
        graph.SetValueX(i, start.addSecs(60LL * i));
        for (int s = 0; s < kSeries; ++s)
            graph.SetValueY(s, i, s == failing.series ? 0.0f : Value(s, i));
    }
    graph.SetSampleCount(samples);
    for (int s = 0; s < kSeries; ++s) {
        if (s == failing.series) {
            for (int e = 0; e < failing.samples; ++e) {
                graph.SetEventX(s, e, start.addSecs(60LL * e));
                graph.SetEventFlag(s, e, QStringLiteral("FAIL(Sen.)"));
            }
            graph.SetEventCount(s, failing.samples);
            continue;
        }
        for (int e = 0; e < kEvents; ++e) {
            graph.SetEventX(s, e, start.addSecs(60LL * (e * 40 + s * 7)));
            graph.SetEventFlag(s, e, e % 2 ? QStringLiteral("WARNING") : QStringLiteral("ALARM"));
        }
        graph.SetEventCount(s, kEvents);
    }
}

// The same four lines, scaled onto the image, drawn directly.
void DrawDirect(QImage& image, int samples = kSamples) {
    bench::DrawLinesDirect(image, kSeries, samples, 50.0, kColors, Value);
}

QImage DirectImage() {
    QImage image(kSize, QImage::Format_RGB32);
    return image;
}

double DirectSeconds(int samples = kSamples) {
    QImage image = DirectImage();
    return bench::SecondsPerRun(50, [&] { DrawDirect(image, samples); });
}

void BM_DirectPolylines(benchmark::State& state) {
    QImage image = DirectImage();
    for (auto _ : state) {
        DrawDirect(image);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void RedrawAgainstDirect(benchmark::State& state, uclVtmGraph& graph, int samples) {
    ui::ImageTarget image(kSize);
    graph.SetDrawObj(&image);
    graph.SetDrawWidth(static_cast<float>(image.ScaleWidth()));
    graph.SetDrawHeight(static_cast<float>(image.ScaleHeight()));
    const double direct = DirectSeconds(samples);
    bench::RunAgainst(state, "vs_direct", direct, [&] {
        image.Cls();
        graph.Refresh();
        benchmark::DoNotOptimize(image.Image().constBits());
    });
}

void BM_GraphRedraw(benchmark::State& state) {
    uclVtmGraph graph;
    LoadGraph(graph);
    RedrawAgainstDirect(state, graph, kSamples);
}

void BM_FailingSensorGraphRedraw(benchmark::State& state) {
    constexpr int kFailingSamples = 3000;
    uclVtmGraph graph;
    LoadGraph(graph, kFailingSamples, {2, kFailingSamples});
    RedrawAgainstDirect(state, graph, kFailingSamples);
    state.counters["marks"] = graph.EventCount(2);
}

}  // namespace

BENCHMARK(BM_DirectPolylines)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GraphRedraw)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FailingSensorGraphRedraw)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
    return qv::bench::RunWidgetBenchmarks(argc, argv);
}
