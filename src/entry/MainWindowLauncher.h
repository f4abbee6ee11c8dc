#pragma once
// How the login dialog opens the main window after a successful login. The
// main window is built in its own folder and installs itself here, so that
// the login does not depend on it; tests install a recorder. Until something
// is installed, launching does nothing and the export returns after login.
#include <QString>

#include <functional>

namespace vantrel {

struct Session;

// Creates the main window over the login's session, hands it the trade number
// (SetTradeID), shows it modally and frees it. May throw when the window
// cannot be built.
using MainWindowLauncher = std::function<void(Session& session, const QString& tradeId)>;

// Installs the process-wide launcher; an empty one restores the default.
void SetMainWindowLauncher(MainWindowLauncher launcher);
void LaunchMainWindow(Session& session, const QString& tradeId);

}  // namespace vantrel
