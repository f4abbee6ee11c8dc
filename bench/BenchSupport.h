#pragma once
// What every benchmark program shares: the reporter that keeps each run's
// time for the ratio lines printed after Google Benchmark's table, and main.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vantrel::bench {

// Run name to time, in the reporter's clock.
using Times = std::map<std::string, double>;

class RatioReporter : public benchmark::ConsoleReporter {
public:
    // CPU time where the machine's load would swing wall time; wall time
    // where the work waits on something else (a process, the disk).
    enum class Clock { Cpu, Wall };

    RatioReporter(Clock clock, std::function<void(const Times&)> printRatios)
        : clock_(clock), printRatios_(std::move(printRatios)) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const auto& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred)
                times_[run.benchmark_name()] =
                    clock_ == Clock::Cpu ? run.GetAdjustedCPUTime() : run.GetAdjustedRealTime();
    }
    void Finalize() override {
        ConsoleReporter::Finalize();
        printRatios_(times_);
    }

private:
    Clock clock_;
    std::function<void(const Times&)> printRatios_;
    Times times_;
};

// The "BM_Growth<what>/<rows>" runs by <what>: the time per row at each row
// count, the smallest count first.
inline std::map<std::string, std::map<long, double>> GrowthPerRow(const Times& times) {
    std::map<std::string, std::map<long, double>> groups;
    for (const auto& [name, time] : times) {
        const auto slash = name.find('/');
        if (name.rfind("BM_Growth", 0) != 0 || slash == std::string::npos) continue;
        const long rows = std::atol(name.c_str() + slash + 1);
        if (rows > 0) groups[name.substr(0, slash)][rows] = time / static_cast<double>(rows);
    }
    return groups;
}

// main: reads Google Benchmark's arguments (1 for one it does not know),
// calls `before`, then runs the benchmarks into `reporter`.
inline int RunBenchmarks(int argc, char** argv, RatioReporter& reporter,
                         const std::function<void()>& before = {}) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    if (before) before();
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}

}  // namespace vantrel::bench
