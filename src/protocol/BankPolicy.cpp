#include "protocol/BankPolicy.h"

#include "common/MemoryTable.h"
#include "common/TextUtil.h"
#include "protocol/FunctionCodes.h"

namespace vantrel {

OnlyDirection DirectionsOf(bool first, bool second) {
    if (first && second) return OnlyDirection::Both;
    if (first) return OnlyDirection::First;
    if (second) return OnlyDirection::Second;
    return OnlyDirection::Neither;
}

BankPolicy::BankPolicy(const MemoryTable& params) {
    hasRows_ = params.recordCount() > 0;
    const int orderColumn = params.fieldIndex("OrderCode");
    const int paramColumn = params.fieldIndex("Param");
    const int valueColumn = params.fieldIndex("ProRet");
    if (orderColumn < 0 || paramColumn < 0 || valueColumn < 0) return;
    for (int row = 0; row < params.recordCount(); ++row)
        rows_.push_back({Trim(params.text(row, orderColumn)), Trim(params.text(row, paramColumn)),
                         Trim(params.text(row, valueColumn))});
}

std::string BankPolicy::FindParam(std::string_view param, std::string_view bankId) const {
    const auto bank = TrimView(bankId);
    const auto wanted = TrimView(param);
    for (const auto& row : rows_)
        if (row.orderCode == bank && EqualsNoCase(row.param, wanted)) return row.value;
    return {};
}

std::string BankPolicy::LastParam(std::string_view param, std::string_view bankId) const {
    const auto bank = TrimView(bankId);
    const auto wanted = TrimView(param);
    for (auto row = rows_.rbegin(); row != rows_.rend(); ++row)
        if (row->orderCode == bank && EqualsNoCase(row->param, wanted)) return row->value;
    return "1";
}

bool BankPolicy::SwitchOn(std::string_view param, std::string_view bankId, bool fallback) const {
    if (!hasRows_) return fallback;
    return LastParam(param, bankId) == "0";
}

bool BankPolicy::BankPasswordRequired(std::string_view code, std::string_view bankId) const {
    if (code.empty()) return false;
    return FindParam(ParamCode::BankPassword, bankId).find(code) != std::string::npos;
}

void BankPolicy::Update(bool& value, std::string_view param, std::string_view bankId) const {
    value = SwitchOn(param, bankId, value);
}

void BankPolicy::UpdateTransfer(BankOffer& offer, std::string_view bankId) const {
    Update(offer.Deposit, ParamCode::Deposit, bankId);
    Update(offer.Withdraw, ParamCode::Withdraw, bankId);
    Update(offer.Commission, ParamCode::Commission, bankId);
}

void BankPolicy::UpdateQueries(BankOffer& offer, std::string_view bankId) const {
    Update(offer.SupervisedBalance, ParamCode::SupervisedBalance, bankId);
    Update(offer.CardBalance, ParamCode::CardBalance, bankId);
    Update(offer.MarketFunds, ParamCode::MarketFunds, bankId);
}

void BankPolicy::UpdateForex(BankOffer& offer, std::string_view bankId) const {
    Update(offer.BuyForex, ParamCode::BuyForex, bankId);
    Update(offer.SettleForex, ParamCode::SettleForex, bankId);
}

bool BankPolicy::TransferNeedsBankPassword(bool deposit, std::string_view bankId) const {
    return BankPasswordRequired(deposit ? ParamCode::Deposit : ParamCode::Withdraw, bankId);
}

bool BankPolicy::ForexNeedsBankPassword(bool buy, std::string_view bankId) const {
    return BankPasswordRequired(buy ? ParamCode::BuyForex : ParamCode::SettleForex, bankId);
}

}  // namespace vantrel
