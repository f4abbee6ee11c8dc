#include "common/DailyLog.h"

#include "common/AppPaths.h"
#include "common/TextCodec.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <stdexcept>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

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
    if (!file) fail("open", errno);
    errno = 0;
    std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file);
    int writeError = written == bytes.size() && std::fflush(file) == 0 ? 0 : (errno ? errno : EIO);
    errno = 0;
    int closeError = std::fclose(file) == 0 ? 0 : (errno ? errno : EIO);
#else
    // open, write, close: the three calls a block needs (stdio adds a seek
    // and a stat to each).
    const int file = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
    if (file < 0) fail("open", errno);
    int writeError = 0;
    for (std::size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::write(file, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            writeError = n < 0 ? errno : EIO;
            break;
        }
        done += static_cast<std::size_t>(n);
    }
    const int closeError = ::close(file) == 0 ? 0 : errno;
#endif
    if (writeError) fail("write", writeError);
    if (closeError) fail("close", closeError);
}

}  // namespace vantrel
