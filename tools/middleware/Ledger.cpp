#include "Ledger.h"

#include <chrono>
#include <cstdio>
#include <ctime>
#include <iterator>
#include <iostream>
#include <map>
#include <utility>

#include "common/TextUtil.h"
#include "protocol/FunctionCodes.h"

namespace vantrel::middleware {
namespace {

// A refused request: the failure code travels up to Handle, and the open
// transaction rolls back on the way.
struct Refusal {
    std::string code;
};

const std::map<std::string, std::string>& Failures() {
    static const std::map<std::string, std::string> texts = {
        {"E1001", "交易商号不存在"},   {"E1002", "资金密码错误"},
        {"E1003", "银行密码错误"},     {"E1004", "资金余额不足"},
        {"E1005", "银行账户余额不足"}, {"E1006", "该业务未开通"},
        {"E1007", "金额必须是大于零的整数分"},
        {"E1008", "签约账户不存在"},   {"E1009", "请求格式错误"},
        {"E1010", "新资金密码不符合要求"}, {"E1099", "系统繁忙，请稍后再试"},
    };
    return texts;
}

struct Stamp {
    std::string date, time;
};

Stamp NowStamp() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char date[16], time[16];
    std::strftime(date, sizeof date, "%Y%m%d", &local);
    std::strftime(time, sizeof time, "%H%M%S", &local);
    return {date, time};
}

void RequireFields(const WireRequest& request, std::initializer_list<const char*> names) {
    for (const char* name : names)
        if (!request.has(name)) throw Refusal{"E1009"};
}

// Rates are kept in units of 1/10000.
std::string RateText(std::int64_t rate) {
    char text[32];
    std::snprintf(text, sizeof text, "%lld.%04lld", static_cast<long long>(rate / 10000),
                  static_cast<long long>(rate % 10000));
    return text;
}

bool ValidNewPassword(const std::string& password) {
    if (password.size() < 6 || password.size() > 8) return false;
    for (char c : password)
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'))) return false;
    return true;
}

constexpr std::size_t kMaxMemoBytes = 100;

const char* const kSchema = R"sql(
CREATE TABLE IF NOT EXISTS meta(key TEXT PRIMARY KEY, value TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS customer(
  trade_id TEXT PRIMARY KEY, fund_password TEXT NOT NULL,
  market_balance INTEGER NOT NULL CHECK(market_balance >= 0),
  frozen INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS bank(
  bank_id TEXT PRIMARY KEY, bank_name TEXT NOT NULL,
  comm_rate INTEGER NOT NULL, comm_min INTEGER NOT NULL, comm_text TEXT NOT NULL,
  buy_rate INTEGER NOT NULL DEFAULT 0, settle_rate INTEGER NOT NULL DEFAULT 0);
CREATE TABLE IF NOT EXISTS account(
  trade_id TEXT NOT NULL REFERENCES customer(trade_id), position INTEGER NOT NULL,
  bank_id TEXT NOT NULL REFERENCES bank(bank_id), acct_no TEXT NOT NULL,
  money_type TEXT NOT NULL, comp_id TEXT NOT NULL, bank_type TEXT NOT NULL, url TEXT NOT NULL,
  bank_password TEXT NOT NULL, bank_balance INTEGER NOT NULL CHECK(bank_balance >= 0),
  PRIMARY KEY(trade_id, acct_no));
CREATE TABLE IF NOT EXISTS sys_param(
  bank_id TEXT NOT NULL REFERENCES bank(bank_id), param TEXT NOT NULL, value TEXT NOT NULL,
  name TEXT NOT NULL, PRIMARY KEY(bank_id, param));
CREATE TABLE IF NOT EXISTS transfer(
  serial INTEGER PRIMARY KEY AUTOINCREMENT, trade_id TEXT NOT NULL, bank_id TEXT NOT NULL,
  acct_no TEXT NOT NULL, trade_date TEXT NOT NULL, trade_time TEXT NOT NULL,
  amount INTEGER NOT NULL, trade_type TEXT NOT NULL, state TEXT NOT NULL, memo TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS exchange(
  serial INTEGER PRIMARY KEY AUTOINCREMENT, trade_id TEXT NOT NULL, bank_id TEXT NOT NULL,
  acct_no TEXT NOT NULL, trade_date TEXT NOT NULL, trade_time TEXT NOT NULL,
  exchange_type TEXT NOT NULL, amount INTEGER NOT NULL, rate INTEGER NOT NULL,
  exchange_amount INTEGER NOT NULL, state TEXT NOT NULL);
CREATE TABLE IF NOT EXISTS order_id(
  seq INTEGER PRIMARY KEY AUTOINCREMENT, trade_id TEXT NOT NULL, order_id TEXT NOT NULL UNIQUE,
  created TEXT NOT NULL);
)sql";

// Demo data; the totals are documented in docs/middleware.md.
const char* const kSeed = R"sql(
INSERT INTO bank VALUES
  ('005', '中国工商银行', 10, 100, '0.1%, min 1.00', 0, 0),
  ('007', '中国建设银行', 20, 200, '0.2%, min 2.00', 0, 0),
  ('003', '中国农业银行', 15, 100, '0.15%, min 1.00', 0, 0),
  ('999', '外汇账户', 0, 0, '0', 72000, 71000);
INSERT INTO customer VALUES
  ('8001234', '123456', 5000000, 0),
  ('8001235', '123456', 1000000, 0),
  ('8001236', '123456', 200000, 0);
INSERT INTO account VALUES
  ('8001234', 1, '005', '6222020200112345678', '0', '8001', '1', 'https://bank.example.com/netpay?order=%s', '888888', 20000000),
  ('8001234', 2, '007', '6217000010012345678', '0', '8001', '0', '', '888888', 8000000),
  ('8001234', 3, '999', '6222020200198765432', '1', '8001', '0', '', '888888', 500000),
  ('8001235', 1, '003', '6228480010012345678', '0', '8001', '0', '', '888888', 3000000),
  ('8001236', 1, '999', '6222020200187654321', '1', '8001', '0', '', '888888', 100000);
INSERT INTO meta VALUES ('seeded', 'demo');
)sql";

// The demo banks' system parameters: one character a switch, in the order of
// kSwitches ("0" on, "1" off), and the codes that want the bank password.
struct BankParams {
    const char* bank;
    std::string_view switches;
    const char* bankPasswordCodes;
};

const std::pair<std::string_view, const char*> kSwitches[] = {
    {ParamCode::Deposit, "入金"},         {ParamCode::Withdraw, "出金"},
    {ParamCode::SupervisedBalance, "监管余额查询"}, {ParamCode::CardBalance, "银行余额查询"},
    {ParamCode::BuyForex, "购汇"},        {ParamCode::SettleForex, "结汇"},
    {ParamCode::MarketFunds, "市场资金查询"}, {ParamCode::Commission, "手续费查询"},
};

const BankParams kBankParams[] = {
    {"005", "00001100", ""},
    {"007", "00001111", "50006"},
    {"003", "00111101", ""},
    {"999", "11100011", ""},
};

}  // namespace

std::string FailureText(const std::string& code) {
    const auto found = Failures().find(code);
    return found == Failures().end() ? std::string() : found->second;
}

std::optional<std::int64_t> ParseCents(const std::string& text) {
    if (text.empty() || text.size() > 15) return std::nullopt;
    std::int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value <= 0) return std::nullopt;
    return value;
}

Ledger::Ledger(const std::string& path, bool reset) : db_(path) {
    db_.exec("PRAGMA journal_mode=WAL");
    db_.exec("PRAGMA synchronous=FULL");
    db_.exec("PRAGMA foreign_keys=ON");
    Transaction tx(db_);
    if (reset) DropAll();
    CreateSchema();
    Statement seeded(db_, "SELECT value FROM meta WHERE key = 'seeded'");
    if (!seeded.step()) Seed();
    tx.commit();
}

void Ledger::DropAll() {
    db_.exec("DROP TABLE IF EXISTS transfer; DROP TABLE IF EXISTS exchange; DROP TABLE IF EXISTS order_id;"
             "DROP TABLE IF EXISTS account; DROP TABLE IF EXISTS sys_param; DROP TABLE IF EXISTS customer;"
             "DROP TABLE IF EXISTS bank; DROP TABLE IF EXISTS meta;");
}

void Ledger::CreateSchema() { db_.exec(kSchema); }

void Ledger::SeedParam(const char* bank, std::string_view param, std::string_view value, const char* name) {
    Statement insert(db_, "INSERT INTO sys_param VALUES (?, ?, ?, ?)");
    insert.bind(1, bank).bind(2, param).bind(3, value).bind(4, name);
    insert.step();
}

void Ledger::Seed() {
    db_.exec(kSeed);
    for (const auto& bank : kBankParams) {
        for (std::size_t i = 0; i < std::size(kSwitches); ++i)
            SeedParam(bank.bank, kSwitches[i].first, bank.switches.substr(i, 1), kSwitches[i].second);
        SeedParam(bank.bank, ParamCode::BankPassword, bank.bankPasswordCodes, "需要银行密码的业务");
    }
    // A little history, so the detail queries show something at once.
    const char* history = R"sql(
INSERT INTO transfer(trade_id, bank_id, acct_no, trade_date, trade_time, amount, trade_type, state, memo) VALUES
  ('8001234', '005', '6222020200112345678', '20240102', '093000', 1000000, '1', '0', '开户入金'),
  ('8001234', '005', '6222020200112345678', '20240105', '143015', 200000, '0', '0', '');
INSERT INTO exchange(trade_id, bank_id, acct_no, trade_date, trade_time, exchange_type, amount, rate, exchange_amount, state) VALUES
  ('8001234', '999', '6222020200198765432', '20240110', '101500', '0', 720000, 72000, 100000, '0');
)sql";
    db_.exec(history);
}

std::int64_t Ledger::MoneyTotal() {
    Statement total(db_, "SELECT (SELECT COALESCE(SUM(market_balance), 0) FROM customer) + "
                         "(SELECT COALESCE(SUM(bank_balance), 0) FROM account WHERE bank_id <> '999')");
    total.step();
    return total.integer(0);
}

Answer Ledger::Handle(const WireRequest& request) {
    try {
        const auto& code = request.functionCode;
        if (!request.has("CustTradeID")) throw Refusal{"E1009"};
        if (code == FunctionCode::Login) return Login(request);
        if (code == FunctionCode::TransferDetails) return TransferDetails(request);
        if (code == FunctionCode::ChangePassword) return ChangePassword(request);
        if (code == FunctionCode::Deposit) return Transfer(request, true);
        if (code == FunctionCode::Withdraw) return Transfer(request, false);
        if (code == FunctionCode::SupervisedBalance) return Supervision(request);
        if (code == FunctionCode::CardBalance) return CardBalance(request);
        if (code == FunctionCode::OrderId) return OrderId(request);
        if (code == FunctionCode::SystemParams) {
            if (request.subCode.empty() || request.subCode == "0") return SystemParameters(request);
            if (request.subCode == "10" || request.subCode == "11") return Commission(request);
            throw Refusal{"E1009"};
        }
        if (code == FunctionCode::BuyForex) return Exchange(request, true);
        if (code == FunctionCode::SettleForex) return Exchange(request, false);
        if (code == FunctionCode::ExchangeRecords) return ExchangeRecords(request);
        if (code == FunctionCode::MarketFunds) return MarketFunds(request);
        throw Refusal{"E1009"};
    } catch (const Refusal& refusal) {
        return Answer::Failure(refusal.code, FailureText(refusal.code));
    } catch (const SqliteError& error) {
        std::cerr << "ledger error: " << error.what() << std::endl;
        return Answer::Failure("E1099", FailureText("E1099"));
    }
}

// ---- checks -----------------------------------------------------------------

Ledger::Customer Ledger::RequireCustomer(const WireRequest& request) {
    Statement query(db_, "SELECT fund_password, market_balance, frozen FROM customer WHERE trade_id = ?");
    query.bind(1, Trim(request.get("CustTradeID")));
    if (!query.step()) throw Refusal{"E1001"};
    return {query.text(0), query.integer(1), query.integer(2)};
}

void Ledger::CheckFundPassword(const WireRequest& request, const Customer& customer, bool required) {
    if (required) RequireFields(request, {"CustMoneyPwd"});
    const auto password = request.get("CustMoneyPwd");
    if (password.empty() && !required) return;
    if (password != customer.password) throw Refusal{"E1002"};
}

Ledger::Account Ledger::RequireAccount(const WireRequest& request) {
    RequireFields(request, {"CustBankAcctNo"});
    Statement query(db_, "SELECT a.bank_id, b.bank_name, a.acct_no, a.bank_password, a.bank_balance "
                         "FROM account a JOIN bank b ON b.bank_id = a.bank_id "
                         "WHERE a.trade_id = ? AND a.acct_no = ?");
    query.bind(1, Trim(request.get("CustTradeID"))).bind(2, Trim(request.get("CustBankAcctNo")));
    if (!query.step()) throw Refusal{"E1008"};
    Account account{query.text(0), query.text(1), query.text(2), query.text(3), query.integer(4)};
    if (!request.bankCode.empty() && request.bankCode != account.bankId) throw Refusal{"E1008"};
    return account;
}

std::string Ledger::RequestBank(const WireRequest& request) {
    const auto tradeId = Trim(request.get("CustTradeID"));
    if (!request.bankCode.empty()) {
        Statement query(db_, "SELECT 1 FROM account WHERE trade_id = ? AND bank_id = ?");
        query.bind(1, tradeId).bind(2, request.bankCode);
        if (!query.step()) throw Refusal{"E1008"};
        return request.bankCode;
    }
    Statement query(db_, "SELECT bank_id FROM account WHERE trade_id = ? "
                         "ORDER BY bank_id = '999', position LIMIT 1");
    query.bind(1, tradeId);
    if (!query.step()) throw Refusal{"E1008"};
    return query.text(0);
}

std::string Ledger::Param(const std::string& bankId, std::string_view code) {
    Statement query(db_, "SELECT value FROM sys_param WHERE bank_id = ? AND param = ?");
    query.bind(1, bankId).bind(2, code);
    return query.step() ? query.text(0) : std::string("1");
}

void Ledger::RequireSwitchOn(const std::string& bankId, std::string_view code) {
    if (Trim(Param(bankId, code)) != "0") throw Refusal{"E1006"};
}

void Ledger::CheckBankPassword(const WireRequest& request, const Account& account, std::string_view code) {
    std::string list = Param(account.bankId, ParamCode::BankPassword);
    if (list == "1") list.clear();  // no PASSWORD row at all
    bool listed = false;
    std::size_t start = 0;
    while (start <= list.size()) {
        auto end = list.find(',', start);
        if (end == std::string::npos) end = list.size();
        if (Trim(std::string_view(list).substr(start, end - start)) == code) listed = true;
        start = end + 1;
    }
    if (listed && request.get("CustBankPass") != account.bankPassword) throw Refusal{"E1003"};
}

void Ledger::MoveBalances(const std::string& tradeId, const std::string& acctNo, std::int64_t toAccount,
                          std::int64_t toMarket) {
    Statement bank(db_, "UPDATE account SET bank_balance = bank_balance + ? WHERE trade_id = ? AND acct_no = ?");
    bank.bind(1, toAccount).bind(2, tradeId).bind(3, acctNo).run();
    Statement market(db_, "UPDATE customer SET market_balance = market_balance + ? WHERE trade_id = ?");
    market.bind(1, toMarket).bind(2, tradeId).run();
}

std::int64_t Ledger::MarketBalance(const std::string& tradeId) {
    Statement query(db_, "SELECT market_balance FROM customer WHERE trade_id = ?");
    query.bind(1, tradeId);
    query.step();
    return query.integer(0);
}

// ---- operations -------------------------------------------------------------

Answer Ledger::Login(const WireRequest& request) {
    const auto customer = RequireCustomer(request);
    CheckFundPassword(request, customer, true);
    Answer answer;
    answer.columns = {"BankID", "BankName", "CustBankAcctNo", "MoneyType", "CompId", "BankType", "Url"};
    Statement query(db_, "SELECT a.bank_id, b.bank_name, a.acct_no, a.money_type, a.comp_id, a.bank_type, a.url "
                         "FROM account a JOIN bank b ON b.bank_id = a.bank_id WHERE a.trade_id = ? "
                         "ORDER BY a.position");
    query.bind(1, Trim(request.get("CustTradeID")));
    while (query.step())
        answer.rows.push_back({query.text(0), query.text(1), query.text(2), query.text(3), query.text(4),
                               query.text(5), query.text(6)});
    return answer;
}

Answer Ledger::TransferDetails(const WireRequest& request) {
    const auto customer = RequireCustomer(request);
    CheckFundPassword(request, customer, false);
    const auto tradeId = Trim(request.get("CustTradeID"));
    const auto acctNo = Trim(request.get("CustBankAcctNo"));
    if (!acctNo.empty()) (void)RequireAccount(request);
    Answer answer;
    answer.columns = {"SerialNo", "BankID", "BankName", "CustBankAcctNo", "TradeDate",
                      "TradeTime", "ChangeMoney", "TradeType", "State", "Memo"};
    Statement query(db_, "SELECT t.serial, t.bank_id, b.bank_name, t.acct_no, t.trade_date, t.trade_time, "
                         "t.amount, t.trade_type, t.state, t.memo FROM transfer t "
                         "JOIN bank b ON b.bank_id = t.bank_id "
                         "WHERE t.trade_id = ?1 AND (?2 = '' OR t.acct_no = ?2) ORDER BY t.serial");
    query.bind(1, tradeId).bind(2, acctNo);
    while (query.step()) {
        std::vector<std::string> row;
        for (int i = 0; i < 10; ++i) row.push_back(query.text(i));
        answer.rows.push_back(std::move(row));
    }
    return answer;
}

Answer Ledger::ChangePassword(const WireRequest& request) {
    RequireFields(request, {"NCustMoneyPwd"});
    Transaction tx(db_);
    const auto customer = RequireCustomer(request);
    CheckFundPassword(request, customer, true);
    const auto fresh = request.get("NCustMoneyPwd");
    if (!ValidNewPassword(fresh)) throw Refusal{"E1010"};
    Statement update(db_, "UPDATE customer SET fund_password = ? WHERE trade_id = ?");
    update.bind(1, fresh).bind(2, Trim(request.get("CustTradeID"))).run();
    tx.commit();
    Answer answer;
    answer.columns = {"Code", "Message"};
    answer.rows = {{"00000", "资金密码修改成功"}};
    return answer;
}

Ledger::MoneyMove Ledger::RequireMoneyMove(const WireRequest& request, std::string_view code) {
    RequireFields(request, {"ChangeMoney"});
    auto customer = RequireCustomer(request);
    CheckFundPassword(request, customer, true);
    auto account = RequireAccount(request);
    RequireSwitchOn(account.bankId, code);
    const auto amount = ParseCents(Trim(request.get("ChangeMoney")));
    if (!amount) throw Refusal{"E1007"};
    CheckBankPassword(request, account, code);
    return {std::move(customer), std::move(account), *amount};
}

Answer Ledger::Transfer(const WireRequest& request, bool deposit) {
    Transaction tx(db_);
    const auto [customer, account, amount] = RequireMoneyMove(request, deposit ? ParamCode::Deposit : ParamCode::Withdraw);
    const auto memo = Trim(request.get("Memo"));
    if (memo.size() > kMaxMemoBytes) throw Refusal{"E1009"};
    if (deposit && account.balance < amount) throw Refusal{"E1005"};
    if (!deposit && customer.market - customer.frozen < amount) throw Refusal{"E1004"};

    const auto tradeId = Trim(request.get("CustTradeID"));
    const std::int64_t toMarket = deposit ? amount : -amount;
    MoveBalances(tradeId, account.acctNo, -toMarket, toMarket);
    const auto stamp = NowStamp();
    Statement record(db_, "INSERT INTO transfer(trade_id, bank_id, acct_no, trade_date, trade_time, amount, "
                          "trade_type, state, memo) VALUES (?, ?, ?, ?, ?, ?, ?, '0', ?)");
    record.bind(1, tradeId).bind(2, account.bankId).bind(3, account.acctNo).bind(4, stamp.date)
        .bind(5, stamp.time).bind(6, amount).bind(7, deposit ? "1" : "0").bind(8, memo).run();
    const auto serial = db_.lastInsertId();
    const auto marketBalance = MarketBalance(tradeId);
    tx.commit();

    Answer answer;
    answer.columns = {"SerialNo", "TradeType", "ChangeMoney", "MarketBalance", "BankBalance", "TradeDate", "TradeTime"};
    answer.rows = {{std::to_string(serial), deposit ? "1" : "0", std::to_string(amount),
                    std::to_string(marketBalance), std::to_string(account.balance - toMarket), stamp.date,
                    stamp.time}};
    return answer;
}

Ledger::AccountQuery Ledger::RequireAccountQuery(const WireRequest& request, std::string_view code) {
    auto customer = RequireCustomer(request);
    CheckFundPassword(request, customer, false);
    auto account = RequireAccount(request);
    RequireSwitchOn(account.bankId, code);
    CheckBankPassword(request, account, code);
    return {std::move(customer), std::move(account)};
}

Answer Ledger::Supervision(const WireRequest& request) {
    const auto [customer, account] = RequireAccountQuery(request, ParamCode::SupervisedBalance);
    auto date = Trim(request.get("QueryDate"));
    if (date.empty()) date = NowStamp().date;
    Answer answer;
    answer.columns = {"BankID", "CustBankAcctNo", "QueryDate", "SuperviseMoney", "AvailableMoney"};
    answer.rows = {{account.bankId, account.acctNo, date, std::to_string(customer.market),
                    std::to_string(customer.market - customer.frozen)}};
    return answer;
}

Answer Ledger::CardBalance(const WireRequest& request) {
    const auto account = RequireAccountQuery(request, ParamCode::CardBalance).account;
    Answer answer;
    answer.columns = {"BankID", "CustBankAcctNo", "BankBalance", "AvailableBalance"};
    answer.rows = {{account.bankId, account.acctNo, std::to_string(account.balance), std::to_string(account.balance)}};
    return answer;
}

Answer Ledger::OrderId(const WireRequest& request) {
    Transaction tx(db_);
    (void)RequireCustomer(request);
    const auto stamp = NowStamp();
    Statement insert(db_, "INSERT INTO order_id(trade_id, order_id, created) VALUES (?, ?, ?)");
    // The id is known only after the row exists; a placeholder keeps the
    // column unique until it is replaced.
    insert.bind(1, Trim(request.get("CustTradeID"))).bind(2, "pending").bind(3, stamp.date + stamp.time).run();
    const auto seq = db_.lastInsertId();
    char id[32];
    std::snprintf(id, sizeof id, "%s%08lld", stamp.date.c_str(), static_cast<long long>(seq % 100000000));
    Statement update(db_, "UPDATE order_id SET order_id = ? WHERE seq = ?");
    update.bind(1, std::string(id)).bind(2, seq).run();
    tx.commit();
    Answer answer;
    answer.columns = {"OrderID"};
    answer.rows = {{id}};
    return answer;
}

Answer Ledger::SystemParameters(const WireRequest& request) {
    const auto customer = RequireCustomer(request);
    CheckFundPassword(request, customer, false);
    Answer answer;
    answer.columns = {"OrderCode", "Param", "ProRet", "ParamName"};
    Statement query(db_, "SELECT p.bank_id, p.param, p.value, p.name FROM sys_param p "
                         "JOIN (SELECT bank_id, MIN(position) AS first FROM account WHERE trade_id = ? "
                         "GROUP BY bank_id) a ON a.bank_id = p.bank_id ORDER BY a.first, p.param");
    query.bind(1, Trim(request.get("CustTradeID")));
    while (query.step()) answer.rows.push_back({query.text(0), query.text(1), query.text(2), query.text(3)});
    return answer;
}

Answer Ledger::Commission(const WireRequest& request) {
    const auto customer = RequireCustomer(request);
    CheckFundPassword(request, customer, false);
    const auto bankId = RequestBank(request);
    RequireSwitchOn(bankId, ParamCode::Commission);
    const auto memo = Trim(request.get("Memo"));
    std::int64_t amount = 0;
    if (!memo.empty() && memo != "0") {
        const auto parsed = ParseCents(memo);
        if (!parsed) throw Refusal{"E1007"};
        amount = *parsed;
    }
    Statement rule(db_, "SELECT comm_rate, comm_min, comm_text FROM bank WHERE bank_id = ?");
    rule.bind(1, bankId);
    if (!rule.step()) throw Refusal{"E1008"};
    // Rate in units of 1/10000, rounded up to whole cents, never below the minimum.
    std::int64_t commission = 0;
    if (amount > 0) commission = std::max(rule.integer(1), (amount * rule.integer(0) + 9999) / 10000);
    Answer answer;
    answer.columns = {"ProRet", "CommRate"};
    answer.rows = {{std::to_string(commission), rule.text(2)}};
    return answer;
}

Answer Ledger::Exchange(const WireRequest& request, bool buy) {
    Transaction tx(db_);
    const auto [customer, account, amount] = RequireMoneyMove(request, buy ? ParamCode::BuyForex : ParamCode::SettleForex);

    Statement rates(db_, "SELECT buy_rate, settle_rate FROM bank WHERE bank_id = ?");
    rates.bind(1, account.bankId);
    if (!rates.step()) throw Refusal{"E1008"};
    const std::int64_t rate = buy ? rates.integer(0) : rates.integer(1);
    if (rate <= 0) throw Refusal{"E1006"};
    // Buying spends market money (yuan cents) for foreign cents on the
    // account; settling sells the account's foreign cents into the market.
    // Rounded down: the bank keeps the fraction of a cent.
    const std::int64_t exchanged = buy ? amount * 10000 / rate : amount * rate / 10000;
    if (exchanged <= 0) throw Refusal{"E1007"};
    if (buy && customer.market - customer.frozen < amount) throw Refusal{"E1004"};
    if (!buy && account.balance < amount) throw Refusal{"E1005"};

    const auto tradeId = Trim(request.get("CustTradeID"));
    const std::int64_t marketChange = buy ? -amount : exchanged;
    const std::int64_t accountChange = buy ? exchanged : -amount;
    MoveBalances(tradeId, account.acctNo, accountChange, marketChange);
    const auto stamp = NowStamp();
    Statement record(db_, "INSERT INTO exchange(trade_id, bank_id, acct_no, trade_date, trade_time, exchange_type, "
                          "amount, rate, exchange_amount, state) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, '0')");
    record.bind(1, tradeId).bind(2, account.bankId).bind(3, account.acctNo).bind(4, stamp.date)
        .bind(5, stamp.time).bind(6, buy ? "0" : "1").bind(7, amount).bind(8, rate).bind(9, exchanged).run();
    const auto serial = db_.lastInsertId();
    tx.commit();

    Answer answer;
    answer.columns = {"SerialNo", "ExchangeType", "ChangeMoney", "Rate", "ExchangeMoney", "TradeDate", "TradeTime"};
    answer.rows = {{std::to_string(serial), buy ? "0" : "1", std::to_string(amount), RateText(rate),
                    std::to_string(exchanged), stamp.date, stamp.time}};
    return answer;
}

Answer Ledger::ExchangeRecords(const WireRequest& request) {
    const auto customer = RequireCustomer(request);
    CheckFundPassword(request, customer, false);
    const auto acctNo = Trim(request.get("CustBankAcctNo"));
    if (!acctNo.empty()) (void)RequireAccount(request);
    Answer answer;
    answer.columns = {"SerialNo", "BankID", "CustBankAcctNo", "TradeDate", "TradeTime", "ExchangeType",
                      "ChangeMoney", "Rate", "ExchangeMoney", "State"};
    Statement query(db_, "SELECT serial, bank_id, acct_no, trade_date, trade_time, exchange_type, amount, rate, "
                         "exchange_amount, state FROM exchange WHERE trade_id = ?1 AND (?2 = '' OR acct_no = ?2) "
                         "ORDER BY serial");
    query.bind(1, Trim(request.get("CustTradeID"))).bind(2, acctNo);
    while (query.step())
        answer.rows.push_back({query.text(0), query.text(1), query.text(2), query.text(3), query.text(4),
                               query.text(5), query.text(6), RateText(query.integer(7)), query.text(8),
                               query.text(9)});
    return answer;
}

Answer Ledger::MarketFunds(const WireRequest& request) {
    const auto customer = RequireCustomer(request);
    CheckFundPassword(request, customer, false);
    RequireSwitchOn(RequestBank(request), ParamCode::MarketFunds);
    Answer answer;
    answer.columns = {"CustTradeID", "MarketMoney", "FrozenMoney", "AvailableMoney", "TradeDate"};
    answer.rows = {{Trim(request.get("CustTradeID")), std::to_string(customer.market),
                    std::to_string(customer.frozen), std::to_string(customer.market - customer.frozen),
                    NowStamp().date}};
    return answer;
}

}  // namespace vantrel::middleware
