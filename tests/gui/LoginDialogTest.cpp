// The login dialog against a scripted middleware: the password key filter,
// Enter, the two input checks, refused and successful logins, the state a
// login leaves behind, the caption override and the dialog's own controls.
#include <QtTest>

#include <QClipboard>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>

#include "EngineFixture.h"
#include "ScriptedPrompts.h"
#include "ScriptedServer.h"
#include "TestFolder.h"
#include "common/Clock.h"
#include "common/DailyLog.h"
#include "common/TextCodec.h"
#include "entry/MainWindowLauncher.h"
#include "entry/TfrmLoginMoney.h"
#include "ProcessSession.h"
#include "widgets/TRedTabSet.h"
#include "widgets/TfFormSK.h"

using namespace vantrel;

namespace {

const std::vector<std::string> kAccountColumns = {"BankID", "BankName", "CustBankAcctNo", "MoneyType",
                                                  "CompId", "BankType", "Url"};

std::string AccountsAnswer(const std::vector<std::vector<std::string>>& rows) {
    auto items = kAccountColumns;
    for (const auto& row : rows) items.insert(items.end(), row.begin(), row.end());
    return test::AnswerFrame(items, 7);
}

std::string RefusedAnswer() { return test::AnswerFrame({"Code", "Text", "E1002", "password wrong"}, 2, "E1002"); }

// The password as it went over the wire: the values follow the names.
bool SentPassword(const std::string& payload, const std::string& password) {
    return payload.find("8001234\x08" + password + "\x08") != std::string::npos;
}

// A main window with a tab strip and its design-time captions.
class TabbedMainWindow : public TfrmNoneForm {
public:
    TabbedMainWindow() {
        setObjectName("frmVantrel");
        auto* strip = new TRedTabSet(ClientArea());
        strip->setObjectName("RTBIOKind");
        strip->setTabs({"全部", "入金", "出金"});
    }
};

}  // namespace

class LoginDialogTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestFolder> folder;
    std::unique_ptr<test::ScopedAppPath> appPath;
    std::unique_ptr<test::ScriptedServer> server;
    std::unique_ptr<test::ScriptedPrompts> user;
    QStringList launched;
    Session* launchedWith = nullptr;

    void writeBankIni(const std::string& utf8) {
        auto gbk = Utf8ToGbk(utf8);
        QVERIFY(gbk.ok());
        folder->write("Bank.ini", gbk.value());
    }

    std::unique_ptr<TfrmLoginMoney> makeDialog() {
        auto dialog = CreateForm<TfrmLoginMoney>(Process());
        dialog->txtUser->setText("8001234");
        dialog->FixedHost = "127.0.0.1";
        dialog->FixedPort = server->port();
        return dialog;
    }

    static void waitForReady(TfrmLoginMoney& dialog) { QTRY_VERIFY(dialog.btnOk->isEnabled()); }

    QStringList messages() const {
        QStringList texts;
        for (const auto& message : user->messages) texts << message.text;
        return texts;
    }

    std::string errorLog() const {
        const auto name = DailyFileName(folder->appPath() + "logs/", ".log", ToLocal(Now()));
        const auto relative = name.substr(folder->appPath().size());
        if (!folder->exists(relative)) return {};
        return GbkToUtf8(folder->read(relative)).valueOr("<not GBK>");
    }

private slots:
    void init() {
        EndProcessSession();
        folder = std::make_unique<test::TestFolder>();
        appPath = std::make_unique<test::ScopedAppPath>(*folder);
        writeBankIni(test::kStandardBankIni);
        StartLibrary();
        server = std::make_unique<test::ScriptedServer>();
        user = std::make_unique<test::ScriptedPrompts>();
        launched.clear();
        launchedWith = nullptr;
        SetMainWindowLauncher([this](Session& session) {
            launched << QString::fromStdString(session.ActiveServer.TradeID);
            launchedWith = &session;
        });
    }

    void cleanup() {
        SetMainWindowLauncher({});
        user.reset();
        EndProcessSession();
        server.reset();
        appPath.reset();
        folder.reset();
    }

    void passwordKeyFilterDropsAllButLettersAndDigits() {
        auto dialog = makeDialog();
        QTest::keyClicks(dialog->txtPass, "a1 B-2.");
        QCOMPARE(dialog->txtPass->text(), QString("a1B2"));
        QTest::sendKeyEvent(QTest::Click, dialog->txtPass, Qt::Key_Eacute, QString("é"), Qt::NoModifier);
        QTest::keyClicks(dialog->txtPass, "@_x");
        QCOMPARE(dialog->txtPass->text(), QString("a1B2x"));
        QTest::keyClick(dialog->txtPass, Qt::Key_Backspace);
        QCOMPARE(dialog->txtPass->text(), QString("a1B2"));
        // Editing keys are not typing.
        QTest::keyClick(dialog->txtPass, Qt::Key_Home);
        QTest::keyClick(dialog->txtPass, Qt::Key_Delete);
        QCOMPARE(dialog->txtPass->text(), QString("1B2"));
    }

    void pastedPasswordIsSentAndStoredTrimmed() {
        server->enqueue({AccountsAnswer({{"005", "测试银行", "6222001", "0", "C01", "0", ""}})});
        auto dialog = makeDialog();
        waitForReady(*dialog);
        QGuiApplication::clipboard()->setText(" p-w 1 ");
        dialog->txtPass->paste();
        QCOMPARE(dialog->txtPass->text(), QString(" p-w 1 "));
        dialog->btnOkClick();
        QCOMPARE(server->requests().size(), size_t(1));
        QVERIFY(SentPassword(server->requests()[0], "p-w 1"));
        QCOMPARE(CustomerSession().MoneyPwd, std::string("p-w 1"));
    }

    void enterLogsInOncePerKeyPressAlsoWhileOkIsDisabled() {
        server->enqueue({RefusedAnswer()});
        server->enqueue({RefusedAnswer()});
        auto dialog = makeDialog();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        dialog->Timer->stop();  // hold the dialog before its first tick
        QVERIFY(!dialog->btnOk->isEnabled());
        QTest::keyClicks(dialog->txtPass, "123456");
        QTest::keyClick(dialog->txtPass, Qt::Key_Return);
        QCOMPARE(server->requests().size(), size_t(1));

        dialog->TimerTimer();
        QVERIFY(dialog->btnOk->isEnabled());
        QVERIFY(dialog->btnOk->isDefault());
        QTest::keyClicks(dialog->txtPass, "123456");
        QTest::keyClick(dialog->txtPass, Qt::Key_Enter);
        QCOMPARE(server->requests().size(), size_t(2));
        QVERIFY(launched.isEmpty());
    }

    void enterInTradeNumberMovesToPasswordWithoutLoggingIn() {
        auto dialog = makeDialog();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        waitForReady(*dialog);
        dialog->txtUser->setFocus();
        QCOMPARE(dialog->focusWidget(), dialog->txtUser);
        QTest::keyClick(dialog->txtUser, Qt::Key_Return);
        QCOMPARE(dialog->focusWidget(), dialog->txtPass);
        QCOMPARE(server->connections(), 0);
        QVERIFY(user->messages.empty());
    }

    void emptyTradeNumberOrPasswordSendsNothing() {
        auto dialog = makeDialog();
        dialog->txtUser->setText("  ");
        dialog->txtPass->setText("123");
        dialog->btnOkClick();
        dialog->txtUser->setText("8001234");
        QGuiApplication::clipboard()->setText("   ");
        dialog->txtPass->clear();
        dialog->txtPass->paste();
        dialog->btnOkClick();

        QCOMPARE(messages(), QStringList({"请输入正确的交易商号!", "密码不正确,请核实!"}));
        for (const auto& message : user->messages) {
            QCOMPARE(message.title, QString("系统提示"));
            QCOMPARE(message.buttons, int(MbOk));
        }
        QCOMPARE(dialog->txtPass->text(), QString());
        QCOMPARE(server->connections(), 0);
    }

    void refusedLoginClearsPasswordAndASecondTrySucceeds() {
        server->enqueue({RefusedAnswer()});
        server->enqueue({AccountsAnswer({{"005", "测试银行", "6222001", "0", "C01", "0", ""}})});
        auto dialog = makeDialog();
        dialog->txtPass->setText("111111");
        dialog->btnOkClick();
        QCOMPARE(dialog->Login().LastMessage, std::string("E1002 : 资金密码错误"));
        QCOMPARE(messages().last(), QString("E1002 : 资金密码错误"));
        QCOMPARE(dialog->txtPass->text(), QString());
        QVERIFY(launched.isEmpty());
        QVERIFY(dialog->result() != QDialog::Accepted);
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);

        dialog->txtPass->setText("123456");
        dialog->btnOkClick();
        QCOMPARE(dialog->Login().LastMessage, std::string("登录成功"));
        QCOMPARE(launched, QStringList({"8001234"}));
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
        QVERIFY(dialog->isHidden());
        QVERIFY(SentPassword(server->requests()[1], "123456"));
    }

    void logBlocksAreShownDuringTheLogin() {
        server->enqueue({RefusedAnswer()});
        auto dialog = makeDialog();
        dialog->txtPass->setText("111111");
        dialog->btnOkClick();
        // The connection's block, the outcome's block, then LastMessage.
        const QStringList shown = messages();
        QCOMPARE(shown.size(), 3);
        QVERIFY(shown[0].startsWith("===") && shown[0].contains("信息：连接服务器 "));
        QVERIFY(shown[1].contains("信息：E1002 : 资金密码错误"));
        QVERIFY(!shown[1].endsWith("\n"));

        // Blank blocks and bare texts are not shown.
        dialog->logSink()->LogBlock(" \r\n ", LogInfo);
        dialog->logSink()->LogText("text", LogError);
        QCOMPARE(user->messages.size(), size_t(3));
    }

    void successWithoutRowsKeepsTheSignedAccounts() {
        QVERIFY(SignedBankTable().defineFields({{"BankID", FieldType::Text, 10}}).ok());
        QVERIFY(SignedBankTable().appendRow({"007"}).ok());
        server->enqueue({AccountsAnswer({})});
        auto dialog = makeDialog();
        dialog->txtPass->setText("123456");
        dialog->btnOkClick();
        QCOMPARE(SignedBankTable().recordCount(), 1);
        QCOMPARE(SignedBankTable().text(0, "BankID"), std::string("007"));
        QCOMPARE(CustomerSession().MoneyPwd, std::string("123456"));
        QCOMPARE(launched, QStringList({"8001234"}));
        QCOMPARE(launchedWith, &Process());  // the main window gets the session the login filled
    }

    void successCopiesTheAccountsAndThePassword() {
        server->enqueue({AccountsAnswer({{"005", "测试银行", "6222001", "0", "C01", "0", ""},
                                         {"999", "外汇账户", "6222999", "1", "C02", "1", "https://b.example/"}})});
        auto dialog = makeDialog();
        dialog->txtPass->setText("Ab12");
        dialog->btnOkClick();
        QCOMPARE(SignedBankTable().recordCount(), 2);
        QCOMPARE(SignedBankTable().text(1, "BankName"), std::string("外汇账户"));
        QCOMPARE(SignedBankTable().text(1, "Url"), std::string("https://b.example/"));
        QCOMPARE(CustomerSession().MoneyPwd, std::string("Ab12"));
        QCOMPARE(ActiveServer().TradeID, std::string("8001234"));
        QCOMPARE(ActiveServer().Port, server->port());
    }

    void failureAfterTheLoginGoesToTheErrorLogOnly() {
        server->enqueue({AccountsAnswer({})});
        SetMainWindowLauncher([](Session&) { throw FormCreationError("main window broken"); });
        auto dialog = makeDialog();
        dialog->txtPass->setText("123456");
        const auto shownBefore = user->messages.size();
        dialog->btnOkClick();
        QVERIFY(errorLog().find("  uMoneyLogin ->  btnOkClick -> main window broken\r\n") != std::string::npos);
        // Only the request's own log blocks were shown.
        QCOMPARE(user->messages.size(), shownBefore + 2);
        QVERIFY(dialog->isHidden());
        QCOMPARE(dialog->result(), int(QDialog::Accepted));
    }

    void mainWindowWithATabStripOpensWithoutBankIni() {
        server->enqueue({AccountsAnswer({})});
        QStringList opened;
        SetMainWindowLauncher([&](Session& session) {
            const QString tradeId = QString::fromStdString(session.ActiveServer.TradeID);
            auto window = CreateForm<TabbedMainWindow>();
            opened << tradeId << window->findChild<TRedTabSet*>("RTBIOKind")->tabs().join(",");
        });
        auto dialog = makeDialog();
        QVERIFY(QFile::remove(QString::fromStdString(folder->appPath() + "Bank.ini")));
        dialog->txtPass->setText("123456");
        dialog->btnOkClick();
        QCOMPARE(opened, QStringList({"8001234", "全部,入金,出金"}));
        QVERIFY(dialog->isHidden());
        QVERIFY(QGuiApplication::overrideCursor() == nullptr);
    }

    void softKeyboardTypesThroughThePasswordFilter() {
        auto dialog = makeDialog();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        QCursor::setPos(dialog->mapToGlobal(QPoint(200, 60)));
        dialog->btnKeyClick();
        TfFormSK* keyboard = CurrentSoftKeyboard();
        QVERIFY(keyboard);
        QCOMPARE(keyboard->Target(), dialog.get());
        QCOMPARE(dialog->focusWidget(), dialog->txtPass);
        QCOMPARE(keyboard->pos(), QPoint(QCursor::pos().x() - dialog->txtPass->width(), QCursor::pos().y() + 10));

        QPushButton* letter = nullptr;
        QPushButton* punctuation = nullptr;
        for (int n = 1; n <= KeyCount; ++n) {
            QPushButton* key = keyboard->Button(QString("Btn_%1").arg(n));
            const QChar c = key ? keyboard->KeyChar(key) : QChar();
            if (!letter && c.isLetter()) letter = key;
            if (!punctuation && c.isPunct()) punctuation = key;
        }
        QVERIFY(letter && punctuation);
        const QChar typed = keyboard->KeyChar(letter);
        letter->click();
        punctuation->click();
        QCOMPARE(dialog->txtPass->text(), QString(typed));
        keyboard->close();
    }

    // As a person uses it: the dialog runs modally, as the export shows it,
    // and the clicks come through the window system, where Qt's modal
    // blocking applies.
    void softKeyboardTakesClicksWhileTheDialogIsModal() {
        auto dialog = makeDialog();
        auto steps = [&] {
            QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
            const QPoint keyButton = dialog->btnKey->mapTo(dialog.get(), dialog->btnKey->rect().center());
            QCursor::setPos(dialog->mapToGlobal(keyButton));
            QTest::mouseClick(dialog->windowHandle(), Qt::LeftButton, Qt::NoModifier, keyButton);
            QTRY_VERIFY(CurrentSoftKeyboard() && CurrentSoftKeyboard()->isVisible());
            TfFormSK* keyboard = CurrentSoftKeyboard();
            QVERIFY(QTest::qWaitForWindowExposed(keyboard));
            QPushButton* digit = keyboard->Button("Btn_2");  // a digit, which txtPass takes
            const QChar typed = keyboard->KeyChar(digit);
            QTest::mouseClick(keyboard->windowHandle(), Qt::LeftButton, Qt::NoModifier, digit->geometry().center());
            QTRY_COMPARE(dialog->txtPass->text(), QString(typed));
            QVERIFY(keyboard->isVisible());
            // A click back into the dialog takes the activation: the keyboard goes.
            QTRY_VERIFY(keyboard->isActiveWindow());
            dialog->activateWindow();
            QTRY_VERIFY(!CurrentSoftKeyboard());
        };
        QTimer::singleShot(0, dialog.get(), [&] {
            steps();
            if (TfFormSK* keyboard = CurrentSoftKeyboard()) keyboard->close();
            dialog->done(QDialog::Rejected);
        });
        dialog->exec();
    }

    void escapeKeepsTheDialogOpenAndThePasswordShowsStars() {
        auto dialog = makeDialog();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        waitForReady(*dialog);
        QTest::keyClicks(dialog->txtPass, "ab12");
        QTest::keyClick(dialog->txtPass, Qt::Key_Escape);
        QVERIFY(dialog->isVisible());
        QCOMPARE(dialog->txtPass->text(), QString("ab12"));
        QCOMPARE(dialog->txtPass->displayText(), QString("****"));
    }

    void trimmedTradeNumberIsSentAndLaunched() {
        server->enqueue({AccountsAnswer({})});
        auto dialog = makeDialog();
        dialog->txtUser->setText(" ab12 ");
        QCOMPARE(dialog->txtUser->text(), QString(" AB12 "));
        dialog->txtPass->setText("1");
        dialog->btnOkClick();
        QCOMPARE(launched, QStringList({"AB12"}));
        QCOMPARE(ActiveServer().TradeID, std::string("AB12"));
    }

    void captionComesFromLabelCaptionOrTheDesign() {
        QCOMPARE(makeDialog()->windowTitle(), QString("银行转账登录"));
        writeBankIni(std::string(test::kStandardBankIni) + "[LabelCaption]\nfrmLoginMoney=网银登录\n");
        QCOMPARE(makeDialog()->windowTitle(), QString("网银登录"));
        QFile::remove(QString::fromStdString(folder->appPath() + "Bank.ini"));
        QCOMPARE(makeDialog()->windowTitle(), QString("银行转账登录"));
    }

    void firstTimerTickEnablesTheButtons() {
        auto dialog = makeDialog();
        dialog->UseServerChoice();
        QVERIFY(!dialog->btnOk->isEnabled() && !dialog->btnExit->isEnabled() && !dialog->btnSet->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(!dialog->Timer->isActive(), 1000);
        QVERIFY(dialog->btnOk->isEnabled() && dialog->btnExit->isEnabled() && dialog->btnSet->isEnabled());
        QVERIFY(dialog->lblHint->isHidden());
    }

    void btnSetTogglesTheHeight() {
        auto dialog = makeDialog();
        dialog->UseServerChoice();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        waitForReady(*dialog);
        QVERIFY(dialog->Panel1->visibleRegion().isEmpty());
        QTest::mouseClick(dialog->btnSet, Qt::LeftButton);
        QCOMPARE(dialog->height(), 300);
        QTRY_VERIFY(!dialog->Panel1->visibleRegion().isEmpty());
        QTest::mouseClick(dialog->btnSet, Qt::LeftButton);
        QCOMPARE(dialog->height(), 200);
        QTest::mouseClick(dialog->btnSet, Qt::LeftButton);
        QCOMPARE(dialog->height(), 300);
        QCOMPARE(dialog->width(), 342);
    }

    // The pictures of docs/screenshots, saved when VANTREL_SCREENSHOTS names
    // a folder.
    void screenshots() {
        auto dialog = makeDialog();
        dialog->UseServerChoice();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        waitForReady(*dialog);
        QTest::keyClicks(dialog->txtPass, "123456");
        const QImage normal = dialog->grab().toImage();
        QCOMPARE(normal.size() / normal.devicePixelRatio(), QSize(342, 206));
        dialog->btnSetClick();
        QTest::qWait(50);
        const QImage enlarged = dialog->grab().toImage();
        QCOMPARE(enlarged.size() / enlarged.devicePixelRatio(), QSize(342, 300));
        // The server controls come into view below the buttons.
        QVERIFY(enlarged.copy(0, 206, 342, 80) != QImage(342, 80, enlarged.format()));

        const QString folder = qEnvironmentVariable("VANTREL_SCREENSHOTS");
        if (folder.isEmpty()) return;
        QVERIFY(normal.save(folder + "/login.png"));
        QVERIFY(enlarged.save(folder + "/login-enlarged.png"));
    }

    void btnExitClosesTheDialog() {
        auto dialog = makeDialog();
        dialog->show();
        QVERIFY(QTest::qWaitForWindowExposed(dialog.get()));
        waitForReady(*dialog);
        QTest::mouseClick(dialog->btnExit, Qt::LeftButton);
        QVERIFY(dialog->isHidden());
        QCOMPARE(dialog->result(), int(QDialog::Rejected));
        QVERIFY(launched.isEmpty());
    }
};

QTEST_MAIN(LoginDialogTest)
#include "LoginDialogTest.moc"
