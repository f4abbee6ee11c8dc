#pragma once
// Reading Bank.ini in the application folder. Every call reads the file
// afresh: nothing is cached and the file is never kept open.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// The key's value; `def` when Bank.ini or the key is missing.
std::string IniReadString(std::string_view section, std::string_view key, std::string_view def);
int32_t IniReadInteger(std::string_view section, std::string_view key, int32_t def);
bool IniReadBool(std::string_view section, std::string_view key, bool def);

// The values of a section of AppPath() + fileName (see
// Profile::sectionValues); none when that file does not exist.
std::optional<std::vector<std::string>> SectionValues(std::string_view section, std::string_view fileName);

// [LabelCaption] name=..., or `def`; `def` for an empty name.
std::string CaptionFor(std::string_view name, std::string_view def);

// When Bank.ini exists, replaces the list's content with the section's
// values; otherwise leaves the list as it is.
void LoadSectionValues(std::string_view section, std::vector<std::string>& list);

}  // namespace vantrel
