#pragma once
// The settings every request reads from Bank.ini when it is built.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/TlsSettings.h"

namespace vantrel {

class TBankParas {
public:
    // Computes the folders and creates the log folder; throws when it cannot.
    TBankParas();

    // Reads the [system] keys, the operation names and the three field lists.
    void LoadSettings();

    int32_t Port = 12345;
    std::string Host;
    int32_t TimeOut = 5000;
    std::string CustMoneyPwd;
    std::string CustTradeID;
    const std::string SectionName = "system";
    std::string AppPath;
    std::string LogPath;
    const std::string IniName = "Bank.ini";
    const int32_t DefaultPort = 12345;
    bool NetBank = false;
    bool ConnectStyle = false;
    std::array<std::string, 12> OperationNames;
    std::vector<std::string> DateFields;
    std::vector<std::string> TimeFields;
    std::vector<std::string> MoneyFields;
    // How long one answer read may wait, in milliseconds; 0 waits without
    // limit. A server that never answers must not freeze the host program.
    int32_t ReadTimeOut = 60000;
    // TLS to the server of [system]; the login dialog replaces it with that
    // of the server it chooses.
    TlsSettings Tls;

    std::string IniFile() const { return AppPath + IniName; }
};

// Case-insensitive membership in one of the field lists.
bool ListHas(const std::vector<std::string>& list, std::string_view name);

}  // namespace vantrel
