// The operations of the main window's pages, end to end against the
// simulator: transfers with their checks and summary, the queries, the fund
// password change, foreign exchange, the log toolbar and online deposit.
#include <QtTest>

#include <QClipboard>
#include <QComboBox>
#include <QCryptographicHash>
#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTextEdit>
#include <QTextList>
#include <QToolBar>
#include <QToolButton>
#include <QUrlQuery>

#include "MainWindowFixture.h"
#include "entry/QtTranslation.h"
#include "grid/DBGrid.h"
#include "mainwindow/InputRules.h"
#include "mainwindow/PageRequests.h"
#include "protocol/QueryRequests.h"
#include "protocol/TBuyBalanceRate.h"
#include "protocol/TQueryIOCommValue.h"
#include "protocol/TVantrel.h"
#include "widgets/TRedTabSet.h"

using namespace vantrel;
using namespace vantrel::test;

namespace {

// What the password fields hold after the customer typed `plain`.
QString Masked(const QString& plain) {
    QString masked;
    for (QChar c : plain) masked += MaskPasswordCharacter(c);
    return masked;
}

std::string Replaced(std::string text, const std::string& from, const std::string& to) {
    const auto at = text.find(from);
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

const QString kSummaryEnd = QStringLiteral("\r\n\r");

}  // namespace

class MainWindowOperationsTest : public MainWindowFixture {
    Q_OBJECT

    long long market(const char* trade) {
        return ledgerNumber(std::string("SELECT market_balance FROM customer WHERE trade_id = '") + trade + "'");
    }
    long long transfers(const char* trade) {
        return ledgerNumber(std::string("SELECT COUNT(*) FROM transfer WHERE trade_id = '") + trade + "'");
    }
    long long exchanges(const char* trade) {
        return ledgerNumber(std::string("SELECT COUNT(*) FROM exchange WHERE trade_id = '") + trade + "'");
    }
    QStringList asked() const {
        QStringList texts;
        for (const auto& message : user->messages) texts << message.text;
        return texts;
    }

    // Page 0 of 8001235 filled for a deposit of `amount`.
    void fillDeposit(TfrmVantrel& window, const QString& amount, const QString& memo = {}) {
        Find<QComboBox>(&window, "txtIO1")->setCurrentIndex(1);
        Chosen(Find<QComboBox>(&window, "txtIO1"));
        Find<QLineEdit>(&window, "txtMoneyPass1")->setText(Masked("123456"));
        Find<QLineEdit>(&window, "txtMoney1")->setText(amount);
        Find<QPlainTextEdit>(&window, "txtMemo1")->setPlainText(memo);
    }

    // Chooses the exchange account of 8001234 on page 5 as the picker does.
    void chooseExchangeAccount(TfrmVantrel& window) {
        Find<QTabWidget>(&window, "PageControl")->setCurrentIndex(PageForex);
        TBankInfo account = CustomerSession();
        account.BankID = "999";
        account.BankName = "外汇账户";
        account.CustBankAcctNo = "6222020200198765432";
        window.useAccount(account);
    }

private slots:
    void initTestCase() {
        sim = std::make_unique<MiddlewareProcess>();
        user = std::make_unique<ScriptedPrompts>();
    }

    void init() {
        folder = std::make_unique<TestFolder>();
        appPath = std::make_unique<ScopedAppPath>(*folder);
        writeBankIni(ExampleBankIni());
        user->messages.clear();
        user->answers.clear();
        user->files.clear();
        user->fonts.clear();
        user->colors.clear();
        user->openedUrls.clear();
        user->refusedUrls.clear();
        setParam("003", "IFRATE", "1");
        setParam("003", "PASSWORD", "");
        setParam("003", "50015", "1");
        setParam("003", "50017", "1");
        setParam("999", "PASSWORD", "");
    }

    void cleanup() {
        appPath.reset();
        folder.reset();
    }

    void confirmedDepositMovesTheMoneyAndListsIt() {
        auto window = openWindow("8001235");
        QVERIFY(window);
        const long long before = market("8001235");
        const long long rows = transfers("8001235");
        fillDeposit(*window, "100", "第一行\r\n第二行\n第三行");
        user->answers = {IdYes};
        Find<QPushButton>(window, "btnOk1")->click();

        // Five lines without a commission, each ended by CR LF CR but the last.
        const QString summary = QStringLiteral("确定要划转吗?") + kSummaryEnd + "银行账号 : 6228480010012345678" +
                                kSummaryEnd + "签约银行 : 中国农业银行" + kSummaryEnd + "市场账号 : 8001235" +
                                kSummaryEnd + "划转金额 : 100";
        QVERIFY(!user->messages.empty());
        QCOMPARE(user->messages.front().text, summary);
        QCOMPARE(user->messages.front().buttons, int(MbYesNo));
        QCOMPARE(user->messages.front().title, QString("系统提示"));

        QCOMPARE(market("8001235"), before + 10000);
        QCOMPARE(transfers("8001235"), rows + 1);
        QCOMPARE(QString::fromStdString(window->requests()->transfer.ChangeMoney), QString("10000"));
        // A multi-line memo travels as one line.
        QCOMPARE(QString::fromStdString(ledgerText("SELECT memo FROM transfer ORDER BY serial DESC LIMIT 1")),
                 QString("第一行 第二行 第三行"));
        // AutoQueryFlag=1: the details follow, with the new transfer last.
        MemoryTable* details = Find<DBGrid>(window, "DBMoreGrid")->table();
        QCOMPARE(details, &window->requests()->transferDetails.ResultSource());
        QCOMPARE(details->recordCount(), int(rows + 1));
        details->last();
        QCOMPARE(QString::fromStdString(details->text(details->recordCount() - 1, "ChangeMoney")).toDouble(), 100.0);
        // The page is cleared.
        QVERIFY(Find<QLineEdit>(window, "txtMoney1")->text().isEmpty());
        QVERIFY(Find<QLineEdit>(window, "txtMoneyPass1")->text().isEmpty());
        QVERIFY(Find<QPlainTextEdit>(window, "txtMemo1")->toPlainText().isEmpty());

        // 0.29 travels as 29 cents; without AutoQuery the grid is not refreshed.
        std::string ini = Replaced(ExampleBankIni(), "AutoQueryFlag=1", "AutoQueryFlag=0");
        writeBankIni(ini);
        window = openWindow("8001235");
        QVERIFY(window);
        fillDeposit(*window, "0.29");
        user->messages.clear();
        user->answers = {IdYes};
        Find<QPushButton>(window, "btnOk1")->click();
        QCOMPARE(QString::fromStdString(window->requests()->transfer.ChangeMoney), QString("29"));
        QCOMPARE(market("8001235"), before + 10029);
        QVERIFY(Find<DBGrid>(window, "DBMoreGrid")->table() != &window->requests()->transferDetails.ResultSource() ||
                Find<DBGrid>(window, "DBMoreGrid")->table()->recordCount() == 0);
    }

    void amountsAndMemosAsTheyTravel() {
        const std::pair<const char*, const char*> amounts[] = {
            {"0.29", "29"}, {"100", "10000"}, {"100.", "10000"}, {" 12.5 ", "1250"}, {"0.01", "1"},
            {"999999999.99", "99999999999"},
            // Not greater than zero once in whole cents, or not an amount at all.
            {"0", ""}, {"0.00", ""}, {"0.001", ""}, {"", ""}, {"-5", ""}, {"abc", ""}, {"1000000000", ""},
        };
        for (const auto& [typed, cents] : amounts) QCOMPARE(AmountCents(typed), QString(cents));
        QCOMPARE(MemoText(" a\r\nb\rc\nd \n"), QString("a b c d"));
        QCOMPARE(MemoText("\r\n\r\n"), QString());
    }

    void refusedConfirmationSendsNothingAndKeepsTheFields() {
        auto window = openWindow("8001235");
        QVERIFY(window);
        const long long before = market("8001235");
        fillDeposit(*window, "50", "备注");
        user->answers = {IdNo};
        Find<QPushButton>(window, "btnOk1")->click();
        QCOMPARE(user->messages.size(), std::size_t(1));
        QCOMPARE(market("8001235"), before);
        QCOMPARE(Find<QLineEdit>(window, "txtMoney1")->text(), QString("50"));
        QCOMPARE(Find<QLineEdit>(window, "txtMoneyPass1")->text(), Masked("123456"));
        QCOMPARE(Find<QPlainTextEdit>(window, "txtMemo1")->toPlainText(), QString("备注"));
    }

    void transferChecksRunInOrderAndSendNothing() {
        auto window = openWindow("8001235");
        QVERIFY(window);
        const long long before = transfers("8001235");
        struct Case {
            const char* what;
            QString bankNo, tradeNo, moneyPass, amount;
            QString message;
            QWidget* focus;
        };
        const QString bankNo = Find<QLineEdit>(window, "txtBankNo1")->text();
        const Case cases[] = {
            {"no account", "", "8001235", Masked("123456"), "10", "请选择正确的银行账号!", Find<QLineEdit>(window, "txtBankNo1")},
            {"no trade number", bankNo, "", Masked("123456"), "10", "请选择正确的银行账号!", Find<QLineEdit>(window, "txtTradeNo1")},
            // The password test comes before the amount test.
            {"no password", bankNo, "8001235", "", "0", "请输入正确的客户资金密码!", Find<QLineEdit>(window, "txtMoneyPass1")},
            {"zero amount", bankNo, "8001235", Masked("123456"), "0.00", "划转金额不能小于或等于零!", Find<QLineEdit>(window, "txtMoney1")},
            {"empty amount", bankNo, "8001235", Masked("123456"), "", "划转金额不能小于或等于零!", Find<QLineEdit>(window, "txtMoney1")},
        };
        for (const auto& c : cases) {
            user->messages.clear();
            Find<QLineEdit>(window, "txtBankNo1")->setText(c.bankNo);
            Find<QLineEdit>(window, "txtTradeNo1")->setText(c.tradeNo);
            Find<QLineEdit>(window, "txtMoneyPass1")->setText(c.moneyPass);
            Find<QLineEdit>(window, "txtMoney1")->setText(c.amount);
            Find<QPushButton>(window, "btnOk1")->click();
            QVERIFY2(user->messages.size() == 1, c.what);
            QCOMPARE(user->messages.front().text, c.message);
            QCOMPARE(user->messages.front().buttons, int(MbOk));
            QVERIFY2(QApplication::focusWidget() == c.focus, c.what);
        }
        // With the bank password panel showing, its own field is required.
        setParam("003", "PASSWORD", "50005");
        window = openWindow("8001235");
        QVERIFY(window);
        QVERIFY(!Find<QFrame>(window, "PanBankPwdMask1")->isHidden());
        user->messages.clear();
        Find<QLineEdit>(window, "txtMoney1")->setText("10");
        Find<QPushButton>(window, "btnOk1")->click();
        QCOMPARE(asked(), QStringList{"请输入正确的客户银行密码!"});
        QCOMPARE(QApplication::focusWidget(), Find<QLineEdit>(window, "txtBankPass1"));
        QCOMPARE(transfers("8001235"), before);

        // Deposit needs it, withdrawal does not: the choice re-evaluates the panel.
        Find<QComboBox>(window, "txtIO1")->setCurrentIndex(0);
        Chosen(Find<QComboBox>(window, "txtIO1"));
        QVERIFY(Find<QFrame>(window, "PanBankPwdMask1")->isHidden());
        Find<QComboBox>(window, "txtIO1")->setCurrentIndex(1);
        Chosen(Find<QComboBox>(window, "txtIO1"));
        QVERIFY(!Find<QFrame>(window, "PanBankPwdMask1")->isHidden());
    }

    void bankPasswordModeSendsTheLoginFundPassword() {
        setParam("003", "PASSWORD", "50005");
        auto window = openWindow("8001235");
        QVERIFY(window);
        const long long before = market("8001235");
        Find<QLineEdit>(window, "txtMoneyPass1")->setText(Masked("999999"));  // ignored in this mode
        Find<QLineEdit>(window, "txtBankPass1")->setText(Masked("888888"));
        Find<QLineEdit>(window, "txtMoney1")->setText("12.5");
        user->answers = {IdYes};
        Find<QPushButton>(window, "btnOk1")->click();
        QCOMPARE(QString::fromStdString(window->requests()->transfer.CustMoneyPwd), QString("123456"));
        QCOMPARE(QString::fromStdString(window->requests()->transfer.CustBankPass), QString("888888"));
        QCOMPARE(market("8001235"), before + 1250);

        // A wrong bank password is the middleware's to refuse.
        Find<QLineEdit>(window, "txtBankPass1")->setText(Masked("111111"));
        Find<QLineEdit>(window, "txtMoney1")->setText("1");
        user->messages.clear();
        user->answers = {IdYes};
        Find<QPushButton>(window, "btnOk1")->click();
        QCOMPARE(market("8001235"), before + 1250);
        QVERIFY(asked().join("|").contains("银行密码错误"));
        QVERIFY(Find<QLineEdit>(window, "txtBankPass1")->text().isEmpty());  // cleared all the same
    }

    void commissionAddsASixthLineOrStopsTheRun() {
        setParam("003", "IFRATE", "0");
        auto window = openWindow("8001235");
        QVERIFY(window);
        QVERIFY(window->offer().Commission);
        fillDeposit(*window, "1000");
        user->answers = {IdNo};
        Find<QPushButton>(window, "btnOk1")->click();
        const QString last = asked().last();
        QStringList lines = last.split(kSummaryEnd);
        QCOMPARE(lines.size(), 6);
        // 0.15% of 1 000.00 is 150 cents.
        QCOMPARE(lines.last(), QString("手续费查询 : 1.50"));
        QCOMPARE(QString::fromStdString(window->requests()->commission.Memo), QString("100000"));

        // A refused commission query is told twice and keeps the page.
        user->messages.clear();
        Find<QLineEdit>(window, "txtMoneyPass1")->setText(Masked("000000"));
        Find<QPushButton>(window, "btnOk1")->click();
        const QStringList texts = asked();
        QCOMPARE(texts.size(), 2);
        QVERIFY(texts[0].contains("资金密码错误"));
        QCOMPARE(texts[1], QString::fromStdString(window->requests()->commission.LastMessage));
        QCOMPARE(Find<QLineEdit>(window, "txtMoney1")->text(), QString("1000"));
    }

    void lostTransferAnswerOffersTheDetails() {
        // A simulator that takes deposits and never answers them.
        SimulatorInPlace silent(sim, {"--fault", "never-answer@90004"});
        writeBankIni(Replaced(ExampleBankIni(), "ReadTimeOut=60000", "ReadTimeOut=1000"));
        auto window = openWindow("8001235");
        QVERIFY(window);
        fillDeposit(*window, "10");
        user->answers = {IdYes, IdOk, IdYes};  // confirm, the failure notice, the offer
        Find<QPushButton>(window, "btnOk1")->click();
        QVERIFY(window->requests()->transfer.AnswerLost);
        const QStringList texts = asked();
        QVERIFY2(texts.join("|").contains("秒内没有应答"), qPrintable(texts.join("|")));
        // Confirmation, failure notice, offer, then the details' own notice.
        QVERIFY(texts.size() >= 3);
        QVERIFY(texts[2].contains("是否现在查询明细"));
        QCOMPARE(user->messages[2].buttons, int(MbYesNo));
        // The offer accepted: the details are shown on their page.
        QCOMPARE(Find<QTabWidget>(window, "PageControl")->currentIndex(), int(PageDetails));
        QCOMPARE(Find<DBGrid>(window, "DBMoreGrid")->table(), &window->requests()->transferDetails.ResultSource());
        // This simulator drops the deposit unanswered and undone: the details say so.
        QVERIFY(Find<DBGrid>(window, "DBMoreGrid")->table()->fieldCount() > 0);
        QCOMPARE(Find<DBGrid>(window, "DBMoreGrid")->table()->recordCount(), int(transfers("8001235")));
        QVERIFY(Find<QLineEdit>(window, "txtMoney1")->text().isEmpty());

        // An answered failure is not a lost answer: no offer.
        user->messages.clear();
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageTransfer);
        fillDeposit(*window, "10");
        Find<QLineEdit>(window, "txtMoneyPass1")->setText(Masked("000000"));
        user->answers = {IdYes};
        Find<QComboBox>(window, "txtIO1")->setCurrentIndex(0);  // withdrawal: answered by the simulator
        Find<QPushButton>(window, "btnOk1")->click();
        QVERIFY(!window->requests()->transfer.AnswerLost);
        QVERIFY(!asked().join("|").contains("是否现在查询明细"));
    }

    void queriesBindTheirGrids() {
        setParam("003", "50015", "0");
        setParam("003", "50017", "0");
        auto window = openWindow("8001235");
        QVERIFY(window);

        // Page 1: the strip's filter waits for the next click.
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageDetails);
        Find<TRedTabSet>(window, "RTBIOKind")->setTabIndex(2);  // withdrawals
        Find<QPlainTextEdit>(window, "txtMemo2")->setPlainText("x");
        Find<QPushButton>(window, "btnOk2")->click();
        MemoryTable* details = &window->requests()->transferDetails.ResultSource();
        QCOMPARE(Find<DBGrid>(window, "DBMoreGrid")->table(), details);
        QVERIFY(details->recordCount() > 0);
        QVERIFY(!details->filtered());
        QVERIFY(Find<QPlainTextEdit>(window, "txtMemo2")->toPlainText().isEmpty());
        QCOMPARE(details->recordCount(), int(transfers("8001235")));
        emit Find<TRedTabSet>(window, "RTBIOKind")->clicked();
        QVERIFY(details->filtered());
        QCOMPARE(details->recordCount(),
                 int(ledgerNumber("SELECT COUNT(*) FROM transfer WHERE trade_id='8001235' AND trade_type=0")));

        // Page 3: no bank password panel, no password needed at all.
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageSupervise);
        Find<QDateEdit>(window, "txtDate")->setDate(QDate(2026, 12, 1));
        Find<QPushButton>(window, "btnOk3")->click();
        QCOMPARE(QString::fromStdString(window->requests()->supervisedBalance.QueryDate), QString("20261201"));
        QCOMPARE(Find<DBGrid>(window, "DBMoneyGrid")->table(), &window->requests()->supervisedBalance.ResultSource());
        QVERIFY(Find<DBGrid>(window, "DBMoneyGrid")->table()->recordCount() > 0);

        // Page 4: the fund password is required and cleared after success.
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageCard);
        user->messages.clear();
        Find<QPushButton>(window, "btnOK5")->click();
        QCOMPARE(asked(), QStringList{"请输入正确的客户资金密码!"});
        Find<QLineEdit>(window, "txtMoneyPass5")->setText(Masked("123456"));
        Find<QPushButton>(window, "btnOK5")->click();
        QCOMPARE(Find<DBGrid>(window, "DBCardMoneyGrid")->table(), &window->requests()->cardBalance.ResultSource());
        QVERIFY(Find<DBGrid>(window, "DBCardMoneyGrid")->table()->recordCount() > 0);
        QVERIFY(Find<QLineEdit>(window, "txtMoneyPass5")->text().isEmpty());

        // Page 6: a refused query keeps the grid but empties the password.
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageMarket);
        Find<QLineEdit>(window, "txtMoneyPass7")->setText(Masked("123456"));
        Find<QPushButton>(window, "BitBtn1")->click();
        MemoryTable* funds = &window->requests()->marketFunds.ResultSource();
        QCOMPARE(Find<DBGrid>(window, "DBMarketGrid")->table(), funds);
        QCOMPARE(QString::fromStdString(funds->text(0, "MarketMoney")).toDouble(),
                 market("8001235") / 100.0);
        Find<QLineEdit>(window, "txtMoneyPass7")->setText(Masked("000000"));
        Find<QPlainTextEdit>(window, "txtMemo7")->setPlainText("kept");
        Find<QPushButton>(window, "BitBtn1")->click();
        QVERIFY(Find<QLineEdit>(window, "txtMoneyPass7")->text().isEmpty());
        QCOMPARE(Find<QPlainTextEdit>(window, "txtMemo7")->toPlainText(), QString("kept"));
        QCOMPARE(Find<DBGrid>(window, "DBMarketGrid")->table(), funds);
        QCOMPARE(funds->recordCount(), 1);
    }

    void queriesOnPagesWithoutAnAccountStop() {
        setParam("005", "50015", "0");
        auto window = openWindow("8001234");  // several accounts: none chosen
        QVERIFY(window);
        for (int page : {int(PageSupervise), int(PageCard)}) {
            Find<QTabWidget>(window, "PageControl")->setCurrentIndex(page);
            user->messages.clear();
            if (page == PageSupervise)
                Find<QPushButton>(window, "btnOk3")->click();
            else
                Find<QPushButton>(window, "btnOK5")->click();
            QCOMPARE(asked(), QStringList{"请选择正确的银行账号!"});
        }
        // Page 1 runs with an empty account: every account's transfers.
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageDetails);
        Find<QPushButton>(window, "btnOk2")->click();
        QVERIFY(window->requests()->transferDetails.CustBankAcctNo.empty());
        QCOMPARE(Find<DBGrid>(window, "DBMoreGrid")->table()->recordCount(), int(transfers("8001234")));
    }

    void passwordChangeUpdatesTheSessionOnlyOnSuccess() {
        setParam("003", "PASSWORD", "50005");
        auto window = openWindow("8001235");
        QVERIFY(window);
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PagePassword);
        struct Case {
            QString old, first, second, message;
        };
        const Case refused[] = {
            {"", Masked("654321"), Masked("654321"), "旧密码不正确,请核实!"},
            {Masked("123456"), Masked("65432"), Masked("65432"), "为了您资金的安全,新密码不能小于6位!"},
            // Only the first field's length is tested; the comparison catches the second.
            {Masked("123456"), Masked("654321"), Masked("65432"), "输入的两次新密码不匹配,请重试!"},
            {Masked("123456"), Masked("abcdef"), Masked("ABCDEF"), "输入的两次新密码不匹配,请重试!"},
        };
        for (const auto& c : refused) {
            user->messages.clear();
            Find<QLineEdit>(window, "txtOldPass")->setText(c.old);
            Find<QLineEdit>(window, "txtNewPass1")->setText(c.first);
            Find<QLineEdit>(window, "txtNewPass2")->setText(c.second);
            Find<QPushButton>(window, "btnOk4")->click();
            QCOMPARE(asked(), QStringList{c.message});
        }
        QCOMPARE(Find<QLineEdit>(window, "txtNewPass1")->maxLength(), 8);

        // A wrong old password is the middleware's to refuse.
        user->messages.clear();
        Find<QLineEdit>(window, "txtOldPass")->setText(Masked("000000"));
        Find<QLineEdit>(window, "txtNewPass1")->setText(Masked("654321"));
        Find<QLineEdit>(window, "txtNewPass2")->setText(Masked("654321"));
        Find<QPushButton>(window, "btnOk4")->click();
        QVERIFY(asked().join("|").contains("资金密码错误"));
        QCOMPARE(QString::fromStdString(CustomerSession().MoneyPwd), QString("123456"));
        QCOMPARE(Find<QLineEdit>(window, "txtNewPass2")->text(), Masked("654321"));

        Find<QLineEdit>(window, "txtOldPass")->setText(Masked("123456"));
        Find<QPushButton>(window, "btnOk4")->click();
        QCOMPARE(QString::fromStdString(CustomerSession().MoneyPwd), QString("654321"));
        QVERIFY(Find<QLineEdit>(window, "txtOldPass")->text().isEmpty());
        QCOMPARE(QString::fromStdString(ledgerText("SELECT fund_password FROM customer WHERE trade_id='8001235'")),
                 QString("654321"));

        // The next transfer in bank-password mode sends the new fund password.
        const long long before = market("8001235");
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageTransfer);
        Find<QLineEdit>(window, "txtBankPass1")->setText(Masked("888888"));
        Find<QLineEdit>(window, "txtMoney1")->setText("1");
        user->answers = {IdYes};
        Find<QPushButton>(window, "btnOk1")->click();
        QCOMPARE(market("8001235"), before + 100);

        // Back to the seeded password for the other cases.
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PagePassword);
        Find<QLineEdit>(window, "txtOldPass")->setText(Masked("654321"));
        Find<QLineEdit>(window, "txtNewPass1")->setText(Masked("123456"));
        Find<QLineEdit>(window, "txtNewPass2")->setText(Masked("123456"));
        Find<QPushButton>(window, "btnOk4")->click();
        QCOMPARE(QString::fromStdString(CustomerSession().MoneyPwd), QString("123456"));
    }

    void exchangeBuysSettlesAndListsTheRecords() {
        auto window = openWindow("8001234");
        QVERIFY(window);
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageForex);
        QCOMPARE(Find<QPushButton>(window, "btnOk6")->text(), QString("0.购汇"));
        // Before the account is chosen the exchange stops, the list runs.
        user->messages.clear();
        Find<QPushButton>(window, "btnOk6")->click();
        QCOMPARE(asked(), QStringList{"请选择正确的银行账号!"});
        Find<QPushButton>(window, "btnFind6")->click();
        QVERIFY(window->requests()->exchangeRecords.CustBankAcctNo.empty());
        QCOMPARE(Find<DBGrid>(window, "DBRateMoreGrid")->table(), &window->requests()->exchangeRecords.ResultSource());

        chooseExchangeAccount(*window);
        QCOMPARE(Find<QLineEdit>(window, "txtBankID6")->text(), QString("999"));
        const long long before = exchanges("8001234");
        const long long marketBefore = market("8001234");
        Find<QLineEdit>(window, "txtMoneyPass6")->setText(Masked("123456"));
        Find<QLineEdit>(window, "txtMoney6")->setText("1000");
        Find<QPushButton>(window, "btnOk6")->click();
        QCOMPARE(QString::fromStdString(window->requests()->exchange.ChangeMoney), QString("100000"));
        QCOMPARE(exchanges("8001234"), before + 1);
        QCOMPARE(market("8001234"), marketBefore - 100000);
        QCOMPARE(Find<DBGrid>(window, "DBRateMoreGrid")->table()->recordCount(), int(before + 1));
        QVERIFY(Find<QLineEdit>(window, "txtMoney6")->text().isEmpty());

        Find<QComboBox>(window, "txtRate6")->setCurrentIndex(1);
        Chosen(Find<QComboBox>(window, "txtRate6"));
        QCOMPARE(Find<QPushButton>(window, "btnOk6")->text(), QString("1.结汇"));
        Find<QLineEdit>(window, "txtMoneyPass6")->setText(Masked("123456"));
        Find<QLineEdit>(window, "txtMoney6")->setText("10");
        Find<QPushButton>(window, "btnOk6")->click();
        QCOMPARE(window->requests()->exchange.Direction, uint8_t(1));
        QCOMPARE(exchanges("8001234"), before + 2);
        QCOMPARE(market("8001234"), marketBefore - 100000 + 7100);

        // The amount is tested before the bank password here.
        setParam("999", "PASSWORD", "90008,90009");
        window = openWindow("8001234");
        QVERIFY(window);
        chooseExchangeAccount(*window);
        QVERIFY(!Find<QFrame>(window, "PanBankPwdMask6")->isHidden());
        user->messages.clear();
        Find<QLineEdit>(window, "txtMoney6")->setText("0");
        Find<QPushButton>(window, "btnOk6")->click();
        QCOMPARE(asked(), QStringList{"划转金额不能小于或等于零!"});
        // With the panel shown the exchange sends the login password, the
        // record list the typed field.
        Find<QLineEdit>(window, "txtBankPass6")->setText(Masked("888888"));
        Find<QLineEdit>(window, "txtMoney6")->setText("100");
        Find<QPushButton>(window, "btnOk6")->click();
        QCOMPARE(QString::fromStdString(window->requests()->exchange.CustMoneyPwd), QString("123456"));
        QCOMPARE(exchanges("8001234"), before + 3);
        Find<QPushButton>(window, "btnFind6")->click();
        QVERIFY(window->requests()->exchangeRecords.CustMoneyPwd.empty());
    }

    void logToolbarFormatsSavesAndClears() {
        auto window = openWindow("8001235");
        QVERIFY(window);
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageLog);
        Find<QTextEdit>(window, "RichLogs")->clear();
        window->LogBlockMessage("入金成功", 0);
        window->LogBlockMessage("资金密码错误", 1);
        auto tool = [&](const char* name) { return Find<QToolBar>(window, "ToolbarLogs")->findChild<QToolButton*>(name); };
        QTextDocument* document = Find<QTextEdit>(window, "RichLogs")->document();

        // No selection: the defaults change, so every line turns bold.
        tool("btnLogB")->click();
        QVERIFY(document->defaultFont().bold());
        // The lines carry no weight of their own: the default decides.
        QVERIFY(!document->firstBlock().begin().fragment().charFormat().hasProperty(QTextFormat::FontWeight));
        tool("btnLogB")->click();
        QVERIFY(!document->defaultFont().bold());

        // A selection: only the selection.
        QTextCursor cursor(document);
        cursor.movePosition(QTextCursor::NextCharacter, QTextCursor::KeepAnchor, 2);
        Find<QTextEdit>(window, "RichLogs")->setTextCursor(cursor);
        tool("btnLogI")->click();
        QVERIFY(document->firstBlock().begin().fragment().charFormat().fontItalic());
        QVERIFY(!document->lastBlock().begin().fragment().charFormat().fontItalic());

        // The "background" button sets the text colour.
        user->colors = {QColor(0, 128, 0)};
        tool("btnLogColor")->click();
        QCOMPARE(document->firstBlock().begin().fragment().charFormat().foreground().color(), QColor(0, 128, 0));
        QCOMPARE(document->firstBlock().begin().fragment().charFormat().background().style(), Qt::NoBrush);

        tool("btnLogMid")->click();
        QCOMPARE(document->firstBlock().blockFormat().alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
        QVERIFY(!tool("btnLogLeft")->isChecked());
        tool("btnLogICO")->click();
        QVERIFY(document->firstBlock().textList());
        tool("btnLogICO")->click();
        QVERIFY(!document->firstBlock().textList());

        user->fonts = {QFont("WenQuanYi Micro Hei", 14)};
        tool("btnLogFont")->click();
        QCOMPARE(document->firstBlock().begin().fragment().charFormat().fontPointSize(), 14.0);

        // Saved as rich text whatever the extension; cancelling writes nothing.
        const QString file = QString::fromStdString((folder->path() / "today.log").string());
        user->files = {std::nullopt, file};
        tool("btnLogSave")->click();
        QVERIFY(!QFile::exists(file));
        tool("btnLogSave")->click();
        QCOMPARE(user->saveRequests.back().defaultSuffix, QString("log"));
        QFile saved(file);
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QVERIFY(saved.readAll().startsWith("{\\rtf1"));

        // A refused save says why and keeps the log.
        user->messages.clear();
        user->files = {QString::fromStdString((folder->path() / "missing" / "folder" / "today.log").string())};
        tool("btnLogSave")->click();
        QCOMPARE(user->messages.size(), std::size_t(1));
        QCOMPARE(document->toPlainText(), QString("入金成功\n资金密码错误"));

        cursor.select(QTextCursor::Document);
        Find<QTextEdit>(window, "RichLogs")->setTextCursor(cursor);
        tool("btnLogCopy")->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("入金成功\n资金密码错误"));
        tool("btnLogClear")->click();
        QVERIFY(document->isEmpty());
    }

    void onlineDepositOpensOnlyAWellFormedBankAddress() {
        auto window = openWindow("8001234");
        QVERIFY(window);
        auto& session = CustomerSession();
        QCOMPARE(session.BankID, std::string("005"));
        QVERIFY(!Find<QPushButton>(window, "btnHttp")->isHidden());

        struct Case {
            const char* pattern;
            bool opens;
            int parts;  // order id, trade number, signature
        };
        const Case cases[] = {
            {"https://bank.example/pay?order=%s&cust=%s&sign=%s", true, 3},
            {"https://bank.example/pay?order=%s&cust=%s", true, 2},
            {"https://bank.example/pay?a=%s&b=%s&c=%s&d=%s", false, 0},
            {"https://bank.example/pay?order=%d", false, 0},
            {"https://bank.example/pay?order=%", false, 0},
            {"file:///tmp/%s", false, 0},
            {"javascript:alert('%s')", false, 0},
        };
        for (const auto& c : cases) {
            session.Url = c.pattern;
            user->messages.clear();
            user->openedUrls.clear();
            Find<QLabel>(window, "PanTips")->setText("tip");
            Find<QPushButton>(window, "btnHttp")->click();
            const QString orderId = QString::fromStdString(window->requests()->orderId.ResultTable.fieldText(0)).trimmed();
            QVERIFY(!orderId.isEmpty());
            if (!c.opens) {
                QVERIFY2(user->openedUrls.isEmpty(), c.pattern);
                QVERIFY2(asked().contains("网银地址配置错误!"), c.pattern);
                QVERIFY(Find<QLabel>(window, "PanTips")->text().isEmpty());
                continue;
            }
            QCOMPARE(user->openedUrls.size(), 1);
            const QUrlQuery query(QUrl(user->openedUrls.front()));
            QCOMPARE(query.queryItemValue("order"), orderId);
            QCOMPARE(query.queryItemValue("cust"), QString("8001234"));
            if (c.parts == 3) {
                const QByteArray expected =
                    QCryptographicHash::hash((orderId + "8001234").toUtf8(), QCryptographicHash::Md5).toHex().toUpper();
                QCOMPARE(query.queryItemValue("sign"), QString::fromLatin1(expected));
                const QByteArray swapped =
                    QCryptographicHash::hash(("8001234" + orderId).toUtf8(), QCryptographicHash::Md5).toHex().toUpper();
                QVERIFY(expected != swapped);
            }
        }
    }

    void screenshots() {
        const QByteArray shots = qgetenv("VANTREL_SCREENSHOTS");
        if (shots.isEmpty()) QSKIP("VANTREL_SCREENSHOTS is not set");
        const QString dir = QString::fromUtf8(shots);
        setParam("003", "50015", "0");
        setParam("003", "50017", "0");
        auto window = openWindow("8001235");
        QVERIFY(window);
        auto shoot = [&](const char* name) {
            QTest::qWait(50);
            QVERIFY(window->grab().save(dir + "/" + name));
        };
        fillDeposit(*window, "200");
        user->answers = {IdYes};
        Find<QPushButton>(window, "btnOk1")->click();
        shoot("op-transfer.png");
        // The confirmation as the customer saw it, with Qt's texts as the
        // library's start-up leaves them.
        InstallQtTranslation();
        QMessageBox box(QMessageBox::Information, "系统提示", user->messages.front().text,
                        QMessageBox::Yes | QMessageBox::No);
        box.show();
        QTest::qWait(50);
        QVERIFY(box.grab().save(dir + "/confirm-transfer.png"));
        box.close();
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageDetails);
        shoot("op-details.png");
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageSupervise);
        Find<QPushButton>(window, "btnOk3")->click();
        shoot("op-supervise.png");
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageCard);
        Find<QLineEdit>(window, "txtMoneyPass5")->setText(Masked("123456"));
        Find<QPushButton>(window, "btnOK5")->click();
        shoot("op-card.png");
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageMarket);
        Find<QLineEdit>(window, "txtMoneyPass7")->setText(Masked("123456"));
        Find<QPushButton>(window, "BitBtn1")->click();
        shoot("op-market.png");
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PagePassword);
        Find<QLineEdit>(window, "txtOldPass")->setText(Masked("123456"));
        Find<QLineEdit>(window, "txtNewPass1")->setText(Masked("12345"));
        Find<QLineEdit>(window, "txtNewPass2")->setText(Masked("12345"));
        Find<QPushButton>(window, "btnOk4")->click();
        shoot("op-password.png");

        window = openWindow("8001234");
        QVERIFY(window);
        chooseExchangeAccount(*window);
        Find<QLineEdit>(window, "txtMoneyPass6")->setText(Masked("123456"));
        Find<QLineEdit>(window, "txtMoney6")->setText("100");
        Find<QPushButton>(window, "btnOk6")->click();
        shoot("op-forex.png");

        // A kept connection that the server drops while answering: the
        // disconnect notice and the failure are the red lines of the log.
        window.reset();
        SimulatorInPlace dropping(sim, {"--fault", "close-before-answer@90011"});
        writeBankIni(Replaced(ExampleBankIni(), "ConnectStyle=0", "ConnectStyle=1"));
        window = openWindow("8001235");
        QVERIFY(window);
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageMarket);
        Find<QLineEdit>(window, "txtMoneyPass7")->setText(Masked("123456"));
        Find<QPushButton>(window, "BitBtn1")->click();
        Find<QLineEdit>(window, "txtMoneyPass7")->setText(Masked("123456"));
        Find<QPushButton>(window, "BitBtn1")->click();
        // The connection notices go to the last request created (the
        // parameter fetch, which logs nothing), so the level-1 notice of the
        // dropped connection is given here as the engine gives it.
        window->logSink()->LogBlock("============【连接中断】============\r\n信息：与资金中间服务器的连接已断开", 1);
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageLog);
        shoot("op-log.png");
    }
};

QTEST_MAIN(MainWindowOperationsTest)
#include "MainWindowOperationsTest.moc"
