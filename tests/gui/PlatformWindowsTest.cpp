// The platform side of the windows: the host's native window as owner, and
// the hand-over of a web address to the system. On Windows these run the
// Win32 paths (GWLP_HWNDPARENT, ShellExecuteW's argument).
#include <QtTest>

#include <QWindow>

#include "widgets/OwnerWindow.h"
#include "widgets/TfrmNoneForm.h"
#include "widgets/UserPrompts.h"

#include "common/Win32.h"

using namespace vantrel;

namespace {

QString handedOver;
bool RecordAddress(const QString& encoded) {
    handedOver = encoded;
    return true;
}

}  // namespace

class PlatformWindowsTest : public QObject {
    Q_OBJECT
private slots:
    // A library window shown during an export is owned by the host's window.
    void aLibraryWindowIsOwnedByTheHostWindow() {
        QWidget host;
        host.setWindowTitle("host");
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        const auto hostHandle = static_cast<uintptr_t>(host.winId());
        // The owner comes from the bare native handle, as a host passes it.
        ScopedOwnerWindow owner(hostHandle);
        TfrmNoneForm dialog;
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
#ifdef _WIN32
        const HWND ownerOfDialog = GetWindow(reinterpret_cast<HWND>(dialog.winId()), GW_OWNER);
        QCOMPARE(reinterpret_cast<uintptr_t>(ownerOfDialog), hostHandle);
#else
        QVERIFY(dialog.windowHandle()->transientParent());
        QCOMPARE(static_cast<uintptr_t>(dialog.windowHandle()->transientParent()->winId()), hostHandle);
#endif
    }

    // Only the fully encoded address reaches the system, once the rule let it pass.
    void theSystemGetsTheEncodedAddress() {
        SetPrompts(nullptr);
        SetSystemOpener(RecordAddress);
        handedOver.clear();
        QVERIFY(Prompts().openUrl(QStringLiteral(" https://bank.example/网银?id=1 ")));
        QCOMPARE(handedOver, QStringLiteral("https://bank.example/%E7%BD%91%E9%93%B6?id=1"));
        handedOver.clear();
        QVERIFY(!Prompts().openUrl(QStringLiteral("file:///C:/Windows/notepad.exe")));
        QVERIFY(handedOver.isEmpty());
        SetSystemOpener(nullptr);
    }
};

QTEST_MAIN(PlatformWindowsTest)
#include "PlatformWindowsTest.moc"
