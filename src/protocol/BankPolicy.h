#pragma once
// What the system parameter table allows a bank: which operations are on,
// and which of them need the bank password. Built once from the table's
// answer; the main window and the command-line client read it the same way.
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class MemoryTable;

// The operations on for one bank. Without a parameter table every switch
// keeps these defaults: withdrawals on, everything else off.
struct BankOffer {
    bool Deposit = false;
    bool Withdraw = true;
    bool Commission = false;
    bool SupervisedBalance = false;
    bool CardBalance = false;
    bool MarketFunds = false;
    bool BuyForex = false;
    bool SettleForex = false;
};

// A pair of directions (deposit/withdraw, buy/settle): the customer chooses
// only when both are on; otherwise the one that is on is fixed.
enum class OnlyDirection { Both, First, Second, Neither };
OnlyDirection DirectionsOf(bool first, bool second);

class BankPolicy {
public:
    // No table: every switch at its default, no bank password asked.
    BankPolicy() = default;
    // The rows of a parameter table (OrderCode, Param, ProRet); a table
    // without one of those columns matches nothing.
    explicit BankPolicy(const MemoryTable& params);

    // ProRet of the first row for `param` at `bankId`; empty when none.
    std::string FindParam(std::string_view param, std::string_view bankId) const;
    // ProRet of the last such row; "1" when none.
    std::string LastParam(std::string_view param, std::string_view bankId) const;
    // Whether the switch `param` is on at `bankId`: the last row says "0".
    // `fallback` when the table has no rows at all.
    bool SwitchOn(std::string_view param, std::string_view bankId, bool fallback) const;
    // Whether the PASSWORD list of `bankId` names `code`; never for an empty
    // code. The list is matched as text, so "5000" is in "50005".
    bool BankPasswordRequired(std::string_view code, std::string_view bankId) const;

    // Sets `value` from the switch `param` at `bankId`; without a table it
    // keeps its value.
    void Update(bool& value, std::string_view param, std::string_view bankId) const;
    // The switches of the transfer page (deposit, withdraw, commission), of
    // the balance queries (supervised, card, market funds) and of exchange.
    void UpdateTransfer(BankOffer& offer, std::string_view bankId) const;
    void UpdateQueries(BankOffer& offer, std::string_view bankId) const;
    void UpdateForex(BankOffer& offer, std::string_view bankId) const;
    // The code whose bank password a money move needs: deposit or withdraw,
    // buy or settle.
    bool TransferNeedsBankPassword(bool deposit, std::string_view bankId) const;
    bool ForexNeedsBankPassword(bool buy, std::string_view bankId) const;

    bool empty() const { return !hasRows_; }

private:
    struct Row {
        std::string orderCode, param, value;
    };
    std::vector<Row> rows_;
    bool hasRows_ = false;
};

}  // namespace vantrel
