#pragma once
// Replaces a file's whole content in one step: the bytes go to a temporary
// file in the same folder, are flushed to disk and then renamed over the
// original, so a crash or a full disk never leaves a half-written file.
#include "common/Result.h"

#include <cstddef>
#include <filesystem>
#include <functional>
#include <string_view>

namespace vantrel {

Status ReplaceFileAtomically(const std::filesystem::path& file, std::string_view bytes);

// Test seam: called before each block written to the temporary file with the
// number of bytes written so far; returning true makes that write fail. An
// empty function switches the fault off.
void SetAtomicWriteFaultForTesting(std::function<bool(std::size_t bytesWritten)> fault);

}  // namespace vantrel
