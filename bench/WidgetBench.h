// The run of a benchmark program that draws or builds widgets: an application on the offscreen
// platform when no display is set, the English catalogue, then the registered benchmarks.
#pragma once

#include "modMessage.h"

#include <benchmark/benchmark.h>
#include <QApplication>
#include <cstdlib>
#include <functional>

namespace qv::bench {

inline int RunWidgetBenchmarks(int argc, char** argv, const std::function<void()>& before = {},
                               const std::function<void()>& after = {}) {
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    SetCatalogueLanguage(CatalogueLanguage::English);
    benchmark::Initialize(&argc, argv);
    if (before) before();
    benchmark::RunSpecifiedBenchmarks();
    if (after) after();
    benchmark::Shutdown();
    return 0;
}

}  // namespace qv::bench
