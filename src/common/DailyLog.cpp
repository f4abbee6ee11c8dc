#include "common/DailyLog.h"

#include "common/AppPaths.h"
#include "common/TextCodec.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <stdexcept>

namespace vantrel {

namespace {

// Keeps concurrent appends of this process from interleaving inside a line.
std::mutex appendMutex;

}  // namespace

std::string DailyFileName(const std::string& folder, const std::string& extension, const LocalDateTime& date) {
    return folder + FormatYmd(date) + extension;
}

void AppendToFile(const std::string& path, std::string_view utf8Text) {
    const std::string bytes = Utf8ToGbkEscaped(utf8Text);
    auto fail = [&](const char* step, int error) {
        throw std::runtime_error("cannot " + std::string(step) + " the log file " + path + ": " +
                                 std::strerror(error));
    };
    std::lock_guard lock(appendMutex);
#ifdef _WIN32
    std::FILE* file = _wfopen(PathFromUtf8(path).c_str(), L"ab");
#else
    std::FILE* file = std::fopen(path.c_str(), "ab");
#endif
    if (!file) fail("open", errno);
    errno = 0;
    std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
    int writeError = written == bytes.size() && std::fflush(file) == 0 ? 0 : (errno ? errno : EIO);
    errno = 0;
    int closeError = std::fclose(file) == 0 ? 0 : (errno ? errno : EIO);
    if (writeError) fail("write", writeError);
    if (closeError) fail("close", closeError);
}

}  // namespace vantrel
