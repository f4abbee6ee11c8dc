// The server list on the Qt side: the login dialog's server choice, the list
// and edit dialogs with their save points, and the speed test window. Servers
// are loopback listeners and refused loopback ports only.
#include <QtTest>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>

#include <asio.hpp>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

#include "EngineFixture.h"
#include "ScriptedPrompts.h"
#include "ScriptedServer.h"
#include "TestFolder.h"
#include "common/MemoryTable.h"
#include "common/Profile.h"
#include "common/TextCodec.h"
#include "entry/MainWindowLauncher.h"
#include "entry/TfrmLoginMoney.h"
#include "grid/DBGrid.h"
#include "ProcessSession.h"
#include "protocol/TBankLogin.h"
#include "servers/ServerList.h"
#include "servers/THostRespondCheck.h"
#include "servers/TfrmConfig.h"
#include "servers/TfrmConfigSet.h"
#include "servers/TfrmTestSpeed.h"

using namespace vantrel;

namespace {

// A loopback port with nothing listening: connects are refused at once.
int RefusedPort() {
    asio::io_context io;
    asio::ip::tcp::acceptor probe(io, asio::ip::tcp::endpoint(asio::ip::make_address("127.0.0.1"), 0));
    const int port = probe.local_endpoint().port();
    probe.close();
    return port;
}

// Probe hooks under which server 1 answers at once and server 2 hangs until
// `release` is set (five seconds at the most), then fails.
THostRespondCheck::ProbeHooks HoldServer2Until(const std::atomic<bool>& release) {
    THostRespondCheck::ProbeHooks hooks;
    hooks.connect = [&release](const THostInfo& host, std::chrono::milliseconds) {
        if (host.HostID == 1) return true;
        for (int i = 0; i < 500 && !release; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return false;
    };
    return hooks;
}

std::string LoginAnswer() {
    return test::AnswerFrame({"BankID", "BankName", "CustBankAcctNo", "MoneyType", "CompId", "BankType", "Url", "005",
                              "测试银行", "6222001", "0", "C01", "0", ""},
                             7);
}

const char* const kGridSection = R"([SetDBGrid4]
ColWidth=35,109,116,69
ColTotal=0,0,0,0
ColVisual=1,1,1,1
ColTag=1,2,3,4
ColAlign=E,C,C,C
ColColor=clWhite,clWhite,clWhite,clWhite
ColStyle=0,0,0,0
ColDBWidth=1,20,40,10
ColDataType=0,0,0,0
Col1=选择
Col2=服务器名称
Col3=服务器IP
Col4=端口
)";

std::string ServerSectionText(int n, const std::string& name, const std::string& ip, const std::string& port) {
    std::string text = "[MoneyServer" + std::to_string(n) + "]\n";
    if (!name.empty()) text += "ServerName=" + name + "\n";
    text += "ServerIP=" + ip + "\n";
    if (port != "-") text += "Port=" + port + "\n";
    return text;
}

// Runs `act` on the next modal dialog of type Form once it is up.
template <class Form>
void WhenModal(const std::function<void(Form*)>& act) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        auto* form = qobject_cast<Form*>(QApplication::activeModalWidget());
        if (!form || !form->isVisible()) return;
        poll->stop();
        poll->deleteLater();
        act(form);
    });
    poll->start();
}

}  // namespace

class ServerDialogsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<test::TestFolder> folder;
    std::unique_ptr<test::ScopedAppPath> appPath;
    std::unique_ptr<test::ScriptedPrompts> user;

    void writeBankIni(const std::string& servers, int systemPort = 12345) {
        std::string ini = test::kStandardBankIni;
        ini.replace(ini.find("Port=12345"), 10, "Port=" + std::to_string(systemPort));
        ini += kGridSection;
        ini += servers;
        folder->write("Bank.ini", Utf8ToGbk(ini).value());
    }
    Profile ini() const { return Profile::Load(folder->path() / "Bank.ini"); }

    std::unique_ptr<TfrmLoginMoney> showLogin() {
        auto dialog = CreateForm<TfrmLoginMoney>(Process());
        dialog->txtUser->setText("8001234");
        dialog->UseServerChoice();
        dialog->show();
        return dialog;
    }
    static void waitForReady(TfrmLoginMoney& dialog) { QTRY_VERIFY_WITH_TIMEOUT(dialog.btnOk->isEnabled(), 10000); }
    static void logIn(TfrmLoginMoney& dialog) {
        QTest::keyClicks(dialog.txtPass, "123456");
        QTest::keyClick(dialog.txtPass, Qt::Key_Return);
    }
    QStringList messages() const {
        QStringList texts;
        for (const auto& message : user->messages) texts << message.text;
        return texts;
    }

private slots:
    void init() {
        EndProcessSession();
        folder = std::make_unique<test::TestFolder>();
        appPath = std::make_unique<test::ScopedAppPath>(*folder);
        writeBankIni("");
        StartLibrary();
        user = std::make_unique<test::ScriptedPrompts>();
        SetMainWindowLauncher([](Session&) {});
    }
    void cleanup() {
        SetMainWindowLauncher({});
        user.reset();
        EndProcessSession();
        appPath.reset();
        folder.reset();
    }

    // ---- login dialog, server-choice path

    void namelessSectionIsProbedButNotListedAndPickingByNameUsesItsOwnSection() {
        test::ScriptedServer first, third;
        third.enqueue({LoginAnswer()});
        const int refused = RefusedPort();
        writeBankIni("[MoneyServer]\nCount=3\n" + ServerSectionText(1, "甲", "127.0.0.1", std::to_string(first.port())) +
                     ServerSectionText(2, "", "127.0.0.1", std::to_string(refused)) +
                     ServerSectionText(3, "丙", "127.0.0.1", std::to_string(third.port())) +
                     ServerSectionText(4, "丁", "127.0.0.1", std::to_string(first.port())));
        auto dialog = showLogin();
        // Buttons stay disabled until the first probe has ended.
        QVERIFY(!dialog->btnOk->isEnabled());
        QVERIFY(!dialog->btnSet->isEnabled());
        QCOMPARE(dialog->txtHost->count(), 2);
        QCOMPARE(dialog->txtHost->itemText(1), QString("丙"));
        QCOMPARE(dialog->txtHost->currentIndex(), -1);
        QCOMPARE(dialog->Checker()->HostCount(), 3);  // [MoneyServer4] is beyond Count
        waitForReady(*dialog);
        QVERIFY(dialog->lblHint->isHidden());

        QVERIFY(!dialog->txtHost->isEnabled());
        dialog->ChkAuto->click();
        QVERIFY(dialog->txtHost->isEnabled());
        dialog->txtHost->setCurrentIndex(1);
        logIn(*dialog);
        QTRY_COMPARE(third.requests().size(), size_t(1));
        QCOMPARE(first.requests().size(), size_t(0));
        QCOMPARE(dialog->Login().Settings.Port, third.port());
    }

    void pickingASectionWithoutPortFailsToConnect() {
        writeBankIni("[MoneyServer]\nCount=1\n" + ServerSectionText(1, "甲", "127.0.0.1", "-"));
        auto dialog = showLogin();
        waitForReady(*dialog);
        dialog->ChkAuto->setChecked(false);
        logIn(*dialog);
        QCOMPARE(dialog->Login().Settings.Port, 0);
        QVERIFY(!messages().isEmpty());
        QVERIFY2(messages().back().contains("连接服务器失败"), qPrintable(messages().join('|')));
        QVERIFY(dialog->isVisible());
    }

    void automaticChoiceTakesTheAnsweringServerElseTheSystemOne() {
        test::ScriptedServer answering, system;
        answering.enqueue({LoginAnswer()});
        system.enqueue({LoginAnswer()});
        const int refused = RefusedPort();
        writeBankIni("[MoneyServer]\nCount=2\n" + ServerSectionText(1, "坏", "127.0.0.1", std::to_string(refused)) +
                         ServerSectionText(2, "好", "127.0.0.1", std::to_string(answering.port())),
                     system.port());
        {
            auto dialog = showLogin();
            waitForReady(*dialog);
            logIn(*dialog);
            QTRY_COMPARE(answering.requests().size(), size_t(1));
            QVERIFY(dialog->isHidden());
        }
        // Nobody answers: the [system] server.
        writeBankIni("[MoneyServer]\nCount=1\n" + ServerSectionText(1, "坏", "127.0.0.1", std::to_string(refused)),
                     system.port());
        auto dialog = showLogin();
        waitForReady(*dialog);
        QVERIFY(!dialog->Checker()->ChooseBestHost());
        logIn(*dialog);
        QTRY_COMPARE(system.requests().size(), size_t(1));
    }

    void emptyListStopsTheLoginWithItsMessage() {
        writeBankIni("[MoneyServer]\nCount=2\n" + ServerSectionText(1, "", "127.0.0.1", "1"));
        auto dialog = showLogin();
        waitForReady(*dialog);
        QCOMPARE(dialog->txtHost->count(), 0);
        QCOMPARE(dialog->Checker()->HostCount(), 0);
        logIn(*dialog);
        QCOMPARE(messages(), QStringList{"服务器列表为空，请先配置资金中间列表!"});
    }

    void aRunningProbeRefusesCloseButEnterLogsInWithWhatAnswered() {
        test::ScriptedServer fast;
        fast.enqueue({LoginAnswer()});
        writeBankIni("[MoneyServer]\nCount=2\n" + ServerSectionText(1, "快", "127.0.0.1", std::to_string(fast.port())) +
                     ServerSectionText(2, "慢", "127.0.0.1", "9"));
        auto dialog = showLogin();
        waitForReady(*dialog);
        // A second probe in which server 2 hangs until released.
        std::atomic<bool> release{false};
        dialog->Checker()->SetProbeHooks(HoldServer2Until(release));
        dialog->LoadServerList();
        QVERIFY(dialog->Checker()->IsChecking());
        QTRY_VERIFY(dialog->lblHint->isVisible());
        dialog->close();
        QVERIFY(dialog->isVisible());
        QTRY_VERIFY(dialog->Checker()->ChooseBestHost().has_value());
        logIn(*dialog);
        QTRY_COMPARE(fast.requests().size(), size_t(1));
        QVERIFY(dialog->Checker()->IsChecking());
        release = true;
        QTRY_VERIFY(!dialog->Checker()->IsChecking());
    }

    // ---- list dialog from the login dialog

    void backSavesWithoutReloadingApplySavesAndReloads() {
        writeBankIni("[MoneyServer]\nCount=2\n" + ServerSectionText(1, "甲", "127.0.0.1", "1") +
                     ServerSectionText(2, "乙", "127.0.0.1", "2"));
        auto dialog = showLogin();
        waitForReady(*dialog);

        WhenModal<TfrmConfigSet>([](TfrmConfigSet* list) {
            (void)DeleteServerRow(list->ServerTable(), 0);
            list->btnExit->click();
        });
        dialog->btn1->click();
        QCOMPARE(ini().readInteger("MoneyServer", "Count", -1), 1);
        QCOMPARE(QString::fromStdString(ini().readString("MoneyServer1", "ServerName", "")), QString("乙"));
        QCOMPARE(dialog->txtHost->count(), 2);

        WhenModal<TfrmConfigSet>([](TfrmConfigSet* list) {
            (void)list->ServerTable().appendRow({"", "丙", "127.0.0.3", "3"});
            list->btnOk->click();
        });
        dialog->btn1->click();
        QCOMPARE(ini().readInteger("MoneyServer", "Count", -1), 2);
        QCOMPARE(dialog->txtHost->count(), 2);
        QCOMPARE(dialog->txtHost->itemText(0), QString("乙"));
        QCOMPARE(dialog->txtHost->itemText(1), QString("丙"));
        // A probe started here leaves the buttons usable.
        QVERIFY(dialog->btnOk->isEnabled());
    }

    // ---- list and edit dialogs

    void listDialogShowsTheNamedServersAndDeletesTheOnlyRow() {
        writeBankIni("[MoneyServer]\nCount=3\n" + ServerSectionText(1, "甲", "127.0.0.1", "1") +
                     ServerSectionText(3, " ", "127.0.0.3", "3"));
        auto list = CreateForm<TfrmConfigSet>();
        list->SectionPrefix = "MoneyServer";
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));
        QCOMPARE(list->ServerTable().recordCount(), 1);
        QCOMPARE(list->DBGrid4->model()->headerData(1, Qt::Horizontal).toString(), QString("服务器名称"));

        user->answers = {IdNo};
        list->btnDel->click();
        QCOMPARE(list->ServerTable().recordCount(), 1);
        user->answers = {IdYes};
        list->btnDel->click();
        QCOMPARE(messages().back(), QString("确定要删除吗?"));
        QCOMPARE(list->ServerTable().recordCount(), 0);
        QVERIFY(!ini().hasSection("MoneyServer1"));
        QCOMPARE(ini().readInteger("MoneyServer", "Count", -1), 0);
        // Nothing left to change or delete.
        const auto asked = user->messages.size();
        list->btnDel->click();
        list->btnModi->click();
        QCOMPARE(user->messages.size(), asked);
        list->close();  // the close box: no save, not accepted
        QCOMPARE(list->result(), int(QDialog::Rejected));
    }

    void editDialogAddsSeveralWithAddNextAndModifiesTheCurrentRow() {
        MemoryTable table;
        QVERIFY(table.defineFields({{"Col1"}, {"Col2"}, {"Col3"}, {"Col4"}}).ok());
        auto edit = CreateForm<TfrmConfig>();
        edit->EditServer(&table, false);
        edit->show();
        QVERIFY(edit->chkNext->isVisible());
        edit->chkNext->setChecked(true);

        QTest::keyClicks(edit->txtServerName, "   ");
        edit->btnOk->click();
        QCOMPARE(messages(), QStringList{"服务器名称不能为空!"});
        QCOMPARE(table.recordCount(), 0);

        edit->txtServerName->setText(" 甲 ");
        edit->txtServerIP->setText(" host.example ");
        QTest::keyClicks(edit->txtPort, "80a1");  // digits only
        QCOMPARE(edit->txtPort->text(), QString("801"));
        QTest::keyClick(edit->txtPort, Qt::Key_Return);  // Enter in the port applies
        edit->txtServerName->setText("乙");
        edit->btnOk->click();
        QVERIFY(edit->isVisible());
        QVERIFY(edit->txtServerName->text().isEmpty());
        QCOMPARE(table.recordCount(), 2);
        QCOMPARE(table.text(0, sfName), std::string("甲"));
        QCOMPARE(table.text(0, sfIP), std::string("host.example"));
        QCOMPARE(table.text(0, sfPort), std::string("801"));
        QCOMPARE(table.text(1, sfPort), std::string(""));
        edit->btnExit->click();
        QVERIFY(!edit->isVisible());
        QCOMPARE(table.recordCount(), 2);

        table.first();
        auto modify = CreateForm<TfrmConfig>();
        modify->EditServer(&table, true);
        modify->show();
        QVERIFY(modify->chkNext->isHidden());
        QCOMPARE(modify->txtServerName->text(), QString("甲"));
        modify->txtServerIP->setText("127.0.0.9");
        modify->btnOk->click();
        QVERIFY(!modify->isVisible());
        QCOMPARE(table.recordCount(), 2);
        QCOMPARE(table.text(0, sfIP), std::string("127.0.0.9"));
    }

    void aSaveThatFailsMidwayLeavesBankIniAsItWas() {
        std::string filler = "[Filler]\n";
        for (int i = 0; i < 600; ++i) filler += "k" + std::to_string(i) + "=v\n";
        writeBankIni("[MoneyServer]\nCount=1\n" + ServerSectionText(1, "甲", "127.0.0.1", "1") + filler);
        const std::string before = folder->read("Bank.ini");
        auto list = CreateForm<TfrmConfigSet>();
        list->SectionPrefix = "MoneyServer";
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));
        QVERIFY(list->ServerTable().appendRow({"", "乙", "127.0.0.2", "2"}).ok());
        SetProfileWriteFaultForTesting([](std::size_t written) { return written >= 4096; });
        list->btnOk->click();
        SetProfileWriteFaultForTesting({});
        QCOMPARE(folder->read("Bank.ini"), before);
        // The user is told, and the dialog stays for another try.
        QVERIFY(messages().back().startsWith("服务器列表保存失败"));
        QVERIFY(list->isVisible());
        list->btnOk->click();
        QCOMPARE(list->result(), int(QDialog::Accepted));
        QCOMPARE(ini().readInteger("MoneyServer", "Count", -1), 2);
    }

    void anUnreadableListIsNeverWrittenBack() {
        writeBankIni("[MoneyServer]\nCount=5000\n" + ServerSectionText(1, "甲", "127.0.0.1", "1"));
        const std::string before = folder->read("Bank.ini");
        auto list = CreateForm<TfrmConfigSet>();
        list->SectionPrefix = "MoneyServer";
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));
        QCOMPARE(list->ServerTable().recordCount(), 0);
        QVERIFY(!messages().isEmpty());
        list->btnOk->click();
        QCOMPARE(folder->read("Bank.ini"), before);
    }

    // ---- speed test

    void speedTestRowsFollowTheirOwnHosts() {
        test::ScriptedServer listening;
        const int refused = RefusedPort();
        writeBankIni("[MoneyServer]\nCount=4\n" + ServerSectionText(1, "名", "localhost", "1") +
                     ServerSectionText(2, "听", "127.0.0.1", std::to_string(listening.port())) +
                     ServerSectionText(3, "拒", "127.0.0.1", std::to_string(refused)));
        auto speed = CreateForm<TfrmTestSpeed>();
        speed->LoadServers("MoneyServer");
        speed->show();
        QCOMPARE(speed->SGrid->rowCount(), 5);  // the title row and four servers, [MoneyServer4] missing
        QCOMPARE(speed->SGrid->item(0, 1)->text(), QString("交易服名称"));
        QVERIFY(!speed->btnStop->isEnabled());
        speed->btnStart->click();
        QVERIFY(!speed->btnStart->isEnabled());
        QVERIFY(speed->btnStop->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(speed->btnStart->isEnabled(), 15000);
        QVERIFY(!speed->btnStop->isEnabled());

        QCOMPARE(speed->SGrid->item(2, 6)->text(), QString("连接成功"));
        QCOMPARE(speed->SGrid->item(2, 4)->text(), QString("1"));
        QVERIFY(speed->SGrid->item(2, 5)->text().endsWith(" ms"));
        QCOMPARE(speed->SGrid->item(3, 6)->text(), QString("连接超时"));
        QCOMPARE(speed->SGrid->item(3, 4)->text(), QString("3"));
        QCOMPARE(TfrmTestSpeed::CellTextColor(speed->SGrid->item(3, 6)->text()), QColor(255, 0, 0));
        for (int row : {1, 4})
            for (int c = 4; c < 7; ++c) QVERIFY(speed->SGrid->item(row, c)->text().isEmpty());
        QCOMPARE(TfrmTestSpeed::CellTextColor("连接成功"), QColor(0x40, 0x80, 0x80));
        QCOMPARE(TfrmTestSpeed::CellTextColor("正在检测"), QColor(0x00, 0x40, 0x80));
        QCOMPARE(TfrmTestSpeed::CellBackground(1, false), QColor(Qt::white));
        QCOMPARE(TfrmTestSpeed::CellBackground(2, false), QColor(0xF5, 0xF5, 0xF5));
        QCOMPARE(TfrmTestSpeed::CellBackground(2, true), QColor(0xFF, 0xCA, 0xFF));
    }

    void speedTestCountsATlsServerOnlyAfterItsHandshake() {
        // Completes TCP connects (the kernel does) and never says a word.
        asio::io_context io;
        asio::ip::tcp::acceptor silent(io, asio::ip::tcp::endpoint(asio::ip::address_v4::loopback(), 0));
        const auto port = std::to_string(silent.local_endpoint().port());
        writeBankIni("[MoneyServer]\nCount=2\n" + ServerSectionText(1, "加密", "127.0.0.1", port) + "Tls=1\n" +
                     ServerSectionText(2, "明文", "127.0.0.1", port));
        auto speed = CreateForm<TfrmTestSpeed>();
        speed->LoadServers("MoneyServer");
        speed->show();
        speed->btnStart->click();
        QTRY_VERIFY_WITH_TIMEOUT(speed->btnStart->isEnabled(), 20000);
        QCOMPARE(speed->SGrid->item(1, 6)->text(), QString("连接超时"));
        QCOMPARE(speed->SGrid->item(2, 6)->text(), QString("连接成功"));
    }

    void interruptMarksTheQueuedRowsAndReturnsToIdle() {
        writeBankIni("[MoneyServer]\nCount=2\n" + ServerSectionText(1, "一", "127.0.0.1", "1") +
                     ServerSectionText(2, "二", "127.0.0.1", "2"));
        auto speed = CreateForm<TfrmTestSpeed>();
        speed->LoadServers("MoneyServer");
        std::atomic<bool> release{false};
        std::atomic<int> connecting{0};
        THostRespondCheck::ProbeHooks hooks;
        hooks.connect = [&](const THostInfo&, std::chrono::milliseconds) {
            ++connecting;
            for (int i = 0; i < 300 && !release; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
            return false;
        };
        speed->Checker().SetProbeHooks(hooks);
        speed->show();
        speed->btnStart->click();
        // Both hosts taken, their notices posted but not handled yet.
        for (int i = 0; i < 400 && connecting < 2; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
        QCOMPARE(connecting.load(), 2);
        release = true;
        // No event handled in between: every notice of the run is still queued.
        speed->btnStop->click();
        QVERIFY(speed->Interrupted());
        QVERIFY(speed->btnStart->isEnabled());
        QTRY_VERIFY(!speed->Interrupted());
        for (int row : {1, 2}) {
            QCOMPARE(speed->SGrid->item(row, 4)->text(), QString("---"));
            QCOMPARE(speed->SGrid->item(row, 6)->text(), QString("检测中断"));
        }
    }

    void speedTestWithoutAProbeableHostStaysIdle() {
        writeBankIni("[MoneyServer]\nCount=2\n" + ServerSectionText(1, "名", "localhost", "1") +
                     ServerSectionText(2, "坏", "127.0.0.1", "x1"));
        auto speed = CreateForm<TfrmTestSpeed>();
        speed->LoadServers("MoneyServer");
        speed->btnStart->click();
        QVERIFY(speed->btnStart->isEnabled());
        QVERIFY(!speed->btnStop->isEnabled());
        QCOMPARE(speed->SGrid->item(2, 6)->text(), QString("无效的端口"));
    }

    // The pictures of docs/screenshots, saved when VANTREL_SCREENSHOTS names
    // a folder.
    void screenshots() {
        const QByteArray target = qgetenv("VANTREL_SCREENSHOTS");
        if (target.isEmpty()) QSKIP("VANTREL_SCREENSHOTS is not set");
        const QString dir = QString::fromLocal8Bit(target) + "/";
        test::ScriptedServer listening;
        const int refused = RefusedPort();
        writeBankIni("[MoneyServer]\nCount=3\n" +
                     ServerSectionText(1, "主中间件", "127.0.0.1", std::to_string(listening.port())) +
                     ServerSectionText(2, "备用中间件", "127.0.0.1", std::to_string(refused)) +
                     ServerSectionText(3, "域名服务器", "localhost", "11111"));

        // The login dialog enlarged while a probe runs (server 2 held back).
        auto dialog = showLogin();
        waitForReady(*dialog);
        dialog->btnSetClick();
        std::atomic<bool> release{false};
        dialog->Checker()->SetProbeHooks(HoldServer2Until(release));
        dialog->LoadServerList();
        QTRY_VERIFY(dialog->lblHint->isVisible());
        QTest::qWait(50);
        QVERIFY(dialog->grab().save(dir + "login-probing.png"));
        release = true;
        QTRY_VERIFY(!dialog->Checker()->IsChecking());
        dialog.reset();

        auto list = CreateForm<TfrmConfigSet>();
        list->SectionPrefix = "MoneyServer";
        list->show();
        QVERIFY(QTest::qWaitForWindowExposed(list.get()));
        list->DBGrid4->selectRow(0);
        QTest::qWait(50);
        QVERIFY(list->grab().save(dir + "server-list.png"));
        list.reset();

        MemoryTable table;
        QVERIFY(table.defineFields({{"Col1"}, {"Col2"}, {"Col3"}, {"Col4"}}).ok());
        auto edit = CreateForm<TfrmConfig>();
        edit->EditServer(&table, false);
        edit->txtServerName->setText("新中间件");
        edit->txtServerIP->setText("192.168.1.20");
        edit->txtPort->setText("11111");
        edit->show();
        QVERIFY(QTest::qWaitForWindowExposed(edit.get()));
        QVERIFY(edit->grab().save(dir + "server-edit.png"));
        edit.reset();

        auto speed = CreateForm<TfrmTestSpeed>();
        speed->LoadServers("MoneyServer");
        speed->show();
        QVERIFY(QTest::qWaitForWindowExposed(speed.get()));
        speed->btnStart->click();
        QTRY_VERIFY_WITH_TIMEOUT(speed->btnStart->isEnabled(), 15000);
        QTest::qWait(50);
        QVERIFY(speed->grab().save(dir + "speed-test.png"));
    }
};

QTEST_MAIN(ServerDialogsTest)
#include "ServerDialogsTest.moc"
