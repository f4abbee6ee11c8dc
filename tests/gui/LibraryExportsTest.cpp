// The built library as a host sees it: loaded with dlopen, only the two
// entry points visible, and an export call that shows the login dialog owned
// by the host's window and logs in.
#include <QtTest>

#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWindow>

#include <dlfcn.h>

#include "EngineFixture.h"
#include "MiddlewareProcess.h"
#include "ScriptedServer.h"
#include "TestFolder.h"
#include "common/Clock.h"
#include "common/DailyLog.h"
#include "common/TextCodec.h"
#include "vantrel.h"

using namespace vantrel;

namespace {

QDialog* LoginDialog() {
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (widget->objectName() == "frmLoginMoney" && widget->isVisible()) return qobject_cast<QDialog*>(widget);
    return nullptr;
}

}  // namespace

class LibraryExportsTest : public QObject {
    Q_OBJECT

    void* library = nullptr;
    VantrelOpenFn open = nullptr;
    VantrelOpenExFn openEx = nullptr;
    std::unique_ptr<test::TestFolder> folder;
    std::unique_ptr<test::ScopedAppPath> appPath;
    int mainWindowsShown = 0;

    // What the user does while an export runs: `act` is called with the
    // login dialog once its buttons are ready; message boxes are answered
    // with OK and their texts kept; the main window a login opens is closed.
    QStringList runExport(const std::function<void()>& call, const std::function<void(QDialog*)>& act) {
        QStringList boxes;
        bool acted = false;
        QTimer user;
        user.setInterval(20);
        connect(&user, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                boxes << box->text();
                box->button(QMessageBox::Ok)->click();
                return;
            }
            if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->objectName() == "frmVantrel") {
                mainWindowsShown++;
                modal->close();
                return;
            }
            QDialog* dialog = LoginDialog();
            auto* exit = dialog ? dialog->findChild<QPushButton*>("btnExit") : nullptr;
            if (!acted && exit && exit->isEnabled()) {
                acted = true;
                // Not inside this timer's slot: a timer does not fire again
                // while its slot runs, and the login shows message boxes.
                QTimer::singleShot(0, dialog, [&act, dialog] { act(dialog); });
            }
        });
        user.start();
        call();
        return boxes;
    }

    std::string errorLog() const {
        const auto name = DailyFileName(folder->appPath() + "logs/", ".log", ToLocal(Now()));
        const auto relative = name.substr(folder->appPath().size());
        return folder->exists(relative) ? folder->read(relative) : std::string();
    }

private slots:
    void initTestCase() {
        library = dlopen(VANTREL_LIBRARY_FILE, RTLD_NOW | RTLD_LOCAL);
        QVERIFY2(library, dlerror());
        open = reinterpret_cast<VantrelOpenFn>(dlsym(library, "OpenVantrel"));
        openEx = reinterpret_cast<VantrelOpenExFn>(dlsym(library, "OpenVantrelEx"));
    }

    void init() {
        mainWindowsShown = 0;
        folder = std::make_unique<test::TestFolder>();
        appPath = std::make_unique<test::ScopedAppPath>(*folder);
        auto gbk = Utf8ToGbk(test::kStandardBankIni);
        QVERIFY(gbk.ok());
        folder->write("Bank.ini", gbk.value());
    }

    void cleanup() {
        appPath.reset();
        folder.reset();
    }

    void onlyTheEntryPointsAreVisible() {
        QVERIFY(open);
        QVERIFY(openEx);
        for (const char* internal : {"_ZN7vantrel12StartLibraryEv", "_ZN7vantrel16RunLoginSequenceEmPKciS1_b",
                                     "_ZN7vantrel9GbkToUtf8ESt17basic_string_viewIcSt11char_traitsIcEE"})
            QVERIFY2(!dlsym(library, internal), internal);
    }

    void openVantrelLogsInToTheGivenServerOwnedByTheHostWindow() {
        test::ScriptedServer server;
        server.enqueue({test::AnswerFrame({"BankID", "BankName", "CustBankAcctNo", "MoneyType", "CompId", "BankType",
                                           "Url", "005", "测试银行", "6222001", "0", "C01", "0", ""},
                                          7)});
        QWidget host;
        host.setWindowTitle("host");
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));

        QString user;
        WId owner = 0;
        const auto boxes = runExport(
            [&] { open(host.winId(), "127.0.0.1", server.port(), "8001234"); },
            [&](QDialog* dialog) {
                user = dialog->findChild<QLineEdit*>("txtUser")->text();
                if (QWindow* parent = dialog->windowHandle()->transientParent()) owner = parent->winId();
                QTest::keyClicks(dialog->findChild<QLineEdit*>("txtPass"), "123456");
                QTest::keyClick(dialog->findChild<QLineEdit*>("txtPass"), Qt::Key_Return);
            });
        QCOMPARE(user, QString("8001234"));
        QCOMPARE(owner, host.winId());
        // The login, then the main window's system parameter fetch.
        QCOMPARE(server.requests().size(), size_t(2));
        QVERIFY(server.requests()[0].find("8001234\x08" "123456\x08") != std::string::npos);
        QVERIFY(server.requests()[1].find("70002") != std::string::npos);
        // The connection's and the outcome's log blocks, then the main
        // window's complaint that this Bank.ini has no grid layouts.
        QCOMPARE(boxes.size(), 3);
        QVERIFY(boxes[2].contains("CardIDType"));
        QVERIFY(boxes[1].contains("登录成功"));
        QVERIFY(!LoginDialog());
        // The library's launcher opened the main window after the login.
        QCOMPARE(mainWindowsShown, 1);
    }

    void openVantrelExShowsTheServerControls() {
        bool settingsShown = false;
        runExport([&] { openEx(0, "8001234"); },
                  [&](QDialog* dialog) {
                      settingsShown = dialog->findChild<QPushButton*>("btnSet")->isVisible();
                      dialog->findChild<QPushButton*>("btnExit")->click();
                  });
        QVERIFY(settingsShown);
    }

    void badArgumentsAreLoggedAndShowNothing() {
        const auto boxes = runExport(
            [&] {
                open(0, "127.0.0.1", 1, "\x81\x20");  // a GBK lead byte without its trail
                open(0, nullptr, 1, "8001234");
                openEx(0, "1234567890123456");  // longer than the trade number field
            },
            [](QDialog* dialog) { dialog->reject(); });
        QVERIFY(boxes.isEmpty());
        const auto log = GbkToUtf8(errorLog()).valueOr("<not GBK>");
        QVERIFY2(log.find("OpenVantrel -> the trade number is not GBK text") != std::string::npos, log.c_str());
        QVERIFY(log.find("OpenVantrel -> the host is missing") != std::string::npos);
        QVERIFY(log.find("OpenVantrelEx -> the trade number 1234567890123456 is longer than 15 characters") !=
                std::string::npos);
    }

    void openVantrelExLogsInAutomaticallyToTheServerThatAnswers() {
        test::MiddlewareProcess simulator;
        // A loopback port with nothing listening on it.
        int refused = 0;
        {
            asio::io_context io;
            asio::ip::tcp::acceptor probe(io, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
            refused = probe.local_endpoint().port();
        }
        std::string ini = test::kStandardBankIni;
        ini.replace(ini.find("Port=12345"), 10, "Port=" + std::to_string(refused));
        ini += "[MoneyServer]\nCount=2\n[MoneyServer1]\nServerName=备用\nServerIP=127.0.0.1\nPort=" +
               std::to_string(refused) + "\n[MoneyServer2]\nServerName=模拟\nServerIP=127.0.0.1\nPort=" +
               std::to_string(simulator.port()) + "\n";
        folder->write("Bank.ini", Utf8ToGbk(ini).value());

        const auto boxes = runExport([&] { openEx(0, "8001234"); },
                                     [&](QDialog* dialog) {
                                         QTest::keyClicks(dialog->findChild<QLineEdit*>("txtPass"), "123456");
                                         QTest::keyClick(dialog->findChild<QLineEdit*>("txtPass"), Qt::Key_Return);
                                     });
        // The connection's and the outcome's log blocks, then the main
        // window's complaint that this Bank.ini has no grid layouts.
        QCOMPARE(boxes.size(), 3);
        // The [system] server and the first of the list refuse: only the
        // simulator can have answered the login.
        QVERIFY2(boxes[1].contains("登录成功"), qPrintable(boxes.join('|')));
        QVERIFY(!LoginDialog());
    }
};

QTEST_MAIN(LibraryExportsTest)
#include "LibraryExportsTest.moc"
