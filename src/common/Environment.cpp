#include "common/Environment.h"

#include <cstdlib>

#ifdef _WIN32
#include "common/WideText.h"
#endif

namespace vantrel {

#ifdef _WIN32

std::optional<std::string> GetEnvironmentUtf8(const char* name) {
    const wchar_t* value = _wgetenv(WideFromUtf8(name).c_str());
    if (!value) return std::nullopt;
    return Utf8FromWide(value);
}

void SetEnvironmentUtf8(const char* name, const std::string& value) {
    // _wputenv_s removes a variable set to "": an empty value means unset
    // on Windows anyway.
    _wputenv_s(WideFromUtf8(name).c_str(), WideFromUtf8(value).c_str());
}

void UnsetEnvironment(const char* name) {
    _wputenv_s(WideFromUtf8(name).c_str(), L"");
}

#else

std::optional<std::string> GetEnvironmentUtf8(const char* name) {
    const char* value = std::getenv(name);
    if (!value) return std::nullopt;
    return std::string(value);
}

void SetEnvironmentUtf8(const char* name, const std::string& value) {
    ::setenv(name, value.c_str(), 1);
}

void UnsetEnvironment(const char* name) {
    ::unsetenv(name);
}

#endif

}  // namespace vantrel
