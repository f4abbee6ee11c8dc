// The main window against the simulator and its seeded customers: which pages
// and directions the system parameters offer, the page captions, the log
// notices, the input rules of the pages and the account picker.
#include <QtTest>

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleOptionFrame>
#include <QTabWidget>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>
#include <QToolButton>

#include <sqlite3.h>

#include <fstream>
#include <sstream>

#include "MainWindowFixture.h"
#include "ScriptedPrompts.h"
#include "TestFolder.h"
#include "common/TextCodec.h"
#include "entry/LibraryEntry.h"
#include "entry/MainWindowLauncher.h"
#include "grid/DBGrid.h"
#include "mainwindow/InputRules.h"
#include "mainwindow/PageRequests.h"
#include "mainwindow/TfrmBankList.h"
#include "mainwindow/TfrmVantrel.h"
#include "ProcessSession.h"
#include "protocol/QueryRequests.h"
#include "protocol/TBankLogin.h"
#include "protocol/TQuerySysParam.h"
#include "widgets/TRedTabSet.h"
#include "widgets/TfFormSK.h"

using namespace vantrel;
using namespace vantrel::test;


class MainWindowTest : public test::MainWindowFixture {
    Q_OBJECT

private slots:
    void initTestCase() {
        sim = std::make_unique<test::MiddlewareProcess>();
        user = std::make_unique<test::ScriptedPrompts>();
    }

    void init() {
        folder = std::make_unique<test::TestFolder>();
        appPath = std::make_unique<test::ScopedAppPath>(*folder);
        writeBankIni(ExampleBankIni());
        user->messages.clear();
        for (const char* param : {"50005", "50006"}) setParam("003", param, "0");
        setParam("003", "50015", "1");
        setParam("003", "50017", "1");
        setParam("003", "PASSWORD", "");
        setParam("005", "50015", "0");
        setParam("007", "50005", "0");
        TfrmBankList::SetWorkAreaOverride(std::nullopt);
    }

    void cleanup() {
        appPath.reset();
        folder.reset();
    }

    void oneAccountGetsItsFieldsAndTheDirectionsItsBankAllows() {
        struct Case {
            const char* deposit;
            const char* withdraw;
            bool ioEnabled;
            int selected;
            bool okEnabled;
        };
        const Case cases[] = {{"0", "0", true, 1, true},
                              {"1", "0", false, 0, true},
                              {"0", "1", false, 1, true},
                              {"1", "1", false, -1, false}};
        for (const auto& c : cases) {
            setParam("003", "50005", c.deposit);
            setParam("003", "50006", c.withdraw);
            auto window = openWindow("8001235");
            QVERIFY(window);
            const QString which = QString("50005=%1 50006=%2").arg(c.deposit, c.withdraw);
            QVERIFY2(Find<QComboBox>(window, "txtIO1")->isEnabled() == c.ioEnabled, qPrintable(which));
            QVERIFY2(Find<QComboBox>(window, "txtIO1")->currentIndex() == c.selected, qPrintable(which));
            QVERIFY2(Find<QPushButton>(window, "btnOk1")->isEnabled() == c.okEnabled, qPrintable(which));
            QCOMPARE(window->offer().Deposit, *c.deposit == '0');
            QCOMPARE(window->offer().Withdraw, *c.withdraw == '0');
        }
        auto window = openWindow("8001235");
        QVERIFY(window);
        // The one account fills pages 0, 1, 3 and 4; the exchange page never.
        for (auto* edit : {Find<QLineEdit>(window, "txtBankNo1"), Find<QLineEdit>(window, "txtBankNo2"), Find<QLineEdit>(window, "txtBankNo3"), Find<QLineEdit>(window, "txtBankNo5")})
            QCOMPARE(edit->text(), QString("6228480010012345678"));
        QCOMPARE(Find<QLineEdit>(window, "txtBankName1")->text(), QString("中国农业银行"));
        QCOMPARE(Find<QLineEdit>(window, "txtBankID5")->text(), QString("003"));
        QVERIFY(Find<QLineEdit>(window, "txtBankNo6")->text().isEmpty());
        QCOMPARE(Find<QLineEdit>(window, "txtTradeNo4")->text(), QString("8001235"));
        QCOMPARE(QString::fromStdString(CustomerSession().BankID), QString("003"));
        // 003: supervision and card balance off, market funds on, no exchange account.
        QCOMPARE(VisiblePages(Find<QTabWidget>(window, "PageControl")), QStringList({"0", "1", "2", "6", "7"}));
        QCOMPARE(Find<QTabWidget>(window, "PageControl")->currentIndex(), 0);
        QVERIFY(Find<QPushButton>(window, "btnHttp")->isHidden());
        QVERIFY(Find<QFrame>(window, "PanBankPwdMask1")->isHidden());
    }

    void parameterValuesAreTrimmedAndPasswordListsMatchSubstrings() {
        setParam("003", "50015", " 0 ");
        setParam("003", "50017", "00");
        setParam("003", "PASSWORD", "50005,50015");
        auto window = openWindow("8001235");
        QVERIFY(window);
        QVERIFY(Find<QTabWidget>(window, "PageControl")->isTabVisible(PageSupervise));
        QVERIFY(!Find<QTabWidget>(window, "PageControl")->isTabVisible(PageCard));
        QVERIFY(window->BankPasswordRequired("50005", "003"));
        QVERIFY(window->BankPasswordRequired("5000", "003"));
        QVERIFY(!window->BankPasswordRequired("50006", "003"));
        QVERIFY(!window->BankPasswordRequired("50005", "005"));
        // Deposit is selected, and deposits need the bank password.
        QVERIFY(Find<QFrame>(window, "PanBankPwdMask1")->isVisibleTo(window.get()));
        QVERIFY(!Find<QFrame>(window, "PanBankPwdMask4")->isHidden());
        QVERIFY(Find<QFrame>(window, "PanBankPwdMask5")->isHidden());
        Find<QComboBox>(window, "txtIO1")->setCurrentIndex(0);
    }

    void onlyAnExchangeAccountLeavesPasswordExchangeAndLog() {
        auto window = openWindow("8001236");
        QVERIFY(window);
        QCOMPARE(VisiblePages(Find<QTabWidget>(window, "PageControl")), QStringList({"2", "5", "7"}));
        QCOMPARE(Find<QTabWidget>(window, "PageControl")->currentIndex(), int(PagePassword));
    }

    void severalAccountsLeaveTheChoiceToThePicker() {
        // Switched off for the first account: several accounts keep the pages.
        setParam("005", "50015", "1");
        auto window = openWindow("8001234");
        QVERIFY(window);
        QCOMPARE(VisiblePages(Find<QTabWidget>(window, "PageControl")), QStringList({"0", "1", "2", "3", "4", "5", "6", "7"}));
        for (auto* edit : {Find<QLineEdit>(window, "txtBankNo1"), Find<QLineEdit>(window, "txtBankNo2"), Find<QLineEdit>(window, "txtBankNo3"), Find<QLineEdit>(window, "txtBankNo5"),
                           Find<QLineEdit>(window, "txtBankName1"), Find<QLineEdit>(window, "txtBankID1")})
            QVERIFY(edit->text().isEmpty());
        QVERIFY(!Find<QPushButton>(window, "btnHttp")->isHidden());

        // Page 5 lists only the exchange account, page 0 all the others.
        QStringList listed;
        auto listAndClose = [&](TfrmBankList* picker) {
            MemoryTable* table = picker->findChild<DBGrid*>("DBGrid")->table();
            listed.clear();
            for (int row = 0; row < table->recordCount(); ++row) listed << QString::fromStdString(table->text(row, "BankID"));
            QTest::mouseClick(picker->findChild<QToolButton*>("btnClose"), Qt::LeftButton);
        };
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageForex);
        whenPickerShown(listAndClose);
        searchButton(Find<QLineEdit>(window, "txtBankNo6"))->trigger();
        QCOMPARE(listed, QStringList({"999"}));
        QVERIFY(!TfrmBankList::Current());
        QVERIFY(Find<QLineEdit>(window, "txtBankNo6")->text().isEmpty());

        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageTransfer);
        whenPickerShown(listAndClose);
        searchButton(Find<QLineEdit>(window, "txtBankNo1"))->trigger();
        QCOMPARE(listed, QStringList({"005", "007"}));

        // A click outside closes the picker without a choice.
        whenPickerShown([&](TfrmBankList* picker) {
            // The drop-down grabs the mouse: a click elsewhere reaches it outside its rectangle.
            QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(-40, 60));
        });
        searchButton(Find<QLineEdit>(window, "txtBankNo1"))->trigger();
        QVERIFY(!TfrmBankList::Current());
        QVERIFY(Find<QLineEdit>(window, "txtBankNo1")->text().isEmpty());

        // 007 with deposits off: withdrawal forced, and 007 wants its password for withdrawals.
        setParam("007", "50005", "1");
        window->LoadBankPolicy();
        whenPickerShown([&](TfrmBankList* picker) {
            DBGrid* grid = picker->findChild<DBGrid*>("DBGrid");
            // The view's double-click on the second row.
            emit grid->doubleClicked(grid->model()->index(1, 0));
        });
        searchButton(Find<QLineEdit>(window, "txtBankNo1"))->trigger();
        QVERIFY(!TfrmBankList::Current());
        QCOMPARE(Find<QLineEdit>(window, "txtBankName1")->text(), QString("中国建设银行(007)"));
        QCOMPARE(Find<QLineEdit>(window, "txtBankID1")->text(), QString("007"));
        QCOMPARE(Find<QLineEdit>(window, "txtBankNo1")->text(), QString("6217000010012345678"));
        QCOMPARE(Find<QLineEdit>(window, "txtBankNo1")->cursorPosition(), 0);  // the number shows from its start
        QVERIFY(!Find<QComboBox>(window, "txtIO1")->isEnabled());
        QCOMPARE(Find<QComboBox>(window, "txtIO1")->currentIndex(), 0);
        QVERIFY(Find<QPushButton>(window, "btnOk1")->isEnabled());
        QVERIFY(Find<QFrame>(window, "PanBankPwdMask1")->isVisible());
        QCOMPARE(QString::fromStdString(CustomerSession().BankID), QString("007"));
        // The other pages keep their own fields.
        QVERIFY(Find<QLineEdit>(window, "txtBankNo2")->text().isEmpty());

        const QByteArray shots = qgetenv("VANTREL_SCREENSHOTS");
        if (!shots.isEmpty()) {
            whenPickerShown([&](TfrmBankList*) {
                QTest::qWait(100);
                QVERIFY(TfrmBankList::Current()->grab().save(QString::fromUtf8(shots) + "/bank-picker.png"));
                TfrmBankList::Current()->btnCloseClick();
            });
            searchButton(Find<QLineEdit>(window, "txtBankNo1"))->trigger();
        }
    }

    void choicesOnPagesOneAndThreeFillOnlyTheirPage() {
        setParam("005", "PASSWORD", "50015");
        auto window = openWindow("8001234");
        setParam("005", "PASSWORD", "");
        QVERIFY(window);
        auto choose = [&](int page, QLineEdit* field, int row) {
            Find<QTabWidget>(window, "PageControl")->setCurrentIndex(page);
            whenPickerShown([row](TfrmBankList* picker) {
                DBGrid* grid = picker->findChild<DBGrid*>("DBGrid");
                emit grid->doubleClicked(grid->model()->index(row, 0));
            });
            searchButton(field)->trigger();
        };
        choose(PageDetails, Find<QLineEdit>(window, "txtBankNo2"), 0);
        QCOMPARE(Find<QLineEdit>(window, "txtBankName2")->text(), QString("中国工商银行(005)"));
        QCOMPARE(Find<QLineEdit>(window, "txtBankNo2")->text(), QString("6222020200112345678"));
        QVERIFY(Find<QLineEdit>(window, "txtBankNo1")->text().isEmpty());

        choose(PageSupervise, Find<QLineEdit>(window, "txtBankNo3"), 0);
        QCOMPARE(Find<QLineEdit>(window, "txtBankID3")->text(), QString("005"));
        QVERIFY(Find<QPushButton>(window, "btnOk3")->isEnabled());
        QVERIFY(Find<QFrame>(window, "PanBankPwdMask4")->isVisible());
        QCOMPARE(window->focusWidget(), static_cast<QWidget*>(Find<QLineEdit>(window, "txtBankPass3")));
        QCOMPARE(Find<QLineEdit>(window, "txtBankName2")->text(), QString("中国工商银行(005)"));
    }

    // A 19-digit account number at the windows' own fonts: each account field
    // has room for it left of its search button, and so has the picker's column.
    void accountNumbersShowWhole() {
        const QString number = "6222021234567890123";
        auto window = openWindow("8001235");
        QVERIFY(window);
        for (QLineEdit* field : {Find<QLineEdit>(window, "txtBankNo1"), Find<QLineEdit>(window, "txtBankNo2"), Find<QLineEdit>(window, "txtBankNo3"), Find<QLineEdit>(window, "txtBankNo5"),
                                 Find<QLineEdit>(window, "txtBankNo6")}) {
            QStyleOptionFrame frame;
            frame.initFrom(field);
            frame.lineWidth = field->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, field);
            QRect text = field->style()->subElementRect(QStyle::SE_LineEditContents, &frame, field);
            text = text.marginsRemoved(field->textMargins());
            for (auto* button : field->findChildren<QToolButton*>())
                if (button->isVisibleTo(field)) text.setRight(std::min(text.right(), button->geometry().left() - 1));
            // QLineEdit keeps 2 pixels either side of its text.
            QVERIFY2(field->fontMetrics().horizontalAdvance(number) <= text.width() - 4, qPrintable(field->objectName()));
        }

        int room = 0, needed = 0;
        whenPickerShown([&](TfrmBankList* picker) {
            DBGrid* grid = picker->findChild<DBGrid*>("DBGrid");
            const int account = 2;
            needed = QFontMetrics(GridQFont(grid->columns()[account].font)).horizontalAdvance(number);
            // The cell's text keeps 2 pixels either side; the column ends inside the view.
            const int right = std::min(grid->columnViewportPosition(account) + grid->columnWidth(account),
                                       grid->viewport()->width());
            room = right - grid->columnViewportPosition(account) - 4;
            picker->btnCloseClick();
        });
        searchButton(Find<QLineEdit>(window, "txtBankNo1"))->trigger();
        QVERIFY2(needed > 0 && needed <= room, qPrintable(QString("%1 > %2").arg(needed).arg(room)));
    }

    void pickerOpensAboveNearTheBottomAndShiftsLeftNearTheRightEdge() {
        const QRect area(0, 0, 1000, 700);
        const QSize size(385, 131);
        // Room below: right under the field.
        QCOMPARE(PickerGeometry({100, 100}, 21, size, area), QRect(100, 122, 385, 131));
        // Bottom passed with more room above: above the field.
        QCOMPARE(PickerGeometry({100, 650}, 21, size, area), QRect(100, 519, 385, 131));
        // Bottom passed but more room below than above (a short work area): stays below, shortened.
        QCOMPARE(PickerGeometry({100, 20}, 21, size, QRect(0, 0, 1000, 100)), QRect(100, 42, 385, 58));
        // Right edge: shifted left to fit; a narrower work area narrows the picker.
        QCOMPARE(PickerGeometry({800, 100}, 21, size, area), QRect(615, 122, 385, 131));
        QCOMPARE(PickerGeometry({50, 100}, 21, size, QRect(10, 0, 300, 700)), QRect(10, 122, 300, 131));
        // Above, but the top of the work area cuts it.
        QCOMPARE(PickerGeometry({100, 80}, 21, size, QRect(0, 0, 1000, 180)), QRect(100, 0, 385, 80));

        // The window's picker uses the injected work area.
        auto window = openWindow("8001234");
        QVERIFY(window);
        const QPoint field = Find<QLineEdit>(window, "txtBankNo1")->mapToGlobal(QPoint(0, 0));
        TfrmBankList::SetWorkAreaOverride(QRect(0, 0, field.x() + 200, field.y() + 60));
        QRect placed;
        whenPickerShown([&](TfrmBankList*) {
            placed = TfrmBankList::Current()->geometry();
            TfrmBankList::Current()->btnCloseClick();
        });
        searchButton(Find<QLineEdit>(window, "txtBankNo1"))->trigger();
        QCOMPARE(placed.topLeft(), QPoint(field.x() + 200 - 385, field.y() - 131));
    }

    void pageCaptionsNeedExactlyEightValues() {
        for (int count : {7, 8, 9}) {
            std::string ini = WithoutSection(ExampleBankIni(), "MoneyMGKind") + "\n[MoneyMGKind]\n";
            for (int i = 0; i < count; ++i) ini += std::to_string(i) + "=P" + std::to_string(i) + "\n";
            writeBankIni(ini);
            auto window = openWindow("8001235");
            QVERIFY(window);
            QCOMPARE(Find<QTabWidget>(window, "PageControl")->tabText(7), count == 8 ? QString("P7") : QString("日志"));
            QCOMPARE(Find<QTabWidget>(window, "PageControl")->tabText(0), count == 8 ? QString("P0") : QString("出入金"));
        }
    }

    void logNoticesGoToTheLogPageAndMessageBoxes() {
        auto window = openWindow("8001235");
        QVERIFY(window);
        LogSink* sink = window->logSink();
        sink->LogBlock("first", 0);
        sink->LogBlock("second", 1);
        sink->LogBlock("third", 2);
        sink->LogBlock("fourth", 0);
        QTextDocument* document = Find<QTextEdit>(window, "RichLogs")->document();
        QCOMPARE(document->toPlainText(), QString("first\nsecond\nthird\nfourth"));
        const QColor expected[] = {Qt::black, QColor(255, 0, 0), QColor(255, 0, 0), Qt::black};
        int line = 0;
        for (QTextBlock block = document->begin(); block.isValid(); block = block.next(), ++line)
            QCOMPARE(block.begin().fragment().charFormat().foreground().color(), expected[line]);
        sink->LogText("   ", 0);
        QVERIFY(user->messages.empty());
        sink->LogText("  连接失败 ", 2);
        QCOMPARE(user->messages.size(), size_t(1));
        QCOMPARE(user->messages[0].text, QString("连接失败"));
        QCOMPARE(user->messages[0].title, QString("系统提示"));
    }

    void passwordFieldsStoreTheTypedCharactersMasked() {
        auto window = openWindow("8001235");
        QVERIFY(window);
        Find<QLineEdit>(window, "txtMoneyPass1")->setFocus();
        QTest::keyClicks(Find<QLineEdit>(window, "txtMoneyPass1"), "Ab1 -.");
        QCOMPARE(Find<QLineEdit>(window, "txtMoneyPass1")->text(), QString("Ij9"));
        QCOMPARE(UnmaskPassword(Find<QLineEdit>(window, "txtMoneyPass1")->text()), QString("Ab1"));
        QTest::keyClick(Find<QLineEdit>(window, "txtMoneyPass1"), Qt::Key_Backspace);
        QCOMPARE(Find<QLineEdit>(window, "txtMoneyPass1")->text(), QString("Ij"));
        // Enter moves on before any character rule sees it.
        QTest::keyClick(Find<QLineEdit>(window, "txtMoneyPass1"), Qt::Key_Return);
        QCOMPARE(Find<QLineEdit>(window, "txtMoneyPass1")->text(), QString("Ij"));
        QCOMPARE(window->focusWidget(), static_cast<QWidget*>(Find<QLineEdit>(window, "txtMoney1")));
        // The old-password field keeps its 8 characters.
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PagePassword);
        Find<QLineEdit>(window, "txtOldPass")->setFocus();
        QTest::keyClicks(Find<QLineEdit>(window, "txtOldPass"), "1234567890");
        QCOMPARE(UnmaskPassword(Find<QLineEdit>(window, "txtOldPass")->text()), QString("12345678"));
    }

    void amountsKeepTwoDecimals() {
        struct Case {
            const char* text;
            int start, length;
            QChar key;
            bool accepted;
        };
        const Case cases[] = {{"12.34", 5, 0, '5', false}, {"12.34", 1, 0, '5', true}, {"12.34", 3, 2, '5', true},
                              {"12.", 3, 0, '.', false},   {"12.34", 5, 0, '\b', true}, {"12.3", 4, 0, '4', true},
                              {"123", 3, 0, '.', true},    {"12.3", 3, 0, '.', false},   {"12.34", 4, 0, '\b', true}};
        for (const auto& c : cases)
            QVERIFY2(DecimalKeyAccepted(c.text, c.start, c.length, c.key, 2) == c.accepted, c.text);

        auto window = openWindow("8001235");
        QVERIFY(window);
        Find<QLineEdit>(window, "txtMoney1")->setFocus();
        QCOMPARE(Find<QLineEdit>(window, "txtMoney1")->text(), QString());  // 0.00 is emptied on entry
        QTest::keyClicks(Find<QLineEdit>(window, "txtMoney1"), "12.345");
        QCOMPARE(Find<QLineEdit>(window, "txtMoney1")->text(), QString("12.34"));
        Find<QLineEdit>(window, "txtMoney1")->setCursorPosition(0);
        QTest::keyClick(Find<QLineEdit>(window, "txtMoney1"), Qt::Key_9);
        QCOMPARE(Find<QLineEdit>(window, "txtMoney1")->text(), QString("912.34"));
        // Entering txtMoney6 empties only txtMoney6.
        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageForex);
        Find<QTabWidget>(window, "PageControl")->setTabVisible(PageForex, true);
        Find<QLineEdit>(window, "txtMoney6")->setText("0.00");
        Find<QLineEdit>(window, "txtMoney6")->setFocus();
        QTRY_COMPARE(Find<QLineEdit>(window, "txtMoney6")->text(), QString());
        QCOMPARE(Find<QLineEdit>(window, "txtMoney1")->text(), QString("912.34"));
    }

    void arrowsAndEnterMoveThroughThePage() {
        auto window = openWindow("8001235");
        QVERIFY(window);
        Find<QLineEdit>(window, "txtTradeNo1")->setFocus();
        QTest::keyClick(Find<QLineEdit>(window, "txtTradeNo1"), Qt::Key_Return);
        QCOMPARE(window->focusWidget(), static_cast<QWidget*>(Find<QLineEdit>(window, "txtBankNo1")));
        // The disabled bank name is skipped.
        QTest::keyClick(Find<QLineEdit>(window, "txtBankNo1"), Qt::Key_Down);
        QCOMPARE(window->focusWidget(), static_cast<QWidget*>(Find<QComboBox>(window, "txtIO1")));
        // Left and Right step through the combo's items.
        QCOMPARE(Find<QComboBox>(window, "txtIO1")->currentIndex(), 1);
        QTest::keyClick(Find<QComboBox>(window, "txtIO1"), Qt::Key_Left);
        QCOMPARE(Find<QComboBox>(window, "txtIO1")->currentIndex(), 0);
        QTest::keyClick(Find<QComboBox>(window, "txtIO1"), Qt::Key_Right);
        QCOMPARE(Find<QComboBox>(window, "txtIO1")->currentIndex(), 1);
        QTest::keyClick(Find<QComboBox>(window, "txtIO1"), Qt::Key_Up);
        QCOMPARE(window->focusWidget(), static_cast<QWidget*>(Find<QLineEdit>(window, "txtBankNo1")));
        // F4 does not drop the list down.
        Find<QComboBox>(window, "txtIO1")->setFocus();
        QTest::keyClick(Find<QComboBox>(window, "txtIO1"), Qt::Key_F4);
        QVERIFY(!QApplication::activePopupWidget());
        QVERIFY(window->isVisible());
        QTest::keyClick(Find<QComboBox>(window, "txtIO1"), Qt::Key_Escape);
        QVERIFY(window->isVisible());
    }

    void clearButtonsEmptyTheFieldsOfTheirPage() {
        auto window = openWindow("8001235");
        QVERIFY(window);
        for (int page = PageTransfer; page <= PageMarket; ++page) Find<QTabWidget>(window, "PageControl")->setTabVisible(page, true);
        for (const char* name : {"txtBankPass1", "txtMoneyPass1", "txtOldPass", "txtNewPass1", "txtNewPass2", "txtBankPass3",
                                 "txtMoneyPass3", "txtBankPass5", "txtMoneyPass5", "txtBankPass6", "txtMoneyPass6",
                                 "txtMoneyPass7"})
            Find<QLineEdit>(window, name)->setText("xyz");
        for (auto* memo : window->findChildren<QPlainTextEdit*>()) memo->setPlainText("memo");
        Find<QLineEdit>(window, "txtMoney1")->setText("5.00");
        Find<QLineEdit>(window, "txtMoney6")->setText("6.00");

        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageTransfer);
        Find<QPushButton>(window, "btnClear1")->click();
        QVERIFY(Find<QLineEdit>(window, "txtMoney1")->text().isEmpty() && Find<QPlainTextEdit>(window, "txtMemo1")->toPlainText().isEmpty());
        QVERIFY(Find<QLineEdit>(window, "txtMoneyPass1")->text().isEmpty() && Find<QLineEdit>(window, "txtBankPass1")->text().isEmpty());
        QCOMPARE(window->focusWidget(), static_cast<QWidget*>(Find<QLineEdit>(window, "txtMoneyPass1")));
        QCOMPARE(Find<QPlainTextEdit>(window, "txtMemo2")->toPlainText(), QString("memo"));

        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageDetails);
        Find<QPushButton>(window, "btnClear2")->click();
        QVERIFY(Find<QPlainTextEdit>(window, "txtMemo2")->toPlainText().isEmpty());
        QCOMPARE(window->focusWidget(), static_cast<QWidget*>(Find<QLineEdit>(window, "txtBankNo2")));

        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PagePassword);
        Find<QPushButton>(window, "btnClear4")->click();
        QVERIFY(Find<QLineEdit>(window, "txtOldPass")->text().isEmpty() && Find<QLineEdit>(window, "txtNewPass2")->text().isEmpty());
        QCOMPARE(window->focusWidget(), static_cast<QWidget*>(Find<QLineEdit>(window, "txtTradeNo4")));

        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageSupervise);
        Find<QPushButton>(window, "btnClear3")->click();
        QVERIFY(Find<QLineEdit>(window, "txtMoneyPass3")->text().isEmpty() && Find<QPlainTextEdit>(window, "txtMemo3")->toPlainText().isEmpty());
        QCOMPARE(Find<QLineEdit>(window, "txtMoneyPass5")->text(), QString("xyz"));

        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageCard);
        Find<QPushButton>(window, "btnClear5")->click();
        QVERIFY(Find<QLineEdit>(window, "txtMoneyPass5")->text().isEmpty() && Find<QLineEdit>(window, "txtBankPass5")->text().isEmpty());

        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageForex);
        Find<QPushButton>(window, "btnClear6")->click();
        QVERIFY(Find<QLineEdit>(window, "txtMoney6")->text().isEmpty() && Find<QLineEdit>(window, "txtBankPass6")->text().isEmpty());

        Find<QTabWidget>(window, "PageControl")->setCurrentIndex(PageMarket);
        Find<QPushButton>(window, "BitBtn2")->click();
        QVERIFY(Find<QLineEdit>(window, "txtMoneyPass7")->text().isEmpty());
        QCOMPARE(Find<QPlainTextEdit>(window, "txtMemo7")->toPlainText(), QString("memo"));  // the memo of page 6 stays
        // Account fields and trade numbers are never cleared.
        QCOMPARE(Find<QLineEdit>(window, "txtBankNo1")->text(), QString("6228480010012345678"));
        QCOMPARE(Find<QLineEdit>(window, "txtTradeNo7")->text(), QString("8001235"));
    }

    void softKeyboardButtonsFocusTheirFieldWhenTheyCan() {
        auto window = openWindow("8001235");
        QVERIFY(window);
        Find<QLineEdit>(window, "txtMoney1")->setFocus();
        // btnKey8 serves the bank password, on a hidden panel: focus stays.
        QCOMPARE(Find<QToolButton>(window, "btnKey8")->property("Tag").toInt(), 0);
        Find<QToolButton>(window, "btnKey8")->click();
        QCOMPARE(window->focusWidget(), static_cast<QWidget*>(Find<QLineEdit>(window, "txtMoney1")));
        QVERIFY(CurrentSoftKeyboard());
        Find<QToolButton>(window, "btnKey1")->click();
        QCOMPARE(window->focusWidget(), static_cast<QWidget*>(Find<QLineEdit>(window, "txtMoneyPass1")));
        QCOMPARE(Find<QToolButton>(window, "RzRapidFireButton4")->objectName(), QString("RzRapidFireButton4"));
        QCOMPARE(Find<QToolButton>(window, "RzRapidFireButton4")->property("Tag").toInt(), 11);
        CurrentSoftKeyboard()->close();
    }

    void resultAreaFollowsThePageAndClosingReleases() {
        auto window = openWindow("8001235");
        QVERIFY(window);
        for (int page = PageTransfer; page <= PageLog; ++page) Find<QTabWidget>(window, "PageControl")->setTabVisible(page, true);
        const std::pair<int, DBGrid*> expected[] = {
            {PageSupervise, Find<DBGrid>(window, "DBMoneyGrid")}, {PageCard, Find<DBGrid>(window, "DBCardMoneyGrid")},
            {PageForex, Find<DBGrid>(window, "DBRateMoreGrid")},  {PageMarket, Find<DBGrid>(window, "DBMarketGrid")},
            {PageLog, Find<DBGrid>(window, "DBMoreGrid")},        {PageDetails, Find<DBGrid>(window, "DBMoreGrid")}};
        for (const auto& [page, grid] : expected) {
            Find<QTabWidget>(window, "PageControl")->setCurrentIndex(page);
            int visible = 0;
            for (auto* other : window->findChildren<DBGrid*>()) visible += other->isVisible() ? 1 : 0;
            QCOMPARE(visible, 1);
            QVERIFY(grid->isVisible());
            QCOMPARE(Find<TRedTabSet>(window, "RTBIOKind")->isVisible(), grid == Find<DBGrid>(window, "DBMoreGrid"));
        }
        // The code tables reached the grid columns.
        const auto& columns = Find<DBGrid>(window, "DBMoreGrid")->columns();
        const auto trade = std::find_if(columns.begin(), columns.end(), [](const GridColumn& c) { return c.fieldName == "TradeType"; });
        QVERIFY(trade != columns.end());
        QCOMPARE(trade->pickList, (std::vector<std::string>{"入金", "出金"}));
        window->close();
        QVERIFY(window->released());
        QVERIFY(!window->requests());
    }

    void filterStripFiltersTheDetailsByDirection() {
        auto window = openWindow("8001234");
        QVERIFY(window);
        TQueryTransferMore* details = &window->requests()->transferDetails;
        details->Settings.CustTradeID = "8001234";
        details->CustTradeID = "8001234";
        QVERIFY(details->Execute());
        QCOMPARE(details->ResultTable.recordCount(), 2);
        Find<DBGrid>(window, "DBMoreGrid")->setTable(&details->ResultSource());
        Find<TRedTabSet>(window, "RTBIOKind")->setTabIndex(1);
        QCOMPARE(details->ResultTable.recordCount(), 1);
        QCOMPARE(QString::fromStdString(details->ResultTable.text(0, "TradeType")), QString("1"));
        Find<TRedTabSet>(window, "RTBIOKind")->setTabIndex(2);
        QCOMPARE(QString::fromStdString(details->ResultTable.text(0, "TradeType")), QString("0"));
        Find<TRedTabSet>(window, "RTBIOKind")->setTabIndex(0);
        QCOMPARE(details->ResultTable.recordCount(), 2);
    }

    void aGridLayoutWithoutACodeTableColumnStopsTheStartUpWithAMessage() {
        writeBankIni(WithoutSection(ExampleBankIni(), "MoneyDBMoreGrid"));
        auto window = openWindow("8001235");
        QVERIFY(window);
        QCOMPARE(user->messages.size(), size_t(1));
        QVERIFY(user->messages[0].text.contains("CardIDType"));
        // Steps after the code tables did not run: no combo items were loaded, no account filled.
        QVERIFY(Find<QLineEdit>(window, "txtBankNo1")->text().isEmpty());
        QVERIFY(window->isVisible());
    }

    void screenshots() {
        const QByteArray shots = qgetenv("VANTREL_SCREENSHOTS");
        if (shots.isEmpty()) QSKIP("VANTREL_SCREENSHOTS is not set");
        auto window = openWindow("8001235");
        QVERIFY(window);
        for (int page = PageTransfer; page <= PageLog; ++page) {
            Find<QTabWidget>(window, "PageControl")->setTabVisible(page, true);
            Find<QTabWidget>(window, "PageControl")->setCurrentIndex(page);
            QTest::qWait(50);
            QVERIFY(window->grab().save(QString::fromUtf8(shots) + QString("/main-page%1.png").arg(page)));
        }
    }

    // Measured, not asserted: export call to login dialog, login to main window.
    void startUpTimes() {
        EnsureLibraryRunning();
        SetMainWindowLauncher(RunMainWindow);
        QElapsedTimer clock;
        qint64 dialogShown = -1, loginPressed = -1, mainShown = -1;
        QTimer poll;
        poll.setInterval(1);
        connect(&poll, &QTimer::timeout, [&] {
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal) return;
            if (modal->objectName() == "frmLoginMoney" && dialogShown < 0) {
                auto* ok = modal->findChild<QPushButton*>("btnOk");
                if (!ok || !ok->isEnabled()) return;
                dialogShown = clock.nsecsElapsed();
                modal->findChild<QLineEdit*>("txtPass")->setText("123456");
                loginPressed = clock.nsecsElapsed();
                QTimer::singleShot(0, ok, &QPushButton::click);
            }
            if (auto* main = qobject_cast<TfrmVantrel*>(modal); main && mainShown < 0 && Find<DBGrid>(main, "DBMoreGrid")->isVisible()) {
                mainShown = clock.nsecsElapsed();
                main->close();
            }
        });
        poll.start();
        clock.start();
        RunLoginSequence(0, "127.0.0.1", sim->port(), "8001235", false);
        poll.stop();
        QVERIFY(dialogShown > 0);
        QVERIFY(mainShown > loginPressed);
        qInfo("export call -> login dialog ready: %.1f ms", dialogShown / 1e6);
        qInfo("login pressed -> main window shown with its grid: %.1f ms", (mainShown - loginPressed) / 1e6);
    }
};

QTEST_MAIN(MainWindowTest)
#include "MainWindowTest.moc"
