#include "CommandRequests.h"

#include <optional>
#include <string_view>
#include <utility>

#include "CliArguments.h"
#include "common/Money.h"
#include "protocol/QueryRequests.h"
#include "protocol/TBuyBalanceRate.h"
#include "protocol/TQueryIOCommValue.h"
#include "protocol/TQuerySysParam.h"
#include "protocol/TVantrel.h"

namespace vantrel::cli {
namespace {

using Maker = std::unique_ptr<TBankTransfer> (*)(Session&, LogSink*, uint8_t direction);

template <class Request>
std::unique_ptr<TBankTransfer> Plain(Session& session, LogSink* sink, uint8_t) {
    return std::make_unique<Request>(session, sink);
}

template <class Request>
std::unique_ptr<TBankTransfer> Directed(Session& session, LogSink* sink, uint8_t direction) {
    auto request = std::make_unique<Request>(session, sink);
    request->Direction = direction;
    return request;
}

struct RequestCommand {
    std::string_view name;
    Maker make;
    // The command or word that gives Direction 1 (deposit, settle).
    std::string_view directionOne = {};
    // The input that carries --amount in cents.
    std::string_view amountInput = "ChangeMoney";
};

const RequestCommand kRequestCommands[] = {
    {"deposit", Directed<TVantrel>, "deposit"},
    {"withdraw", Directed<TVantrel>},
    {"transfers", Plain<TQueryTransferMore>},
    {"supervision", Plain<TQueryBankMoney>},
    {"card-balance", Plain<TQueryCardMoeny>},
    {"market-funds", Plain<TQueryMarketMoney>},
    {"forex", Directed<TBuyBalanceRate>, "settle"},
    {"forex-records", Plain<TQueryRateMore>},
    {"order-id", Plain<TQueryOrderID>},
    {"sys-params", Plain<TQuerySysParam>},
    // The commission is asked of the amount, which travels in Memo.
    {"commission", Directed<TQueryIOCommValue>, "deposit", "Memo"},
    {"change-password", Plain<TModifyMoneyPassWord>},
};

std::optional<std::string> Given(const CliArguments& args, const std::string& option) {
    if (!args.has(option)) return std::nullopt;
    return args.option(option);
}

}  // namespace

std::unique_ptr<TBankTransfer> CommandRequest(const CliArguments& args, const Secrets& secrets, Session& session,
                                              LogSink* sink) {
    for (const auto& command : kRequestCommands) {
        if (command.name != args.command) continue;
        const bool one = !command.directionOne.empty() &&
                         (args.command == command.directionOne || args.word == command.directionOne);
        auto request = command.make(session, sink, one ? 1 : 0);
        // Every request carries the login's credentials.
        request->Settings.CustTradeID = *args.trade;
        request->Settings.CustMoneyPwd = secrets.password;
        request->BankCode = args.option("bank");
        const std::pair<std::string_view, std::optional<std::string>> values[] = {
            {"CustTradeID", *args.trade},
            {"CustMoneyPwd", secrets.password},
            {"CustBankPass", secrets.bankPassword},
            {"NCustMoneyPwd", secrets.newPassword},
            {"CustBankAcctNo", Given(args, "account")},
            {"Memo", Given(args, "memo")},
            {"QueryDate", Given(args, "date")},
            {command.amountInput, args.has("amount") ? std::optional(CentsText(args.amountCents)) : std::nullopt},
        };
        for (const auto& [name, value] : values)
            if (auto* input = request->Input(name); input && value) *input = *value;
        return request;
    }
    return nullptr;
}

}  // namespace vantrel::cli
