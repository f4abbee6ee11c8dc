#pragma once
// Where the program's files live: the folder of the running executable
// (Bank.ini, logs/, res/), overridable with VANTREL_APP_PATH.
#include "common/Result.h"

#include <filesystem>
#include <string>

namespace vantrel {

// The delimiter the program puts into the paths it builds and shows.
#ifdef _WIN32
inline constexpr char kPathDelimiter = '\\';
#else
inline constexpr char kPathDelimiter = '/';
#endif

// The executable's folder ending with a path delimiter. VANTREL_APP_PATH,
// when set and not empty, wins and is read afresh on every call.
std::string AppPath();
// AppPath() + "logs/" ("logs\\" on Windows).
std::string LogPath();
// AppPath() + "Bank.ini".
std::string BankIniPath();
// The folder of the running executable itself, without the override, with a
// delimiter at the end ("./" when the system cannot tell).
std::string ExecutablePath();
// Creates the folder and its parents when missing.
Status EnsureFolder(const std::string& folder);

// A UTF-8 path string as a filesystem path (on Windows a plain std::string
// would be taken in the ANSI code page).
std::filesystem::path PathFromUtf8(const std::string& utf8);
// And back, for messages and for building paths as text.
std::string PathToUtf8(const std::filesystem::path& path);

}  // namespace vantrel
