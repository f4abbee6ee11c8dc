#include "entry/OwnerWindow.h"

#include <QWidget>
#include <QWindow>

namespace vantrel {
namespace {

QWindow* current = nullptr;

}  // namespace

ScopedOwnerWindow::ScopedOwnerWindow(uintptr_t nativeHandle) : previous_(current) {
    if (nativeHandle != 0) window_.reset(QWindow::fromWinId(static_cast<WId>(nativeHandle)));
    current = window_ ? window_.get() : previous_;
}

ScopedOwnerWindow::~ScopedOwnerWindow() { current = previous_; }

QWindow* CurrentOwnerWindow() { return current; }

void AttachToOwner(QWidget* window) {
    if (!window || window->parentWidget() || !current) return;
    window->winId();  // creates the native window and its QWindow
    if (QWindow* handle = window->windowHandle()) handle->setTransientParent(current);
}

}  // namespace vantrel
