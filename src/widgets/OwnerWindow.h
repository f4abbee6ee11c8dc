#pragma once
// The host program's window as the owner of the library's windows: while an
// export runs, every top-level window the library shows is a transient child
// of the host's native window, so it stays in front of the host and the
// window manager treats it as the host's dialog.
#include <cstdint>
#include <memory>

class QWidget;
class QWindow;

namespace vantrel {

class ScopedOwnerWindow {
public:
    // 0 means no owner. The handle is the host's native window id (HWND on
    // Windows, the X11 window id on Linux).
    explicit ScopedOwnerWindow(uintptr_t nativeHandle);
    ~ScopedOwnerWindow();
    ScopedOwnerWindow(const ScopedOwnerWindow&) = delete;
    ScopedOwnerWindow& operator=(const ScopedOwnerWindow&) = delete;

private:
    std::unique_ptr<QWindow> window_;
    QWindow* previous_ = nullptr;
};

// The owner of the export call in progress, or none.
QWindow* CurrentOwnerWindow();
// Makes the current owner the transient parent of a top-level window that has
// no parent widget; a window with a parent keeps its parent as owner.
void AttachToOwner(QWidget* window);
// For the native events of an attached window: on Windows, Qt clears the
// owner of a window whose transient parent is a foreign window when it shows
// it, just before the window receives WM_SHOWWINDOW; the owner is set again
// then. Does nothing elsewhere.
void KeepOwnerOnShow(QWidget* window, void* nativeMessage);

}  // namespace vantrel
