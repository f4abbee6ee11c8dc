// Crash safety and concurrency of the simulator's ledger. These drive the
// simulator with raw protocol clients: the request classes share one
// process-wide connection, so concurrent clients need their own sockets.
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <mutex>
#include <set>
#include <thread>

#include "SimulatorFixture.h"

namespace vantrel::test {
namespace {

std::set<std::string> Serials(RawMiddlewareClient& client, const std::string& tradeId, const std::string& account,
                              long long* deposits = nullptr, long long* withdrawals = nullptr) {
    auto details = client.request({"90002", "", ""}, {{"CustBankAcctNo", account}, {"CustTradeID", tradeId}});
    std::set<std::string> serials;
    if (!details.ok() || !details.value().ok()) return serials;
    for (std::size_t i = 0; i < details.value().rows.size(); ++i) {
        serials.insert(details.value().cell(i, "SerialNo"));
        const auto amount = std::stoll(details.value().cell(i, "ChangeMoney"));
        if (details.value().cell(i, "TradeType") == "1" && deposits) *deposits += amount;
        if (details.value().cell(i, "TradeType") == "0" && withdrawals) *withdrawals += amount;
    }
    return serials;
}

TEST(SimulatorDurability, AKillMidRunLosesNoAcknowledgedDepositAndLeavesNoHalfTransfer) {
    MiddlewareProcess sim;
    RawMiddlewareClient before(sim.port());
    const auto seeded = Serials(before, kTrader, kIcbcAccount);

    std::mutex mutex;
    std::vector<std::string> acknowledged;
    std::atomic<bool> running{true};
    std::thread depositor([&] {
        RawMiddlewareClient client(sim.port());
        while (running) {
            auto answer = RawTransfer(client, kTrader, kIcbcAccount, true, 100);
            if (!answer.ok()) break;  // the simulator is gone
            ASSERT_TRUE(answer.value().ok());
            std::lock_guard lock(mutex);
            acknowledged.push_back(answer.value().cell(0, "SerialNo"));
        }
    });
    // Let a good number of deposits through, then crash the simulator.
    for (int i = 0; i < 400; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        std::lock_guard lock(mutex);
        if (acknowledged.size() >= 30) break;
    }
    sim.kill();
    running = false;
    depositor.join();
    ASSERT_GE(acknowledged.size(), 1u);

    sim.restart();
    RawMiddlewareClient after(sim.port());
    long long deposits = 0;
    const auto serials = Serials(after, kTrader, kIcbcAccount, &deposits);
    for (const auto& serial : acknowledged) EXPECT_TRUE(serials.count(serial)) << serial;
    // At most the one deposit in flight may have committed unacknowledged.
    EXPECT_LE(serials.size() - seeded.size() - acknowledged.size(), 1u);
    EXPECT_EQ(RawTraderTotal(after, kTrader, {kIcbcAccount, kCcbAccount}), kTraderSeededTotal);
}

TEST(SimulatorDurability, SixteenConcurrentClientsKeepTheLedgerBalanced) {
    MiddlewareProcess sim;
    constexpr int kClients = 16;
    constexpr int kOperations = 50;
    struct Outcome {
        std::vector<std::string> serials;
        long long deposited = 0, withdrawn = 0;
        int refused = 0;
        std::string failure;
    };
    std::vector<Outcome> outcomes(kClients);
    std::vector<std::thread> threads;
    for (int c = 0; c < kClients; ++c) {
        threads.emplace_back([&, c] {
            // Twelve clients share the first trader's account, four the second's.
            const bool first = c < 12;
            const std::string tradeId = first ? kTrader : kSecondTrader;
            const std::string account = first ? kIcbcAccount : kAbcAccount;
            RawMiddlewareClient client(sim.port());
            auto& out = outcomes[c];
            for (int i = 0; i < kOperations; ++i) {
                const bool deposit = i % 2 == 0;
                // Every tenth withdrawal asks for more than anyone holds.
                const long long cents = (!deposit && i % 10 == 5) ? 900000000LL : 100 + c * 7 + i;
                auto answer = RawTransfer(client, tradeId, account, deposit, cents);
                if (!answer.ok()) {
                    out.failure = answer.error();
                    return;
                }
                if (!answer.value().ok()) {
                    if (answer.value().returnCode != "E1004") out.failure = answer.value().returnCode;
                    ++out.refused;
                    continue;
                }
                out.serials.push_back(answer.value().cell(0, "SerialNo"));
                (deposit ? out.deposited : out.withdrawn) += cents;
            }
        });
    }
    for (auto& thread : threads) thread.join();

    RawMiddlewareClient check(sim.port());
    std::map<std::string, long long> netDeposit;
    std::set<std::string> acknowledged;
    int refused = 0;
    for (int c = 0; c < kClients; ++c) {
        ASSERT_EQ(outcomes[c].failure, "") << "client " << c;
        netDeposit[c < 12 ? kTrader : kSecondTrader] += outcomes[c].deposited - outcomes[c].withdrawn;
        acknowledged.insert(outcomes[c].serials.begin(), outcomes[c].serials.end());
        refused += outcomes[c].refused;
    }
    EXPECT_EQ(acknowledged.size(), static_cast<std::size_t>(kClients * kOperations - refused));
    EXPECT_EQ(refused, kClients * 5);

    long long deposits = 0, withdrawals = 0;
    auto first = Serials(check, kTrader, kIcbcAccount, &deposits, &withdrawals);
    auto second = Serials(check, kSecondTrader, kAbcAccount, &deposits, &withdrawals);
    std::set<std::string> ledger(first.begin(), first.end());
    ledger.insert(second.begin(), second.end());
    for (const auto& serial : acknowledged) EXPECT_TRUE(ledger.count(serial)) << serial;
    // Refused requests left no record: only the two seeded ones are extra.
    EXPECT_EQ(ledger.size(), acknowledged.size() + 2);

    EXPECT_EQ(RawTraderTotal(check, kTrader, {kIcbcAccount, kCcbAccount}), kTraderSeededTotal);
    // The second trader's bank does not offer the card query: its market
    // funds must show exactly the acknowledged net deposit.
    EXPECT_EQ(RawNumber(check.request({"90011", "", ""}, {{"CustTradeID", kSecondTrader}}), "MarketMoney"),
              1000000 + netDeposit[kSecondTrader]);
    EXPECT_EQ(RawNumber(check.request({"90011", "", ""}, {{"CustTradeID", kTrader}}), "MarketMoney"),
              5000000 + netDeposit[kTrader]);
}

}  // namespace
}  // namespace vantrel::test
