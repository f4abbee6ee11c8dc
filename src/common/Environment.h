#pragma once
// Environment variables as UTF-8. On Windows the narrow C runtime functions
// speak the ANSI code page, so a folder with Chinese characters in
// VANTREL_APP_PATH would be garbled; the wide environment is used there.
#include <optional>
#include <string>

namespace vantrel {

// None when the variable is not set.
std::optional<std::string> GetEnvironmentUtf8(const char* name);
// Sets the variable for this process and the programs it starts.
void SetEnvironmentUtf8(const char* name, const std::string& value);
void UnsetEnvironment(const char* name);

}  // namespace vantrel
