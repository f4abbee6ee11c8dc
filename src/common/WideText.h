#pragma once
// Windows only: UTF-8 to and from the UTF-16 of the wide API, and the text
// of a Win32 error code. (Built only for Windows.)
#ifdef _WIN32
#include <string>
#include <string_view>

namespace vantrel {

// Invalid input becomes U+FFFD: for paths, names and messages, not for data.
std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

// The system's message for a GetLastError/WSAGetLastError code, or "error N"
// when it has none.
std::string WindowsErrorText(unsigned long code);

}  // namespace vantrel
#endif
