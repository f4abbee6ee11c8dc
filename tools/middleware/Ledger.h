#pragma once
// The simulator's bank and market: a SQLite ledger of customers, signed
// accounts, balances, transfer and exchange records, per-bank system
// parameters and order ids, and the business rules of every function code.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "MiddlewareWire.h"
#include "SqliteDb.h"

namespace vantrel::middleware {

class Ledger {
public:
    // Opens (creating when needed) the ledger in WAL mode with synchronous
    // FULL. A new file, or `reset`, gets the demo data.
    Ledger(const std::string& path, bool reset);

    // Answers one request. Money moves inside one IMMEDIATE transaction that
    // is committed before this returns, so the caller may send the answer.
    Answer Handle(const WireRequest& request);

    // Sum of all market balances and of the bank balances of the accounts
    // that are not foreign-exchange ("999") accounts, in cents.
    std::int64_t MoneyTotal();

private:
    struct Customer {
        std::string password;
        std::int64_t market = 0;
        std::int64_t frozen = 0;
    };
    struct Account {
        std::string bankId, bankName, acctNo, bankPassword;
        std::int64_t balance = 0;
    };

    // What every money move checks first, in this order: the fields, the
    // customer and fund password, the account, the operation's switch, the
    // amount, the bank password.
    struct MoneyMove {
        Customer customer;
        Account account;
        std::int64_t amount = 0;
    };
    MoneyMove RequireMoneyMove(const WireRequest& request, std::string_view code);
    // What an account query checks first: the customer (and the fund
    // password when it is sent), the account, the operation's switch and the
    // bank password.
    struct AccountQuery {
        Customer customer;
        Account account;
    };
    AccountQuery RequireAccountQuery(const WireRequest& request, std::string_view code);

    void CreateSchema();
    void DropAll();
    void Seed();
    void SeedParam(const char* bank, std::string_view param, std::string_view value, const char* name);

    // The answer of one function code (and sub-code).
    using Handler = Answer(const WireRequest& request);
    Handler Login, TransferDetails, ChangePassword, Supervision, CardBalance, OrderId, SystemParameters, Commission,
        ExchangeRecords, MarketFunds;
    Answer Transfer(const WireRequest& request, bool deposit);
    Answer Exchange(const WireRequest& request, bool buy);

    // Each refuses by throwing a Refusal carrying the failure code.
    Customer RequireCustomer(const WireRequest& request);
    // `required`: an empty password is wrong too (money moves, password
    // change); otherwise the password is checked only when it is sent.
    void CheckFundPassword(const WireRequest& request, const Customer& customer, bool required);
    Account RequireAccount(const WireRequest& request);
    // The bank of a request without an account: the header's bank code, or
    // the customer's first bank that is not "999".
    std::string RequestBank(const WireRequest& request);
    void RequireSwitchOn(const std::string& bankId, std::string_view code);
    void CheckBankPassword(const WireRequest& request, const Account& account, std::string_view code);
    std::string Param(const std::string& bankId, std::string_view code);
    // Adds `toAccount` cents to the signed account's bank balance and
    // `toMarket` to the customer's market balance (either may be negative).
    void MoveBalances(const std::string& tradeId, const std::string& acctNo, std::int64_t toAccount,
                      std::int64_t toMarket);
    std::int64_t MarketBalance(const std::string& tradeId);

    SqliteDb db_;
};

// Failure codes and their descriptions.
std::string FailureText(const std::string& code);

// A positive whole number of cents ("1", "10000"); none for "0", "-5",
// "1.5", "abc", blanks or more than 15 digits.
std::optional<std::int64_t> ParseCents(const std::string& text);

}  // namespace vantrel::middleware
