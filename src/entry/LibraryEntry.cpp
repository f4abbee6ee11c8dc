#include "entry/LibraryEntry.h"

#include <QApplication>
#include <QLineEdit>
#include <QThread>
#include <QtDebug>

#include <optional>

#include "common/Win32.h"

#include "common/ErrorLog.h"
#include "common/TextCodec.h"
#include "entry/MainWindowLauncher.h"
#include "entry/QtTranslation.h"
#include "entry/TfrmLoginMoney.h"
#include "mainwindow/TfrmVantrel.h"
#include "common/LibraryStart.h"
#include "protocol/Session.h"
#include "widgets/OwnerWindow.h"

namespace vantrel {
namespace {

// The QApplication the library made because the host had none; it lives
// until the process ends.
QApplication* ownApplication = nullptr;

constexpr int kTradeIdLength = 15;  // txtUser's limit

// The error log is the only place an export can report to; when even that
// fails, standard error is all that is left.
void ReportFailure(const std::string& text) noexcept {
    try {
        WriteErrorLog(text);
    } catch (const std::exception& failure) {
        qWarning("%s (error log not written: %s)", text.c_str(), failure.what());
    } catch (...) {
        qWarning("%s", text.c_str());
    }
}

std::optional<std::string> Decode(const char* gbk, const char* what, const char* exportName) {
    if (!gbk) {
        ReportFailure(std::string(exportName) + " -> " + what + " is missing");
        return std::nullopt;
    }
    auto text = GbkToUtf8(gbk);
    if (!text.ok()) {
        ReportFailure(std::string(exportName) + " -> " + what + " is not GBK text: " + text.error());
        return std::nullopt;
    }
    return std::move(text).value();
}

}  // namespace

// The QApplication and what the library put into it (its argc and argv, the
// translator, objects whose code is the library's) outlive the call, and Qt
// stays loaded under them: the library must stay mapped too, as -z nodelete
// keeps it on Linux. Pinned, a FreeLibrary by the host leaves it in place and
// a later LoadLibrary and call find it as they left it.
static void KeepLibraryLoaded() {
#ifdef _WIN32
    static const int inThisModule = 0;
    static const bool pinned = [] {
        HMODULE self = nullptr;
        return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                                  reinterpret_cast<LPCWSTR>(&inThisModule), &self) != 0;
    }();
    if (!pinned) ReportFailure("OpenVantrel -> the library could not be kept loaded (GetModuleHandleExW)");
#endif
}

bool EnsureLibraryRunning() {
    KeepLibraryLoaded();
    StartLibrary();
    // Once: a launcher installed later (a test's) stays in force.
    static const bool launcherInstalled = [] {
        SetMainWindowLauncher(RunMainWindow);
        return true;
    }();
    static_cast<void>(launcherInstalled);
    QCoreApplication* app = QCoreApplication::instance();
    if (!app) {
        // Widgets need a QApplication; one made here stays for the process
        // (Qt allows one per process), so argc and argv must outlive it.
        static int argc = 1;
        static char name[] = "vantrel";
        static char* argv[] = {name, nullptr};
        ownApplication = new QApplication(argc, argv);
        app = ownApplication;
    }
    if (!qobject_cast<QApplication*>(app)) {
        ReportFailure("OpenVantrel -> the host runs a QCoreApplication without widgets");
        return false;
    }
    if (app->thread() != QThread::currentThread()) {
        ReportFailure("OpenVantrel -> called from a thread other than the user-interface thread");
        return false;
    }
    // At every call: a host that installs a translation of Qt's texts later
    // keeps its own, and the library's stays once it is in.
    InstallQtTranslation();
    return true;
}

void RunLoginSequence(uintptr_t hostWindow, const char* host, int32_t port, const char* tradeId,
                      bool serverChoice) noexcept {
    const char* exportName = serverChoice ? "OpenVantrelEx" : "OpenVantrel";
    try {
        if (!EnsureLibraryRunning()) return;
        const auto trade = Decode(tradeId, "the trade number", exportName);
        if (!trade) return;
        std::optional<std::string> server;
        if (!serverChoice) {
            server = Decode(host, "the host", exportName);
            if (!server) return;
        }
        const QString tradeText = QString::fromStdString(*trade);
        // The edit would cut a longer number, and log in as somebody else.
        if (tradeText.size() > kTradeIdLength) {
            ReportFailure(std::string(exportName) + " -> the trade number " + *trade + " is longer than " +
                          std::to_string(kTradeIdLength) + " characters");
            return;
        }

        ScopedOwnerWindow owner(hostWindow);
        // This call's login: it ends, and its connection closes, when the
        // call returns. Declared before the windows that use it.
        Session session;
        auto dialog = CreateForm<TfrmLoginMoney>(session);
        dialog->txtUser->setText(tradeText);
        if (serverChoice) {
            dialog->UseServerChoice();
        } else {
            dialog->FixedHost = *server;
            dialog->FixedPort = port;
        }
        dialog->exec();
    } catch (const std::exception& failure) {
        ReportFailure(std::string(exportName) + " -> " + failure.what());
    } catch (...) {
        ReportFailure(std::string(exportName) + " -> unknown failure");
    }
}

}  // namespace vantrel
