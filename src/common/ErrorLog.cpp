#include "common/ErrorLog.h"

#include "common/AppPaths.h"
#include "common/Clock.h"
#include "common/DailyLog.h"

#include <exception>
#include <stdexcept>
#include <string>

namespace vantrel {

namespace {

std::string OneLine(std::string_view text) {
    std::string line;
    line.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            line += ' ';
        } else {
            line += text[i];
        }
    }
    return line;
}

}  // namespace

void WriteErrorLog(std::string_view text) {
    const std::string folder = LogPath();
    if (auto made = EnsureFolder(folder); !made) throw std::runtime_error(made.error());
    // One clock reading for both the file name and the line.
    const LocalDateTime now = ToLocal(Now());
    AppendToFile(DailyFileName(folder, ".log", now),
                 FormatDateTime(now, "  ") + "  " + OneLine(text) + std::string(kLogLineEnd));
}

Status TryWriteErrorLog(std::string_view text) {
    try {
        WriteErrorLog(text);
        return Status::success();
    } catch (const std::exception& failure) {
        return Error{failure.what()};
    }
}

}  // namespace vantrel
