#include "grid/GridLog.h"

#include "common/AppPaths.h"
#include "common/Clock.h"
#include "common/DailyLog.h"

#include <exception>
#include <string>

namespace vantrel {

Status WriteGridLog(std::string_view text) {
    try {
        const std::string folder = LogPath();
        if (auto made = EnsureFolder(folder); !made) return made;
        const LocalDateTime now = ToLocal(Now());
        std::string line = FormatYmd(now) + ": ";
        for (char c : text) line += (c == '\r' || c == '\n') ? ' ' : c;
        line += kLogLineEnd;
        AppendToFile(DailyFileName(folder, ".txt", now), line);
        return Status::success();
    } catch (const std::exception& e) {
        return Error{e.what()};
    }
}

}  // namespace vantrel
