#include "common/LibraryStart.h"

#include <stdexcept>

#include "common/AppPaths.h"

namespace vantrel {

void StartLibrary() {
    if (auto made = EnsureFolder(LogPath()); !made.ok()) throw std::runtime_error(made.error());
}

}  // namespace vantrel
