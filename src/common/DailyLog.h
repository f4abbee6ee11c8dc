#pragma once
// Daily log files: one file per day, named after the date, appended to in
// GBK. Shared by the error log, the transfer log and the grid formatter's log.
#include "common/Clock.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace vantrel {

// Every log line ends like this: the logs are read on Windows too.
inline constexpr std::string_view kLogLineEnd = "\r\n";

// folder + "yyyymmdd" + extension (extension with its dot, e.g. ".log").
std::string DailyFileName(const std::string& folder, const std::string& extension, const LocalDateTime& date);

// Appends the text (UTF-8, written with Utf8ToGbkEscaped) to the file,
// creating it when missing. Throws std::runtime_error naming the file and
// the reason when it cannot be opened or written: callers let it propagate.
void AppendToFile(const std::string& path, std::string_view utf8Text);

// AppendToFile for the blocks of one piece of work (a request): the file
// stays open from its first block to close(), so each further block costs
// one write. Every block reaches the file as it is appended (nothing is
// buffered), whole, never interleaved with another append of this process.
// A block for another path (the day changed) closes the file held and opens
// that one. Never keep one across requests: a day's file deleted or moved
// meanwhile would take the next blocks with it.
class LogAppender {
public:
    LogAppender() = default;
    // Closes quietly: close() is the one that reports.
    ~LogAppender();
    LogAppender(const LogAppender&) = delete;
    LogAppender& operator=(const LogAppender&) = delete;

    // Throws like AppendToFile.
    void append(const std::string& path, std::string_view utf8Text);
    // Closes the file held, if any; throws std::runtime_error when closing fails.
    void close();

private:
    void closeQuietly() noexcept;

    std::string path_;
#ifdef _WIN32
    std::FILE* file_ = nullptr;
#else
    int file_ = -1;
#endif
};

}  // namespace vantrel
