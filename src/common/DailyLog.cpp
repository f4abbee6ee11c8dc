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

[[noreturn]] void Fail(const char* step, const std::string& path, int error) {
    throw std::runtime_error("cannot " + std::string(step) + " the log file " + path + ": " + std::strerror(error));
}

}  // namespace

std::string DailyFileName(const std::string& folder, const std::string& extension, const LocalDateTime& date) {
    return folder + FormatYmd(date) + extension;
}

void AppendToFile(const std::string& path, std::string_view utf8Text) {
    LogAppender file;
    file.append(path, utf8Text);
    file.close();
}

LogAppender::~LogAppender() { closeQuietly(); }

void LogAppender::append(const std::string& path, std::string_view utf8Text) {
    const std::string bytes = Utf8ToGbkEscaped(utf8Text);
    if (path != path_) close();
#ifdef _WIN32
    if (!file_) {
        file_ = _wfopen(PathFromUtf8(path).c_str(), L"ab");
        if (!file_) Fail("open", path, errno);
        path_ = path;
    }
    int writeError = 0;
    {
        std::lock_guard lock(appendMutex);
        errno = 0;
        // Flushed at once: a block must not wait in our buffer for the next.
        const std::size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file_);
        if (written != bytes.size() || std::fflush(file_) != 0) writeError = errno ? errno : EIO;
    }
#else
    // Kept open: open and close cost more than the write itself.
    if (file_ < 0) {
        file_ = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0666);
        if (file_ < 0) Fail("open", path, errno);
        path_ = path;
    }
    int writeError = 0;
    {
        std::lock_guard lock(appendMutex);
        for (std::size_t done = 0; done < bytes.size();) {
            const ssize_t n = ::write(file_, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                writeError = n < 0 ? errno : EIO;
                break;
            }
            done += static_cast<std::size_t>(n);
        }
    }
#endif
    if (writeError) {
        // The next block starts over with a fresh open.
        closeQuietly();
        Fail("write", path, writeError);
    }
}

void LogAppender::close() {
    const std::string path = std::move(path_);
    path_.clear();
#ifdef _WIN32
    if (!file_) return;
    errno = 0;
    const int closeError = std::fclose(file_) == 0 ? 0 : (errno ? errno : EIO);
    file_ = nullptr;
#else
    if (file_ < 0) return;
    const int closeError = ::close(file_) == 0 ? 0 : errno;
    file_ = -1;
#endif
    if (closeError) Fail("close", path, closeError);
}

void LogAppender::closeQuietly() noexcept {
    try {
        close();
    } catch (...) {
    }
}

}  // namespace vantrel
