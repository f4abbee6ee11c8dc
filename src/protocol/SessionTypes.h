#pragma once
// The records of the login state shared by the whole library.
#include <cstdint>
#include <string>

#include "protocol/TlsSettings.h"

namespace vantrel {

// The server and trade number of the current login.
struct TLoginInfo {
    std::string Host;
    int32_t Port = 0;
    std::string TradeID;
    int32_t TimeOut = 0;  // connect time-out, milliseconds
    TlsSettings Tls{};    // how every connection of the login is protected
};

// The signed bank account in use and the fund password.
struct TBankInfo {
    std::string BankID;
    std::string BankName;
    std::string CustBankAcctNo;
    int32_t MoneyType = 0;
    std::string CompId;
    int32_t BankType = 0;  // non-zero: the bank offers online deposit
    std::string Url;       // online-banking address pattern
    std::string MoneyPwd;
};

}  // namespace vantrel
