// Loading a large answer into the in-memory table, indexing and filtering it,
// each reported as a ratio to the same work done on a bare
// vector<vector<string>> in the same run.
#include "common/MemoryTable.h"

#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <numeric>
#include <string>
#include <vector>

namespace {

constexpr int kRows = 10000;
constexpr int kCols = 10;

const std::vector<std::vector<std::string>>& Answer() {
    static const auto rows = [] {
        std::vector<std::vector<std::string>> out(kRows);
        for (int r = 0; r < kRows; ++r)
            for (int c = 0; c < kCols; ++c)
                out[static_cast<std::size_t>(r)].push_back(std::string("v").append(
                    std::to_string((r * 7919 + c * 31) % 10007)));
        return out;
    }();
    return rows;
}

void Load(vantrel::MemoryTable& t) {
    std::vector<vantrel::FieldDef> fields;
    for (int c = 0; c < kCols; ++c) fields.push_back({std::string("F").append(std::to_string(c))});
    (void)t.defineFields(fields);
    t.beginUpdate();
    for (const auto& row : Answer()) (void)t.appendRow(row);
    t.endUpdate();
}

void BM_Baseline_CopyAndSortStrings(benchmark::State& state) {
    for (auto _ : state) {
        auto rows = Answer();
        std::vector<std::size_t> order(rows.size());
        std::iota(order.begin(), order.end(), 0);
        std::stable_sort(order.begin(), order.end(),
                         [&](std::size_t a, std::size_t b) { return rows[a][3] < rows[b][3]; });
        benchmark::DoNotOptimize(order.data());
    }
}
BENCHMARK(BM_Baseline_CopyAndSortStrings)->Unit(benchmark::kMillisecond);

// Each iteration loads the answer into a new table and then does `then`.
template <class Then>
void LoadEach(benchmark::State& state, Then then) {
    for (auto _ : state) {
        vantrel::MemoryTable t;
        Load(t);
        then(t);
    }
}

void BM_LoadTable(benchmark::State& state) {
    LoadEach(state, [](vantrel::MemoryTable& t) { benchmark::DoNotOptimize(t.recordCount()); });
}
BENCHMARK(BM_LoadTable)->Unit(benchmark::kMillisecond);

void BM_LoadAndIndex(benchmark::State& state) {
    LoadEach(state, [](vantrel::MemoryTable& t) {
        (void)t.addIndex("F3_DOWN", "F3", false);
        (void)t.setIndex("F3_DOWN");
        benchmark::DoNotOptimize(t.text(0, 3));
    });
}
BENCHMARK(BM_LoadAndIndex)->Unit(benchmark::kMillisecond);

void BM_LoadAndFilter(benchmark::State& state) {
    LoadEach(state, [](vantrel::MemoryTable& t) {
        (void)t.setFilter("F1 <> 'v999' AND F2 > 'v5'");
        benchmark::DoNotOptimize(t.recordCount());
    });
}
BENCHMARK(BM_LoadAndFilter)->Unit(benchmark::kMillisecond);

// Prints each result also as a multiple of the baseline.
void PrintRatios(const vantrel::bench::Times& times) {
    auto base = times.find("BM_Baseline_CopyAndSortStrings");
    if (base == times.end() || base->second <= 0) return;
    for (const auto& [name, time] : times) std::printf("%-34s %6.2fx baseline\n", name.c_str(), time / base->second);
}

}  // namespace

int main(int argc, char** argv) {
    vantrel::bench::RatioReporter reporter(vantrel::bench::RatioReporter::Clock::Wall, PrintRatios);
    return vantrel::bench::RunBenchmarks(argc, argv, reporter);
}
