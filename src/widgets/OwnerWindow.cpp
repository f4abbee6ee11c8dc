#include "widgets/OwnerWindow.h"

#include <QVariant>
#include <QWidget>
#include <QWindow>

#include "common/Win32.h"

namespace vantrel {
namespace {

QWindow* current = nullptr;

#ifdef _WIN32
// The owner's HWND, kept on the window for KeepOwnerOnShow.
constexpr char kOwnerProperty[] = "vantrelNativeOwner";

void SetNativeOwner(QWidget* window, WId owner) {
    SetWindowLongPtrW(reinterpret_cast<HWND>(window->winId()), GWLP_HWNDPARENT, static_cast<LONG_PTR>(owner));
}
#endif

}  // namespace

ScopedOwnerWindow::ScopedOwnerWindow(uintptr_t nativeHandle) : previous_(current) {
#ifdef _WIN32
    // An HWND that names no window (closed, or not a handle at all) is no owner.
    if (nativeHandle != 0 && !IsWindow(reinterpret_cast<HWND>(nativeHandle))) nativeHandle = 0;
#endif
    if (nativeHandle != 0) window_.reset(QWindow::fromWinId(static_cast<WId>(nativeHandle)));
    current = window_ ? window_.get() : previous_;
}

ScopedOwnerWindow::~ScopedOwnerWindow() { current = previous_; }

QWindow* CurrentOwnerWindow() { return current; }

void AttachToOwner(QWidget* window) {
    if (!window || window->parentWidget() || !current) return;
    window->winId();  // creates the native window and its QWindow
#ifdef _WIN32
    // A Windows owner is the window's GWLP_HWNDPARENT: the window stays above
    // the host and is minimised with it. Qt makes no owner of a foreign
    // transient parent, so the host's HWND is set here directly.
    window->setProperty(kOwnerProperty, QVariant::fromValue(static_cast<qulonglong>(current->winId())));
    SetNativeOwner(window, current->winId());
#else
    if (QWindow* handle = window->windowHandle()) handle->setTransientParent(current);
#endif
}

void KeepOwnerOnShow([[maybe_unused]] QWidget* window, [[maybe_unused]] void* nativeMessage) {
#ifdef _WIN32
    const auto* message = static_cast<const MSG*>(nativeMessage);
    if (message->message != WM_SHOWWINDOW || !message->wParam) return;
    const QVariant owner = window->property(kOwnerProperty);
    if (owner.isValid()) SetNativeOwner(window, static_cast<WId>(owner.toULongLong()));
#endif
}

}  // namespace vantrel
