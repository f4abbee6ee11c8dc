#pragma once
// Integration fixture: a private application folder with a Bank.ini, a fresh
// library state and a running simulator with demo data, driven through the
// real request classes.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "EngineFixture.h"
#include "MiddlewareProcess.h"
#include "RawMiddlewareClient.h"
#include "TestFolder.h"
#include "common/TextCodec.h"
#include "common/TextUtil.h"
#include "ProcessSession.h"
#include "protocol/TBankLogin.h"
#include "protocol/TVantrel.h"

namespace vantrel::test {

// Demo data of a freshly seeded ledger (docs/middleware.md).
inline constexpr const char* kTrader = "8001234";
inline constexpr const char* kIcbcAccount = "6222020200112345678";     // bank 005, everything on
inline constexpr const char* kCcbAccount = "6217000010012345678";      // bank 007, password for withdrawals
inline constexpr const char* kForexAccount = "6222020200198765432";    // bank 999
inline constexpr const char* kSecondTrader = "8001235";
inline constexpr const char* kAbcAccount = "6228480010012345678";      // bank 003
inline constexpr long long kTraderSeededTotal = 5000000 + 20000000 + 8000000;  // market + 005 + 007

class SimulatorFixture : public ::testing::Test {
protected:
    // Bank.ini read time-out in milliseconds and simulator arguments.
    void startAll(int readTimeOut, std::vector<std::string> args) {
        EndProcessSession();
        folder = std::make_unique<TestFolder>();
        appPath = std::make_unique<ScopedAppPath>(*folder);
        // The standard texts, without its return-code entries (the
        // simulator's descriptions are the ones under test) and with the
        // read time-out of the test.
        std::string ini = ReplaceAll(kStandardBankIni, "E1002=资金密码错误\n", "");
        ini = ReplaceAll(ini, "ReadTimeOut=3000", "ReadTimeOut=" + std::to_string(readTimeOut));
        ini = ReplaceAll(ini, "1=ChangeMoney\n", "1=ChangeMoney\n3=MarketMoney\n");
        writeIni(ini);
        StartLibrary();
        sim = std::make_unique<MiddlewareProcess>(std::move(args));
    }
    void TearDown() override {
        EndProcessSession();
        sim.reset();
        appPath.reset();
        folder.reset();
    }
    void writeIni(const std::string& utf8) {
        auto gbk = Utf8ToGbk(utf8);
        ASSERT_TRUE(gbk.ok());
        folder->write("Bank.ini", gbk.value());
    }
    void setConnectStyle(bool keep) {
        auto text = GbkToUtf8(folder->read("Bank.ini")).value();
        writeIni(ReplaceAll(text, "[system]\n", std::string("[system]\nConnectStyle=") + (keep ? "1" : "0") + "\n"));
    }
    // Logs in with the real login request; returns its outcome.
    bool login(TBankLogin& request, const std::string& tradeId = kTrader, const std::string& password = "123456") {
        request.Settings.Host = "127.0.0.1";
        request.Settings.Port = sim->port();
        request.Settings.CustTradeID = tradeId;
        request.Settings.CustMoneyPwd = password;
        request.OwnerWindow = &sink;
        return request.Execute();
    }
    void loginOk(const std::string& tradeId = kTrader) {
        TBankLogin request(Process());
        ASSERT_TRUE(login(request, tradeId)) << request.LastMessage;
    }

    // A transfer of `cents` with the fund password 123456.
    bool transfer(TVantrel& request, const std::string& account, uint8_t direction, const std::string& cents,
                  const std::string& bankPass = "", const std::string& tradeId = kTrader) {
        request.CustBankAcctNo = account;
        request.CustTradeID = tradeId;
        request.CustMoneyPwd = "123456";
        request.CustBankPass = bankPass;
        request.ChangeMoney = cents;
        request.Direction = direction;
        return request.Execute();
    }

    std::unique_ptr<TestFolder> folder;
    std::unique_ptr<ScopedAppPath> appPath;
    std::unique_ptr<MiddlewareProcess> sim;
    RecordingSink sink;
};

// Runs `request`, which the simulator must refuse with `code`.
inline void ExpectRefused(TBankTransfer& request, const char* code) {
    EXPECT_FALSE(request.Execute()) << code;
    EXPECT_EQ(request.LastReturnCode, code);
}

// Raw-protocol helpers shared by the durability tests.
inline Result<RawAnswer> RawTransfer(RawMiddlewareClient& client, const std::string& tradeId,
                                     const std::string& account, bool deposit, long long cents) {
    return client.request({deposit ? "90004" : "90005", "", ""},
                          {{"CustBankAcctNo", account}, {"CustTradeID", tradeId}, {"CustBankPass", ""},
                           {"CustMoneyPwd", "123456"}, {"BusinType", "0"}, {"MoneySty", "0"},
                           {"MoneyType", "0"}, {"ChangeMoney", std::to_string(cents)}, {"Memo", ""},
                           {"TradeDate", "20240301"}, {"TradeTime", "120000"}});
}

inline long long RawNumber(const Result<RawAnswer>& answer, const std::string& column) {
    if (!answer.ok() || !answer.value().ok() || answer.value().rows.empty()) return -1;
    return std::stoll(answer.value().cell(0, column));
}

// Market funds plus the card balances of the 005 and 007 accounts.
inline long long RawTraderTotal(RawMiddlewareClient& client, const std::string& tradeId,
                                const std::vector<std::string>& accounts) {
    long long total = RawNumber(client.request({"90011", "", ""}, {{"CustTradeID", tradeId}, {"CustMoneyPwd", "123456"}}),
                                "MarketMoney");
    for (const auto& account : accounts)
        total += RawNumber(client.request({"90006", "", ""}, {{"CustBankAcctNo", account}, {"CustTradeID", tradeId}}),
                           "BankBalance");
    return total;
}

}  // namespace vantrel::test
