// Cost of the wire layer on a large answer (10 000 rows x 10 columns, sent as
// many frames of at most 9999 bytes), as ratios to copying the same bytes and
// counting their separators.
#include "protocol/PacketCodec.h"
#include "ProcessSession.h"
#include "protocol/QueryRequests.h"

#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <map>
#ifdef __GLIBC__
#include <malloc.h>
#endif
#include <string>
#include <vector>

namespace {

using namespace vantrel;

constexpr int kRows = 10000;

const std::vector<std::string> kColumns = {"SerialNo",  "TradeDate", "TradeTime", "BankID",
                                           "BankName",  "CustBankAcctNo", "MoneyType",
                                           "ChangeMoney", "TradeType", "Memo"};

// GBK bank names and memo texts, as a real answer carries them.
const char* const kBankNames[] = {"\xD6\xD0\xB9\xFA\xB9\xA4\xC9\xCC\xD2\xF8\xD0\xD0",
                                  "\xD6\xD0\xB9\xFA\xC5\xA9\xD2\xB5\xD2\xF8\xD0\xD0",
                                  "\xD5\xD0\xC9\xCC\xD2\xF8\xD0\xD0"};
const char* const kMemos[] = {"\xC8\xEB\xBD\xF0", "\xB3\xF6\xBD\xF0", ""};

std::vector<std::vector<std::string>> MakeRows(int count = kRows) {
    std::vector<std::vector<std::string>> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        char serial[16], date[16], time[16], account[24], money[16];
        std::snprintf(serial, sizeof serial, "%010d", 1000000 + i);
        std::snprintf(date, sizeof date, "202403%02d", 1 + i % 28);
        std::snprintf(time, sizeof time, "%02d%02d%02d", i % 24, i % 60, (i * 7) % 60);
        std::snprintf(account, sizeof account, "62220210%011d", i * 7919);
        // In 64 bits: i * 104729 overflows an int from 20 506 rows on.
        std::snprintf(money, sizeof money, "%lld", static_cast<long long>(i) * 104729 % 100000000);
        rows.push_back({serial, date, time, std::to_string(i % 3 + 1), kBankNames[i % 3],
                        account, "1", money, std::to_string(i % 2), kMemos[i % 3]});
    }
    return rows;
}

// Packs the rows into answer frames; every frame repeats the column names.
std::string EncodeAnswer(const std::vector<std::vector<std::string>>& rows, ScrambleFlag flag) {
    const std::string names = *JoinItems(kColumns);
    std::string wire;
    wire.reserve(rows.size() * 96);  // the answer's size, give or take
    std::string body = names;
    auto flush = [&](bool last) {
        AnswerHeaderFields header{"00000", last, static_cast<std::uint8_t>(kColumns.size())};
        wire += *BuildAnswerFrame(header, body, flag, kDefaultPacketKey);
        body = names;
    };
    for (const auto& row : rows) {
        std::string items = *JoinItems(row);
        if (kHeaderSize + body.size() + items.size() > kMaxPayloadSize) flush(false);
        body += items;
    }
    flush(true);
    return wire;
}

// The bodies a reader hands over for a wire answer.
std::vector<std::string> BodiesOf(const std::string& plainWire) {
    std::vector<std::string> bodies;
    AnswerFrameReader reader(std::string(kHeaderSize, ' '));
    std::string key(kDefaultPacketKey);
    for (std::size_t at = 0; at < plainWire.size();) {
        auto prefix = *ParseAnswerPrefix(std::string_view(plainWire).substr(at, kPrefixSize));
        bodies.push_back(*reader.accept(prefix, plainWire.substr(at + kPrefixSize, prefix.length), key));
        at += kPrefixSize + prefix.length;
    }
    return bodies;
}

struct Data {
    std::vector<std::vector<std::string>> rows = MakeRows();
    std::string plainWire = EncodeAnswer(rows, ScrambleFlag::Plain);
    std::string scrambledWire = EncodeAnswer(rows, ScrambleFlag::Scrambled);
    std::vector<std::string> bodies = BodiesOf(plainWire);
};

const Data& TheData() {
    static const Data data;
    return data;
}

void BM_Baseline_CopyAndCountSeparators(benchmark::State& state) {
    const std::string& wire = TheData().scrambledWire;
    for (auto _ : state) {
        std::string copy = wire;
        std::size_t count = 0;
        const char* p = copy.data();
        const char* end = p + copy.size();
        while ((p = static_cast<const char*>(std::memchr(p, '\x08', end - p))) != nullptr) {
            ++count;
            ++p;
        }
        benchmark::DoNotOptimize(count);
        benchmark::DoNotOptimize(copy.data());
    }
    state.SetBytesProcessed(state.iterations() * wire.size());
}

void BM_EncodeAnswerFrames(benchmark::State& state) {
    const auto& rows = TheData().rows;
    for (auto _ : state) {
        std::string wire = EncodeAnswer(rows, ScrambleFlag::Plain);
        benchmark::DoNotOptimize(wire.data());
    }
    state.SetBytesProcessed(state.iterations() * TheData().plainWire.size());
}

// Prefix parse, payload copy (what readExact hands over), descrambling,
// header overlay.
void BM_ReadScrambledFrames(benchmark::State& state) {
    const std::string& wire = TheData().scrambledWire;
    for (auto _ : state) {
        AnswerFrameReader reader(std::string(kHeaderSize, ' '));
        std::string key(kDefaultPacketKey);
        std::size_t bodyBytes = 0;
        for (std::size_t at = 0; at < wire.size();) {
            auto prefix = ParseAnswerPrefix(std::string_view(wire).substr(at, kPrefixSize));
            auto body = reader.accept(*prefix, wire.substr(at + kPrefixSize, prefix->length), key);
            bodyBytes += body->size();
            at += kPrefixSize + prefix->length;
        }
        benchmark::DoNotOptimize(bodyBytes);
    }
    state.SetBytesProcessed(state.iterations() * wire.size());
}

void BM_SplitBodies(benchmark::State& state) {
    const auto& bodies = TheData().bodies;
    std::size_t bytes = 0;
    for (const auto& b : bodies) bytes += b.size();
    for (auto _ : state) {
        std::size_t items = 0;
        for (const auto& body : bodies) items += SplitBody(body).size();
        benchmark::DoNotOptimize(items);
    }
    state.SetBytesProcessed(state.iterations() * bytes);
}

// LoadRows: split each body and store its rows into the request's table, as
// received (mode 0) and with the money, date and time columns formatted.
// The request reads its settings from a private folder's Bank.ini.
std::size_t HeapInUse() {
#ifdef __GLIBC__
    return mallinfo2().uordblks;
#else
    return 0;
#endif
}

std::size_t ResidentBytes() {
    long pages = 0, resident = 0;
    if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return static_cast<std::size_t>(resident) * static_cast<std::size_t>(sysconf(_SC_PAGESIZE));
}

void LoadAllBodies(benchmark::State& state, TBankTransfer& request) {
    request.LogEvents = false;
    const auto& bodies = TheData().bodies;
    for (auto _ : state) {
        for (std::size_t i = 0; i < bodies.size(); ++i)
            request.LoadRows(bodies[i], kColumns.size(), i == 0);
        benchmark::DoNotOptimize(request.ResultTable.recordCount());
    }
    if (request.ResultTable.recordCount() != kRows) state.SkipWithError("rows lost in LoadRows");
    state.SetBytesProcessed(state.iterations() * TheData().plainWire.size());
}

void UseBenchFolder() {
    static const auto folder = [] {
        auto path = std::filesystem::temp_directory_path() / ("vantrel-bench-" + std::to_string(::getpid()));
        std::filesystem::create_directories(path);
        std::ofstream(path / "Bank.ini") << "[MoneyFieldsList]\n1=ChangeMoney\n[DataFieldsList]\n1=TradeDate\n"
                                            "[TimeFieldsList]\n1=TradeTime\n";
        ::setenv("VANTREL_APP_PATH", (path.string() + "/").c_str(), 1);
        return path;
    }();
    (void)folder;
}

void BM_LoadRowsAsReceived(benchmark::State& state) {
    UseBenchFolder();
    TQueryOrderID request(Process());
    LoadAllBodies(state, request);
}

void BM_LoadRowsFormatted(benchmark::State& state) {
    UseBenchFolder();
    TQueryTransferMore request(Process());
    LoadAllBodies(state, request);
}

// The whole path of an answer: read the scrambled frames as the socket hands
// them over, then split and load each body (values as received).
void BM_ReadSplitLoadRows(benchmark::State& state) {
    UseBenchFolder();
    TQueryOrderID request(Process());
    request.LogEvents = false;
    const std::string& wire = TheData().scrambledWire;
    for (auto _ : state) {
        AnswerFrameReader reader(std::string(kHeaderSize, ' '));
        std::string key(kDefaultPacketKey);
        bool first = true;
        for (std::size_t at = 0; at < wire.size();) {
            auto prefix = ParseAnswerPrefix(std::string_view(wire).substr(at, kPrefixSize));
            auto body = reader.accept(*prefix, wire.substr(at + kPrefixSize, prefix->length), key);
            request.LoadRows(*body, kColumns.size(), first);
            first = false;
            at += kPrefixSize + prefix->length;
        }
        benchmark::DoNotOptimize(request.ResultTable.recordCount());
    }
    if (request.ResultTable.recordCount() != kRows) state.SkipWithError("rows lost in LoadRows");
    state.SetBytesProcessed(state.iterations() * wire.size());
}

// Growth: LoadRows over answers of 1 000, 10 000 and 100 000 rows; the
// time per row should not grow with the answer.
void BM_GrowthLoadRows(benchmark::State& state) {
    UseBenchFolder();
    const int rows = static_cast<int>(state.range(0));
    const auto bodies = BodiesOf(EncodeAnswer(MakeRows(rows), ScrambleFlag::Plain));
    TQueryTransferMore request(Process());
    request.LogEvents = false;
    for (auto _ : state) {
        for (std::size_t i = 0; i < bodies.size(); ++i) request.LoadRows(bodies[i], kColumns.size(), i == 0);
        benchmark::DoNotOptimize(request.ResultTable.recordCount());
    }
    if (request.ResultTable.recordCount() != rows) state.SkipWithError("rows lost in LoadRows");
    state.counters["time_per_row"] = benchmark::Counter(static_cast<double>(rows) * static_cast<double>(state.iterations()),
                                                        benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

// Memory held by a loaded 100 000 x 10 table (values as received), against
// the answer's bytes on the wire: heap bytes in use after the load minus
// before, and the process's resident size likewise.
void BM_LoadedTableMemory(benchmark::State& state) {
    UseBenchFolder();
    constexpr int kMemoryRows = 100000;
    const std::string wire = EncodeAnswer(MakeRows(kMemoryRows), ScrambleFlag::Plain);
    const auto bodies = BodiesOf(wire);
    double heapRatio = 0, rssRatio = 0;
    for (auto _ : state) {
        state.PauseTiming();
        const std::size_t heapBefore = HeapInUse();
        const std::size_t rssBefore = ResidentBytes();
        state.ResumeTiming();
        {
            TQueryOrderID request(Process());
            request.LogEvents = false;
            for (std::size_t i = 0; i < bodies.size(); ++i) request.LoadRows(bodies[i], kColumns.size(), i == 0);
            state.PauseTiming();
            if (request.ResultTable.recordCount() != kMemoryRows) state.SkipWithError("rows lost in LoadRows");
            heapRatio = static_cast<double>(HeapInUse() - heapBefore) / static_cast<double>(wire.size());
            rssRatio = static_cast<double>(ResidentBytes() - rssBefore) / static_cast<double>(wire.size());
            state.ResumeTiming();
        }
    }
    state.counters["wire_bytes"] = static_cast<double>(wire.size());
    state.counters["heap_per_wire_byte"] = heapRatio;
    state.counters["rss_per_wire_byte"] = rssRatio;
}

BENCHMARK(BM_Baseline_CopyAndCountSeparators)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_EncodeAnswerFrames)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadScrambledFrames)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_SplitBodies)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadRowsAsReceived)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadRowsFormatted)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_ReadSplitLoadRows)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GrowthLoadRows)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadedTableMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

// The usual table, then each benchmark's CPU time over the baseline's (CPU
// time: the machine is shared, wall time swings with its load), and the
// growth of the per-row runs.
void PrintRatios(const vantrel::bench::Times& times) {
    auto base = times.find("BM_Baseline_CopyAndCountSeparators");
    if (base == times.end() || base->second <= 0) return;
    std::printf("\nRatio to the baseline (copy + count 0x08 over the same %zu bytes):\n",
                TheData().scrambledWire.size());
    for (const auto& [name, time] : times) std::printf("  %-40s %8.2f\n", name.c_str(), time / base->second);
    for (const auto& [group, perRow] : vantrel::bench::GrowthPerRow(times)) {
        std::printf("\nGrowth of %s (time per row over that at %ld rows):\n", group.c_str(), perRow.begin()->first);
        for (const auto& [rows, time] : perRow) std::printf("  %-10ld %8.2f\n", rows, time / perRow.begin()->second);
    }
}

}  // namespace

int main(int argc, char** argv) {
    vantrel::bench::RatioReporter reporter(vantrel::bench::RatioReporter::Clock::Cpu, PrintRatios);
    return vantrel::bench::RunBenchmarks(argc, argv, reporter, [] {
        std::printf("Answer: %d rows x %zu columns, %zu frames, %zu bytes on the wire\n", kRows, kColumns.size(),
                    TheData().bodies.size(), TheData().plainWire.size());
    });
}
