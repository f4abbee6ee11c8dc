#pragma once
#include <string_view>

#include "common/Result.h"

namespace vantrel {

// Appends "yyyy-mm-dd  hh:mm:ss  text" and a line end to the day's error log,
// LogPath() + "yyyymmdd.log", creating the logs folder when missing. Line
// breaks inside the text become blanks, so one call is one line. Throws
// std::runtime_error when the folder or the file cannot be written.
void WriteErrorLog(std::string_view text);
// The same for the places that must not throw (worker threads, destructors):
// a failure to write comes back instead.
Status TryWriteErrorLog(std::string_view text);

}  // namespace vantrel
