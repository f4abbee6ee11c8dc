#pragma once
// What the two exports do, in the library's own terms. The exported C
// functions only forward here, so that window tests can run the same steps
// in-process.
#include <cstdint>
#include <string>

namespace vantrel {

// Starts the library on the first call: the log folder (StartLibrary) and,
// when the host has none, a QApplication kept for the life of the process.
// Qt's own texts become Chinese unless the host translates them already
// (InstallQtTranslation).
// False (and an error-log line) when the library cannot run here.
bool EnsureLibraryRunning();
// There are no shut-down steps: each login's session ends with its export
// call, and a QApplication the library created stays until the process ends
// (deleting it among the exit handlers, after Qt's own globals, crashes).

// The login sequence of one export call. Strings are GBK as the host passes
// them; a null or undecodable string, or a trade number longer than the
// trade number field, is written to the error log and nothing is shown.
// `host` null selects the server-choice path. Never throws.
void RunLoginSequence(uintptr_t hostWindow, const char* host, int32_t port, const char* tradeId,
                      bool serverChoice) noexcept;

}  // namespace vantrel
