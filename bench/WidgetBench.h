// The run of a benchmark program that draws or builds widgets: an application on the offscreen
// platform when no display is set, the English catalogue, then the registered benchmarks; and
// the lines of a graph drawn straight with QPainter, the baseline of a graph's drawing.
#pragma once

#include "BenchRun.h"
#include "Twips.h"
#include "modMessage.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdlib>
#include <functional>

namespace qv::bench {

// Draws `series` lines of `count` samples each, value(s, i) for sample i of line s, straight on
// the white image: across its whole width, a value of `top` at its top edge, in the colours
// given (0x00BBGGRR).
template <class Value>
void DrawLinesDirect(QImage& image, int series, int count, double top, const int32_t* colors,
                     Value&& value) {
    image.fill(Qt::white);
    QPainter painter(&image);
    const int width = image.width();
    const int height = image.height();
    QPolygonF line(count);
    for (int s = 0; s < series; ++s) {
        for (int i = 0; i < count; ++i)
            line[i] = QPointF(i * (width - 1.0) / (count - 1), height - value(s, i) * height / top);
        painter.setPen(QPen(ui::ColorFromLong(colors[s]), 1));
        painter.drawPolyline(line);
    }
}

inline int RunWidgetBenchmarks(int argc, char** argv, const std::function<void()>& before = {},
                               const std::function<void()>& after = {}) {
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    SetCatalogueLanguage(CatalogueLanguage::English);
    benchmark::Initialize(&argc, argv);
    if (before) before();
    const bool ok = RunChecked();
    if (after) after();
    benchmark::Shutdown();
    return ok ? 0 : 1;
}

}  // namespace qv::bench
