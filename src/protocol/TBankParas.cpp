#include "protocol/TBankParas.h"

#include <stdexcept>

#include "common/AppPaths.h"
#include "common/BankIni.h"
#include "common/Profile.h"
#include "common/TextUtil.h"
#include "protocol/TlsSettings.h"

namespace vantrel {

TBankParas::TBankParas() : AppPath(vantrel::AppPath()), LogPath(vantrel::LogPath()) {
    if (auto made = EnsureFolder(LogPath); !made.ok()) throw std::runtime_error(made.error());
}

void TBankParas::LoadSettings() {
    const auto ini = Profile::Load(IniFile());
    Host = ini.readString(SectionName, "Host", "127.0.0.1");
    Port = ini.readInteger(SectionName, "Port", DefaultPort);
    TimeOut = ini.readInteger(SectionName, "TimeOut", 5000);
    NetBank = ini.readBool(SectionName, "NetBank", false);
    ConnectStyle = ini.readBool(SectionName, "ConnectStyle", false);
    ReadTimeOut = ini.readInteger(SectionName, "ReadTimeOut", 60000);
    if (ReadTimeOut < 0) ReadTimeOut = 60000;
    Tls = ReadTlsSettings(ini, SectionName, {}, AppPath);
    for (std::size_t i = 0; i < OperationNames.size(); ++i)
        OperationNames[i] = ini.readString("OptionKind", "Item" + std::to_string(i), "");
    if (ini.fileExists()) {
        DateFields = ini.sectionValues("DataFieldsList");
        TimeFields = ini.sectionValues("TimeFieldsList");
        MoneyFields = ini.sectionValues("MoneyFieldsList");
    }
}

bool ListHas(const std::vector<std::string>& list, std::string_view name) {
    const auto wanted = Trim(name);
    for (const auto& item : list)
        if (EqualsNoCase(Trim(item), wanted)) return true;
    return false;
}

}  // namespace vantrel
