#pragma once
// Daily log files: one file per day, named after the date, appended to in
// GBK. Shared by the error log, the transfer log and the grid formatter's log.
#include "common/Clock.h"

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

}  // namespace vantrel
