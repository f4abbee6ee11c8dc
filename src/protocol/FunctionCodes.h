#pragma once
// The codes the client and the middleware agree on: a request's function code
// in the frame header, and the Param codes of the system parameter table.
// Several are both: a bank switches an operation off under its own code.
#include <string_view>

namespace vantrel {

namespace FunctionCode {
inline constexpr std::string_view Login = "90001";
inline constexpr std::string_view TransferDetails = "90002";
inline constexpr std::string_view ChangePassword = "90003";
inline constexpr std::string_view Deposit = "90004";
inline constexpr std::string_view Withdraw = "90005";
inline constexpr std::string_view CardBalance = "90006";
inline constexpr std::string_view OrderId = "90007";
inline constexpr std::string_view BuyForex = "90008";
inline constexpr std::string_view SettleForex = "90009";
inline constexpr std::string_view ExchangeRecords = "90010";
inline constexpr std::string_view MarketFunds = "90011";
inline constexpr std::string_view SupervisedBalance = "50015";
inline constexpr std::string_view SystemParams = "70002";
}  // namespace FunctionCode

namespace ParamCode {
// Switches: "0" in ProRet turns the operation on for the bank.
inline constexpr std::string_view Deposit = "50005";
inline constexpr std::string_view Withdraw = "50006";
inline constexpr std::string_view SupervisedBalance = FunctionCode::SupervisedBalance;
inline constexpr std::string_view CardBalance = "50017";
inline constexpr std::string_view BuyForex = FunctionCode::BuyForex;
inline constexpr std::string_view SettleForex = FunctionCode::SettleForex;
inline constexpr std::string_view MarketFunds = FunctionCode::MarketFunds;
inline constexpr std::string_view Commission = "IFRATE";
// ProRet lists the codes of the operations that need the bank password.
inline constexpr std::string_view BankPassword = "PASSWORD";
}  // namespace ParamCode

// The bank number of the exchange account in the signed-account table.
inline constexpr std::string_view kExchangeBankId = "999";

}  // namespace vantrel
