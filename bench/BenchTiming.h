// The baseline a benchmark is compared with, and the ratio to it: a counter such as "vs_bare"
// is the benchmark's time per run over the baseline's.
#pragma once

#include "BenchRun.h"

#include <benchmark/benchmark.h>
#include <QElapsedTimer>

#include <iostream>

#include <map>
#include <string>
#include <vector>

namespace qv::bench {

// Seconds one call of `run` takes, averaged over `runs` calls after one to warm up.
template <class Run>
double SecondsPerRun(int runs, Run&& run) {
    run();
    QElapsedTimer timer;
    timer.start();
    for (int r = 0; r < runs; ++r)
        run();
    return timer.nsecsElapsed() / 1e9 / runs;
}

// Runs the benchmark's loop with `body` as each run, timed as a whole, and sets the counter
// `name` to its time per run over `baselineSeconds`.
template <class Body>
void RunAgainst(benchmark::State& state, const char* name, double baselineSeconds, Body&& body) {
    QElapsedTimer timer;
    timer.start();
    for (auto _ : state)
        body();
    const double perRun = timer.nsecsElapsed() / 1e9 / static_cast<double>(state.iterations());
    state.counters[name] = perRun / baselineSeconds;
}

// Collects the mean time of every run so that pairs of benchmarks can be compared at the end.
class RatioReporter : public CheckedReporter {
  public:
    void ReportRuns(const std::vector<Run>& runs) override {
        CheckedReporter::ReportRuns(runs);
        for (const Run& r : runs)
            seconds[r.benchmark_name()] = r.GetAdjustedRealTime();
    }
    std::map<std::string, double> seconds;

    // Prints "label = a / b" of two runs by their full names, with its target; nothing when
    // either run is missing.
    void PrintRatio(const std::string& label, const std::string& a, const std::string& b,
                    double target) const {
        const auto x = seconds.find(a), y = seconds.find(b);
        if (x == seconds.end() || y == seconds.end() || y->second <= 0) return;
        std::cout << label << " = " << x->second / y->second << " (target <= " << target << ")\n";
    }
};

}  // namespace qv::bench
