#pragma once
// How the login dialog opens the main window after a successful login. The
// main window is built in its own folder and installs itself here, so that
// the login does not depend on it; tests install a recorder. Until something
// is installed, launching does nothing and the export returns after login.
#include <functional>

namespace vantrel {

struct Session;

// Creates the main window over the login's session, shows it modally and
// frees it. May throw when the window cannot be built.
using MainWindowLauncher = std::function<void(Session& session)>;

// Installs the process-wide launcher; an empty one restores the default.
void SetMainWindowLauncher(MainWindowLauncher launcher);
void LaunchMainWindow(Session& session);

}  // namespace vantrel
