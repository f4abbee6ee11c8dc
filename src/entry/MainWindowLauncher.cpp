#include "entry/MainWindowLauncher.h"

namespace vantrel {
namespace {

MainWindowLauncher& Installed() {
    static MainWindowLauncher launcher;
    return launcher;
}

}  // namespace

void SetMainWindowLauncher(MainWindowLauncher launcher) { Installed() = std::move(launcher); }

void LaunchMainWindow(Session& session) {
    // A copy: the launcher may install another one while it runs.
    if (auto launcher = Installed()) launcher(session);
}

}  // namespace vantrel
