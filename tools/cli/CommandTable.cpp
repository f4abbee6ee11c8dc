#include "CommandTable.h"

namespace vantrel::cli {

const std::vector<CommandSpec>& CommandTable() {
    static const std::vector<CommandSpec> table = {
        {"login", {}, {}, {}, true, false, false, "", "log in and list the signed bank accounts"},
        {"deposit", {}, {"bank", "account", "amount", "memo"}, {"bank", "account", "amount"}, true, true, false,
         "--bank ID --account NO --amount YUAN [--bank-password PW] [--memo TEXT]",
         "move money from the bank account into the market account"},
        {"withdraw", {}, {"bank", "account", "amount", "memo"}, {"bank", "account", "amount"}, true, true, false,
         "--bank ID --account NO --amount YUAN [--bank-password PW] [--memo TEXT]",
         "move money from the market account to the bank account"},
        {"transfers", {}, {"bank", "account", "memo"}, {}, true, false, true,
         "[--bank ID --account NO] [--memo TEXT]", "list the transfer details"},
        {"supervision", {}, {"bank", "account", "date"}, {"bank", "account", "date"}, true, true, false,
         "--bank ID --account NO --date yyyymmdd [--bank-password PW]",
         "query the balance held under bank supervision"},
        {"card-balance", {}, {"bank", "account"}, {"bank", "account"}, true, true, false,
         "--bank ID --account NO [--bank-password PW]", "query the bank card balance"},
        {"market-funds", {}, {}, {}, true, false, false, "", "query the funds in the market account"},
        {"forex", {"buy", "settle"}, {"bank", "account", "amount", "memo"}, {"bank", "account", "amount"}, true,
         true, false, "buy|settle --bank ID --account NO --amount YUAN [--bank-password PW] [--memo TEXT]",
         "buy or settle foreign exchange"},
        {"forex-records", {}, {"bank", "account"}, {}, true, false, true, "[--bank ID --account NO]",
         "list the foreign exchange records"},
        {"order-id", {}, {"bank"}, {"bank"}, true, false, false, "--bank ID", "get a new order id"},
        {"sys-params", {}, {}, {}, true, false, false, "", "list the system parameters of the signed banks"},
        {"commission", {"deposit", "withdraw"}, {"bank", "amount"}, {"bank", "amount"}, true, false, false,
         "deposit|withdraw --bank ID --amount YUAN", "ask the commission of a deposit or withdrawal"},
        {"change-password", {}, {"new"}, {}, true, false, false, "--new PW | --new-password-stdin",
         "change the fund password"},
        {"probe", {}, {"prefix"}, {}, false, false, false, "[--prefix MoneyServer]",
         "probe the servers of Bank.ini and name the fastest (no login)"},
    };
    return table;
}

const CommandSpec* FindCommand(std::string_view name) {
    for (const auto& command : CommandTable())
        if (command.name == name) return &command;
    return nullptr;
}

}  // namespace vantrel::cli
