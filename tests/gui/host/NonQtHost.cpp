// A host that is not a Qt program: loads the library, calls OpenVantrel
// without any QApplication of its own (the library makes one), logs in and
// exits. The user is played from a second thread by posting to the library's
// application. Exits 0 only when the login reached the server and the
// process ends cleanly.
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

#include <dlfcn.h>

#include "EngineFixture.h"
#include "ScriptedServer.h"
#include "TestFolder.h"
#include "common/TextCodec.h"
#include "vantrel.h"

using namespace vantrel;

namespace {

// One step of the user, on the application's thread.
void Act(bool& typed) {
    if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        box->button(QMessageBox::Ok)->click();
        return;
    }
    // The main window the login opens: the user closes it.
    if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->objectName() == "frmVantrel") {
        modal->close();
        return;
    }
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* ok = widget->findChild<QPushButton*>("btnOk");
        if (typed || widget->objectName() != "frmLoginMoney" || !widget->isVisible() || !ok || !ok->isEnabled())
            continue;
        typed = true;
        widget->findChild<QLineEdit*>("txtPass")->setText("123456");
        ok->click();
    }
}

}  // namespace

int main() {
    test::TestFolder folder;
    test::ScopedAppPath appPath(folder);
    folder.write("Bank.ini", Utf8ToGbk(test::kStandardBankIni).value());
    test::ScriptedServer server;
    server.enqueue({test::AnswerFrame({"BankID", "BankName", "CustBankAcctNo", "MoneyType", "CompId", "BankType",
                                       "Url", "005", "测试银行", "6222001", "0", "C01", "0", ""},
                                      7)});

    void* library = dlopen(VANTREL_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
    auto open = library ? reinterpret_cast<VantrelOpenFn>(dlsym(library, "OpenVantrel")) : nullptr;
    if (!open) {
        std::fprintf(stderr, "cannot load the library: %s\n", dlerror());
        return 1;
    }
    if (QCoreApplication::instance()) return 1;

    std::atomic<bool> done{false};
    bool typed = false;
    std::thread user([&] {
        const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (!done && std::chrono::steady_clock::now() < giveUp) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            if (QCoreApplication* app = QCoreApplication::instance())
                QMetaObject::invokeMethod(app, [&typed] { Act(typed); }, Qt::QueuedConnection);
        }
    });
    open(0, "127.0.0.1", server.port(), "8001234");
    done = true;
    user.join();

    const bool madeApplication = qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    // The login, then the main window's system parameter fetch.
    const bool loggedIn = server.requests().size() == 2 &&
                          server.requests()[0].find("8001234\x08" "123456\x08") != std::string::npos;
    std::printf("application made by the library: %d, login sent: %d\n", madeApplication, loggedIn);
    return madeApplication && loggedIn ? 0 : 1;
}
