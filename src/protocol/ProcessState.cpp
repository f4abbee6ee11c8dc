#include "protocol/ProcessState.h"

#include <stdexcept>
#include <utility>

#include "common/AppPaths.h"

namespace vantrel {
namespace {

// A plain pointer, so that no static destructor runs before a library's
// shut-down object has called StopLibrary; the order of static destruction
// across files is not defined.
Session* runningState = nullptr;

}  // namespace

void StartLibrary() {
    if (runningState) return;
    if (auto made = EnsureFolder(LogPath()); !made.ok())
        throw std::runtime_error(made.error());
    runningState = new Session;
}

void StopLibrary() {
    // Cleared first: nothing reaches the session while it disconnects.
    delete std::exchange(runningState, nullptr);
}

bool LibraryStarted() { return runningState != nullptr; }

Session& Process() {
    if (!runningState) StartLibrary();
    return *runningState;
}

}  // namespace vantrel
