#pragma once
// What a page of the main window hands over once its checks passed: the
// fields as the requests take them (trimmed, passwords unmasked, memos on
// one line, amounts in whole cents).
#include <QString>
#include <QStringList>

#include <cstdint>
#include <string>

namespace vantrel {

struct AccountInput {
    std::string bankId, bankAcctNo, tradeId;
};

// The bank password panel shows in `bankPasswordMode`: the login's fund
// password is sent, not the page's field.
struct Passwords {
    std::string fund, bank;
    bool bankPasswordMode = false;
};

struct TransferOrder {
    AccountInput account;
    Passwords passwords;
    QString cents;
    std::string memo;
    uint8_t direction = 0;  // 0 withdraws, 1 deposits
    // "label : text" of account, bank, trade number and amount.
    QStringList summary;
};

struct AccountQuery {
    AccountInput account;
    std::string memo;
};

struct BalanceQuery {
    AccountInput account;
    Passwords passwords;
    std::string memo;
    std::string date;  // yyyyMMdd; supervised balance only
};

struct PasswordChange {
    std::string tradeId, oldPassword, newPassword;
};

struct ExchangeOrder {
    AccountInput account;
    Passwords passwords;
    QString cents;
    std::string memo;
    uint8_t direction = 0;  // 0 buys, 1 settles
};

struct MarketQuery {
    std::string tradeId, fundPassword, memo;
};

}  // namespace vantrel
