// The main window's pages on their own, without a window or a server: what
// load shows, what clear empties, and what a page hands over once its
// checks pass.
#include <QtTest>

#include <QLineEdit>
#include <QPlainTextEdit>

#include <functional>
#include <memory>

#include "ScriptedPrompts.h"
#include "mainwindow/BankBalancePage.h"
#include "mainwindow/DetailsPage.h"
#include "mainwindow/ForexPage.h"
#include "mainwindow/InputRules.h"
#include "mainwindow/MarketFundsPage.h"
#include "mainwindow/PasswordPage.h"
#include "mainwindow/TransferPage.h"
#include "protocol/SessionTypes.h"

using namespace vantrel;

namespace {

template <class T>
T* Find(const QWidget& page, const QString& name) {
    T* found = page.findChild<T*>(name);
    if (!found) qFatal("no control %s", qPrintable(name));
    return found;
}

QString Masked(const QString& plain) {
    QString masked;
    for (QChar c : plain) masked += MaskPasswordCharacter(c);
    return masked;
}

}  // namespace

class MainWindowPagesTest : public QObject {
    Q_OBJECT
    test::ScriptedPrompts user;

private slots:
    void loadShowsTheAccountFromItsFirstDigits() {
        TBankInfo account;
        account.BankID = "005";
        account.CustBankAcctNo = "6222020200112345678901234";
        const std::pair<int, std::function<AccountPage*()>> pages[] = {
            {1, [] { return new TransferPage; }},
            {2, [] { return new DetailsPage; }},
            {3, [] { return new BankBalancePage(BankBalancePage::Supervised); }},
            {5, [] { return new BankBalancePage(BankBalancePage::Card); }},
            {6, [] { return new ForexPage; }},
        };
        for (const auto& [suffix, make] : pages) {
            const std::unique_ptr<AccountPage> page(make());
            page->load(account, "工行");
            const QString n = QString::number(suffix);
            QCOMPARE(Find<QLineEdit>(*page, "txtBankNo" + n)->text(), QString("6222020200112345678901234"));
            QCOMPARE(Find<QLineEdit>(*page, "txtBankNo" + n)->cursorPosition(), 0);
            QCOMPARE(Find<QLineEdit>(*page, "txtBankName" + n)->text(), QString("工行"));
            QCOMPARE(Find<QLineEdit>(*page, "txtBankID" + n)->text(), QString("005"));
        }
    }

    void clearEmptiesWhatItsButtonEmptiesAndNothingElse() {
        struct Case {
            std::function<OperationPage*()> make;
            QStringList emptied;
        };
        const Case cases[] = {
            {[] { return new TransferPage; }, {"txtMoney1", "txtMemo1", "txtMoneyPass1", "txtBankPass1"}},
            {[] { return new DetailsPage; }, {"txtMemo2"}},
            {[] { return new PasswordPage; }, {"txtOldPass", "txtNewPass1", "txtNewPass2"}},
            {[] { return new BankBalancePage(BankBalancePage::Supervised); },
             {"txtBankPass3", "txtMoneyPass3", "txtMemo3"}},
            {[] { return new BankBalancePage(BankBalancePage::Card); }, {"txtBankPass5", "txtMoneyPass5", "txtMemo5"}},
            {[] { return new ForexPage; }, {"txtBankPass6", "txtMoneyPass6", "txtMoney6", "txtMemo6"}},
            {[] { return new MarketFundsPage; }, {"txtMoneyPass7"}},
        };
        for (const auto& c : cases) {
            const std::unique_ptr<OperationPage> p(c.make());
            for (auto* edit : p->findChildren<QLineEdit*>()) edit->setText("1");
            for (auto* memo : p->findChildren<QPlainTextEdit*>()) memo->setPlainText("1");
            p->clear();
            for (auto* edit : p->findChildren<QLineEdit*>())
                QVERIFY2(edit->text().isEmpty() == c.emptied.contains(edit->objectName()), qPrintable(edit->objectName()));
            for (auto* memo : p->findChildren<QPlainTextEdit*>())
                QVERIFY2(memo->toPlainText().isEmpty() == c.emptied.contains(memo->objectName()),
                         qPrintable(memo->objectName()));
        }
    }

    void transferOrderCarriesTheFieldsAsTheRequestTakesThem() {
        TransferPage page;
        TBankInfo account;
        account.BankID = "003";
        account.CustBankAcctNo = "6228480010012345678";
        page.load(account, "农行", false);
        page.setTradeId("8001235");
        user.messages.clear();
        QVERIFY(!page.order());  // no fund password yet
        QCOMPARE(user.messages.size(), std::size_t(1));
        QCOMPARE(user.messages[0].text, QString("请输入正确的客户资金密码!"));

        Find<QLineEdit>(page, "txtMoneyPass1")->setText(Masked("123456"));
        Find<QLineEdit>(page, "txtMoney1")->setText(" 12.5 ");
        Find<QPlainTextEdit>(page, "txtMemo1")->setPlainText("a\r\nb");
        const auto order = page.order();
        QVERIFY(order);
        QCOMPARE(order->account.bankId, std::string("003"));
        QCOMPARE(order->account.tradeId, std::string("8001235"));
        QCOMPARE(order->passwords.fund, std::string("123456"));
        QVERIFY(!order->passwords.bankPasswordMode);
        QCOMPARE(order->cents, QString("1250"));
        QCOMPARE(order->memo, std::string("a b"));
        QCOMPARE(order->summary, QStringList({"银行账号 : 6228480010012345678", "签约银行 : 农行",
                                              "市场账号 : 8001235", "划转金额 :  12.5 "}));
    }
};

QTEST_MAIN(MainWindowPagesTest)
#include "MainWindowPagesTest.moc"
