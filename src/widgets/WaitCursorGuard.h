#pragma once
// Shows the wait cursor for the life of the object: every handler that runs a
// request blocks the thread, so the cursor is the only sign of life.
#include <QGuiApplication>

namespace vantrel {

class WaitCursorGuard {
public:
    WaitCursorGuard() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursorGuard() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursorGuard(const WaitCursorGuard&) = delete;
    WaitCursorGuard& operator=(const WaitCursorGuard&) = delete;
};

}  // namespace vantrel
