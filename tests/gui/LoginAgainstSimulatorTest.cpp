// The login dialog against the real middleware simulator and the sample
// Bank.ini: typed key by key, refused, then accepted on the same dialog.
#include <QtTest>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>

#include <fstream>
#include <sstream>

#include "MiddlewareProcess.h"
#include "ScriptedPrompts.h"
#include "TestFolder.h"
#include "TlsFrontEnd.h"
#include "common/Profile.h"
#include "entry/MainWindowLauncher.h"
#include "entry/TfrmLoginMoney.h"
#include "protocol/ProcessState.h"
#include "protocol/TBankLogin.h"
#include "protocol/TlsSettings.h"
#include "servers/THostRespondCheck.h"

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
        StopLibrary();
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
        StopLibrary();
    }

    // [system] says plain TCP; the listed server says TLS, and only TLS gets
    // an answer from it. Both ways of choosing it must take its keys.
    void listedServerIsReachedWithItsOwnTlsKeys() {
        if (!TlsSupported()) QSKIP("built without OpenSSL");
        test::TestFolder folder;
        test::ScopedAppPath appPath(folder);
        test::TestCertificates certificates(folder.path());
        test::MiddlewareProcess middleware({"--reset", "--tls-cert", certificates.serverCert.string(), "--tls-key",
                                            certificates.serverKey.string()});
        std::ifstream sample(VANTREL_SOURCE_DIR "/examples/Bank.ini", std::ios::binary);
        std::stringstream bytes;
        bytes << sample.rdbuf();
        folder.write("Bank.ini", bytes.str());
        const auto ini = folder.path() / "Bank.ini";
        QVERIFY(WriteProfileString(ini, "MoneyServer1", "Port", std::to_string(middleware.port())).ok());
        QVERIFY(WriteProfileString(ini, "MoneyServer1", "Tls", "1").ok());
        QVERIFY(WriteProfileString(ini, "MoneyServer1", "TlsCaFile", "ca.pem").ok());
        StopLibrary();
        StartLibrary();
        test::ScriptedPrompts user;
        int launched = 0;
        SetMainWindowLauncher([&](Session&) { ++launched; });

        for (const bool automatic : {true, false}) {
            auto dialog = CreateForm<TfrmLoginMoney>(Process());
            dialog->txtUser->setText("8001234");
            dialog->UseServerChoice();
            dialog->show();
            QTRY_VERIFY_WITH_TIMEOUT(dialog->btnOk->isEnabled(), 15000);
            QCOMPARE(dialog->Checker()->FindHost(1)->State, int16_t(hsConnected));
            dialog->ChkAuto->setChecked(automatic);
            if (!automatic) dialog->txtHost->setCurrentIndex(0);
            QTest::keyClicks(dialog->txtPass, "123456");
            QTest::keyClick(dialog->txtPass, Qt::Key_Return);
            const QString shown = user.messages.empty() ? QString() : user.messages.back().text;
            QVERIFY2(launched == (automatic ? 1 : 2), qPrintable(shown));
            QVERIFY(dialog->Login().Settings.Tls.Enabled);
        }
        SetMainWindowLauncher({});
        StopLibrary();
    }
};

QTEST_MAIN(LoginAgainstSimulatorTest)
#include "LoginAgainstSimulatorTest.moc"
