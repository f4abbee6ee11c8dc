#include "common/AppPaths.h"

#include "common/Environment.h"
#include "common/SystemError.h"

#include <system_error>

#include "common/Win32.h"

namespace vantrel {

namespace {

#ifdef _WIN32
bool IsDelimiter(char c) { return c == '\\' || c == '/'; }

std::string ExecutableFolder() {
    std::wstring buffer(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) {
            buffer.resize(length);
            break;
        }
        buffer.resize(buffer.size() * 2);  // truncated: try a larger buffer
    }
    return PathToUtf8(std::filesystem::path(buffer).parent_path());
}
#else
bool IsDelimiter(char c) { return c == '/'; }

std::string ExecutableFolder() {
    std::error_code ec;
    auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    if (ec) return {};
    return exe.parent_path().string();
}
#endif

std::string WithDelimiter(std::string folder) {
    if (folder.empty()) folder = ".";
    if (!IsDelimiter(folder.back())) folder += kPathDelimiter;
    return folder;
}

}  // namespace

std::filesystem::path PathFromUtf8(const std::string& utf8) {
#ifdef _WIN32
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
#else
    return std::filesystem::path(utf8);
#endif
}

std::string PathToUtf8(const std::filesystem::path& path) {
#ifdef _WIN32
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
#else
    return path.string();
#endif
}

std::string ExecutablePath() {
    static const std::string executableFolder = WithDelimiter(ExecutableFolder());
    return executableFolder;
}

std::string AppPath() {
    if (auto overridden = GetEnvironmentUtf8("VANTREL_APP_PATH"); overridden && !overridden->empty())
        return WithDelimiter(*overridden);
    return ExecutablePath();
}

std::string LogPath() {
    return AppPath() + "logs" + kPathDelimiter;
}

std::string BankIniPath() {
    return AppPath() + "Bank.ini";
}

Status EnsureFolder(const std::string& folder) {
    auto path = PathFromUtf8(folder);
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) return Status::success();
    std::filesystem::create_directories(path, ec);
    if (ec) return Error{"cannot create the folder " + folder + ": " + SystemErrorText(ec)};
    if (!std::filesystem::is_directory(path, ec))
        return Error{"cannot create the folder " + folder + ": a file of that name is in the way"};
    return Status::success();
}

}  // namespace vantrel
