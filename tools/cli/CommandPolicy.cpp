#include "CommandPolicy.h"

#include <optional>
#include <string_view>

#include "CliArguments.h"
#include "protocol/FunctionCodes.h"

namespace vantrel::cli {
namespace {

// What a command asks of the bank: the offer that must be on and the code
// whose bank password it may need (none for the commission query).
struct Rule {
    bool on;
    std::string_view passwordCode;
    const char* what;
};

std::optional<Rule> RuleOf(const BankOffer& offer, const CliArguments& args) {
    const auto& name = args.command;
    if (name == "deposit") return Rule{offer.Deposit, ParamCode::Deposit, "deposits"};
    if (name == "withdraw") return Rule{offer.Withdraw, ParamCode::Withdraw, "withdrawals"};
    if (name == "supervision")
        return Rule{offer.SupervisedBalance, ParamCode::SupervisedBalance, "the supervised balance"};
    if (name == "card-balance") return Rule{offer.CardBalance, ParamCode::CardBalance, "the card balance"};
    if (name == "forex" && args.word == "buy") return Rule{offer.BuyForex, ParamCode::BuyForex, "buying forex"};
    if (name == "forex") return Rule{offer.SettleForex, ParamCode::SettleForex, "settling forex"};
    if (name == "commission") return Rule{offer.Commission, {}, "the commission query"};
    return std::nullopt;
}

}  // namespace

bool PolicyApplies(const CliArguments& args) { return RuleOf(BankOffer{}, args).has_value(); }

std::string PolicyRefusal(const BankPolicy& policy, const CliArguments& args, bool bankPasswordGiven) {
    const std::string bank = args.option("bank");
    // The window's switches: its defaults, then what the table says.
    BankOffer offer;
    policy.UpdateTransfer(offer, bank);
    policy.UpdateQueries(offer, bank);
    policy.UpdateForex(offer, bank);
    const auto rule = RuleOf(offer, args);
    if (!rule) return {};
    if (!rule->on) return "bank " + bank + " does not offer " + rule->what;
    if (!bankPasswordGiven && policy.BankPasswordRequired(rule->passwordCode, bank))
        return "bank " + bank + " asks for its bank password for " + rule->what +
               ": give --bank-password-stdin (or --bank-password)";
    return {};
}

}  // namespace vantrel::cli
