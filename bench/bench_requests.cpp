// 1 000 sequential requests through the request classes against the
// simulator (connect, exchange, close: the default connection style), as
// ratios to a raw socket client sending the same bytes to the same simulator
// in the same run.
#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <unistd.h>

#include "MiddlewareProcess.h"
#include "RawMiddlewareClient.h"
#include "common/TextCodec.h"
#include "ProcessSession.h"
#include "protocol/QueryRequests.h"
#include "protocol/TBankLogin.h"

namespace {

using namespace vantrel;

constexpr int kRequests = 1000;
const char* const kTrader = "8001234";

// Application folder, Bank.ini and one running simulator for the whole run.
struct Setup {
    std::filesystem::path folder;
    std::unique_ptr<test::MiddlewareProcess> sim;

    Setup() {
        folder = std::filesystem::temp_directory_path() / ("vantrel-bench-requests-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
        std::ofstream(folder / "Bank.ini", std::ios::binary)
            << Utf8ToGbk("[system]\nHost=127.0.0.1\nTimeOut=2000\nReadTimeOut=5000\n[OptionKind]\nItem11=市场资金查询\n"
                         "[Values]\nhn0008=成功\nhn0009=通讯失败:\n")
                   .value();
        // A Bank.ini written in the last two seconds is read again at every
        // look (its time may not yet tell two quick edits apart); measure
        // the steady state, a file nobody has just edited.
        std::filesystem::last_write_time(folder / "Bank.ini", std::filesystem::file_time_type::clock::now() -
                                                                  std::chrono::minutes(1));
        setenv("VANTREL_APP_PATH", (folder.string() + "/").c_str(), 1);
        StartLibrary();
        sim = std::make_unique<test::MiddlewareProcess>();
        TBankLogin login(Process());
        login.Settings.Host = "127.0.0.1";
        login.Settings.Port = sim->port();
        login.Settings.CustTradeID = kTrader;
        login.Settings.CustMoneyPwd = "123456";
        if (!login.Execute()) std::fprintf(stderr, "login failed: %s\n", login.LastMessage.c_str());
    }
    ~Setup() {
        EndProcessSession();
        sim.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }
};

Setup& TheSetup() {
    static Setup setup;
    return setup;
}

// The market funds query: read-only, so the ledger's fsync does not drown
// the client's own cost.
void FillMarketQuery(TQueryMarketMoney& request) {
    request.CustTradeID = kTrader;
    request.CustMoneyPwd = "123456";
}

void BM_Baseline_RawSocket(benchmark::State& state) {
    auto& setup = TheSetup();
    // The bytes the request class sends (date and time of this run).
    auto frame = BuildRequestFrame({"90011", "", ""}, {{"CustTradeID", kTrader}, {"CustMoneyPwd", "123456"},
                                                       {"BusinType", "0"}, {"MoneySty", "0"}, {"MoneyType", "0"},
                                                       {"Memo", ""}, {"TradeDate", "20240301"}, {"TradeTime", "120000"}});
    test::RawMiddlewareClient client(setup.sim->port());
    for (auto _ : state) {
        for (int i = 0; i < kRequests; ++i) {
            auto answer = client.exchange(frame.value());
            if (!answer.ok() || !answer.value().ok()) {
                state.SkipWithError("raw exchange failed");
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kRequests);
}

void RunRequests(benchmark::State& state, bool logEvents) {
    TheSetup();
    TQueryMarketMoney request(Process());
    request.LogEvents = logEvents;
    FillMarketQuery(request);
    for (auto _ : state) {
        for (int i = 0; i < kRequests; ++i) {
            if (!request.Execute()) {
                state.SkipWithError(request.LastMessage.c_str());
                return;
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * kRequests);
}

void BM_RequestClass_WithTransferLog(benchmark::State& state) { RunRequests(state, true); }
void BM_RequestClass_NoLog(benchmark::State& state) { RunRequests(state, false); }

BENCHMARK(BM_Baseline_RawSocket)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_RequestClass_NoLog)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_RequestClass_WithTransferLog)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

// Wall time: the exchange waits on the simulator, a separate process.
void PrintRatios(const vantrel::bench::Times& times) {
    auto base = std::find_if(times.begin(), times.end(),
                             [](const auto& entry) { return entry.first.rfind("BM_Baseline", 0) == 0; });
    if (base == times.end() || base->second <= 0) return;
    std::printf("\nRatio to the raw socket client (%d requests each, wall time):\n", kRequests);
    for (const auto& [name, time] : times) std::printf("  %-60s %8.2f\n", name.c_str(), time / base->second);
}

}  // namespace

int main(int argc, char** argv) {
    vantrel::bench::RatioReporter reporter(vantrel::bench::RatioReporter::Clock::Wall, PrintRatios);
    return vantrel::bench::RunBenchmarks(argc, argv, reporter);
}
