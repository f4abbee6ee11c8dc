#include "common/BankIni.h"

#include "common/AppPaths.h"
#include "common/Profile.h"

namespace vantrel {

namespace {

Profile LoadBankIni() {
    return Profile::Load(PathFromUtf8(BankIniPath()));
}

}  // namespace

std::string IniReadString(std::string_view section, std::string_view key, std::string_view def) {
    return LoadBankIni().readString(section, key, def);
}

int32_t IniReadInteger(std::string_view section, std::string_view key, int32_t def) {
    return LoadBankIni().readInteger(section, key, def);
}

bool IniReadBool(std::string_view section, std::string_view key, bool def) {
    return LoadBankIni().readBool(section, key, def);
}

std::optional<std::vector<std::string>> SectionValues(std::string_view section, std::string_view fileName) {
    auto profile = Profile::Load(PathFromUtf8(AppPath() + std::string(fileName)));
    if (!profile.fileExists()) return std::nullopt;
    return profile.sectionValues(section);
}

std::string CaptionFor(std::string_view name, std::string_view def) {
    if (name.empty()) return std::string(def);
    return IniReadString("LabelCaption", name, def);
}

void LoadSectionValues(std::string_view section, std::vector<std::string>& list) {
    auto profile = LoadBankIni();
    if (profile.fileExists()) list = profile.sectionValues(section);
}

}  // namespace vantrel
