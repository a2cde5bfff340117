// The run of a benchmark program's registered benchmarks, shown as the command line asks, and its
// verdict: a benchmark that reports an error, or a run in which none ran, fails the program, so
// that a check that runs every benchmark sees it.
#pragma once

#include <benchmark/benchmark.h>
#include <iostream>
#include <vector>

namespace qv::bench {

// Shows every run through the reporter the command line chose and counts the runs that
// reported an error.
class CheckedReporter : public benchmark::BenchmarkReporter {
  public:
    CheckedReporter() : shown_(benchmark::CreateDefaultDisplayReporter()) {}
    bool ReportContext(const Context& context) override { return shown_->ReportContext(context); }
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs)
            if (run.error_occurred) ++errors_;
        shown_->ReportRuns(runs);
    }
    void Finalize() override { shown_->Finalize(); }
    int errors() const { return errors_; }

  private:
    benchmark::BenchmarkReporter* shown_;
    int errors_ = 0;
};

// Runs the benchmarks chosen on the command line; true when at least one ran and none reported
// an error.
inline bool RunChecked(CheckedReporter& reporter) {
    const size_t ran = benchmark::RunSpecifiedBenchmarks(&reporter);
    if (ran == 0) std::cerr << "No benchmark ran.\n";
    if (reporter.errors() > 0) std::cerr << reporter.errors() << " benchmark(s) failed.\n";
    return ran > 0 && reporter.errors() == 0;
}
inline bool RunChecked() {
    CheckedReporter reporter;
    return RunChecked(reporter);
}

}  // namespace qv::bench
