// The login dialog against the real middleware simulator and the sample
// Bank.ini: typed key by key, refused, then accepted on the same dialog.
#include <QtTest>
#include <QLineEdit>
#include <QPushButton>

#include <fstream>
#include <sstream>

#include "MiddlewareProcess.h"
#include "ScriptedPrompts.h"
#include "TestFolder.h"
#include "common/Profile.h"
#include "entry/MainWindowLauncher.h"
#include "entry/TfrmLoginMoney.h"
#include "ProcessSession.h"

using namespace vantrel;

class LoginAgainstSimulatorTest : public QObject {
    Q_OBJECT

private slots:
    void wrongThenRightPasswordOnTheSameDialog() {
        test::MiddlewareProcess middleware({"--reset"});
        test::TestFolder folder;
        test::ScopedAppPath appPath(folder);
        std::ifstream sample(VANTREL_SOURCE_DIR "/examples/Bank.ini", std::ios::binary);
        std::stringstream bytes;
        bytes << sample.rdbuf();
        folder.write("Bank.ini", bytes.str());
        QVERIFY(WriteProfileString(folder.path() / "Bank.ini", "system", "Port",
                                   std::to_string(middleware.port()))
                    .ok());
        EndProcessSession();
        StartLibrary();
        test::ScriptedPrompts user;
        QStringList launched;
        SetMainWindowLauncher([&](Session& session) { launched << QString::fromStdString(session.ActiveServer.TradeID); });

        auto dialog = CreateForm<TfrmLoginMoney>(Process());
        dialog->txtUser->setText("8001234");
        dialog->FixedHost = "127.0.0.1";
        dialog->FixedPort = middleware.port();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QTRY_VERIFY(dialog->btnOk->isEnabled());

        QTest::keyClicks(dialog->txtPass, "654321");
        QTest::keyClick(dialog->txtPass, Qt::Key_Return);
        QVERIFY(launched.isEmpty());
        QVERIFY(dialog->txtPass->text().isEmpty());
        QVERIFY(!user.messages.empty());
        QVERIFY2(user.messages.back().text.contains("E1002"), qPrintable(user.messages.back().text));

        QTest::keyClicks(dialog->txtPass, "123456");
        QTest::keyClick(dialog->txtPass, Qt::Key_Return);
        QCOMPARE(launched, QStringList({"8001234"}));
        QCOMPARE(SignedBankTable().recordCount(), 3);
        QCOMPARE(CustomerSession().MoneyPwd, std::string("123456"));

        SetMainWindowLauncher({});
        dialog.reset();  // its login request runs over the session
        EndProcessSession();
    }
};

QTEST_MAIN(LoginAgainstSimulatorTest)
#include "LoginAgainstSimulatorTest.moc"
