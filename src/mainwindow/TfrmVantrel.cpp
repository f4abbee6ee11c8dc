#include "mainwindow/TfrmVantrel.h"

#include "grid/GridCodeTables.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QCoreApplication>
#include <QCursor>
#include <QDateEdit>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include <algorithm>
#include <stdexcept>

#include "common/BankIni.h"
#include "common/TextUtil.h"
#include "grid/DBGrid.h"
#include "grid/TFormatDBGrid.h"
#include "mainwindow/InputRules.h"
#include "mainwindow/TfrmBankList.h"
#include "protocol/AccountRow.h"
#include "protocol/FunctionCodes.h"
#include "protocol/QueryRequests.h"
#include "protocol/Session.h"
#include "protocol/TBuyBalanceRate.h"
#include "protocol/TQueryIOCommValue.h"
#include "protocol/TQuerySysParam.h"
#include "protocol/TVantrel.h"
#include "widgets/PasswordEcho.h"
#include "widgets/TRedTabSet.h"
#include "widgets/TfFormSK.h"

namespace vantrel {
namespace {

constexpr int kLabelX = 12;
constexpr int kFieldX = 84;
constexpr int kFieldWidth = 170;
constexpr int kRightLabelX = 300;
constexpr int kRightFieldX = 372;
constexpr int kButtonX = 660;
constexpr int kRowHeight = 26;
constexpr int kTop = 6;

int RowY(int row) { return kTop + row * kRowHeight; }

QLabel* MakeLabel(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* label = new QLabel(text, parent);
    if (name) label->setObjectName(name);
    label->setGeometry(x, y + 3, 70, 16);
    return label;
}

// The red mark of a required row.
void RequiredMark(QWidget* parent, int x, int y) {
    auto* star = new QLabel(QStringLiteral("*"), parent);
    star->setStyleSheet(QStringLiteral("color: red;"));
    star->setGeometry(x, y + 3, 8, 16);
}

QLineEdit* MakeEdit(QWidget* parent, const char* name, int x, int y, int maxLength, bool readOnly,
                    bool enabled = true, int width = kFieldWidth) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    edit->setGeometry(x, y, width, 21);
    if (maxLength > 0) edit->setMaxLength(maxLength);
    edit->setReadOnly(readOnly);
    edit->setEnabled(enabled);
    return edit;
}

QLineEdit* MakePassword(QWidget* parent, const char* name, int x, int y, int maxLength, int width = kFieldWidth) {
    auto* edit = MakeEdit(parent, name, x, y, maxLength, false, true, width);
    ShowAsStars(edit);
    // Pasting or dropping would put unmasked text into the field.
    edit->setContextMenuPolicy(Qt::NoContextMenu);
    edit->setAcceptDrops(false);
    return edit;
}

QLineEdit* MakeAmount(QWidget* parent, const char* name, int x, int y) {
    auto* edit = MakeEdit(parent, name, x, y, 10, false);
    edit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    // Up to 999999999 with two decimals.
    edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("\\d{0,9}(\\.\\d{0,2})?")), edit));
    edit->setText(QStringLiteral("0.00"));
    return edit;
}

QComboBox* MakeCombo(QWidget* parent, const char* name, int x, int y, const QStringList& items, bool enabled = true) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setGeometry(x, y, kFieldWidth, 21);
    combo->addItems(items);
    combo->setCurrentIndex(-1);
    combo->setEnabled(enabled);
    return combo;
}

QPlainTextEdit* MakeMemo(QWidget* parent, const char* name, int x, int y, int height) {
    auto* memo = new QPlainTextEdit(parent);
    memo->setObjectName(name);
    memo->setGeometry(x, y, kFieldWidth, height);
    memo->setTabChangesFocus(true);
    return memo;
}

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text, int x, int y) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setGeometry(x, y, 88, 25);
    button->setAutoDefault(false);
    return button;
}

QWidget* MakePage(QTabWidget* pages, const char* name, const QString& caption) {
    auto* page = new QWidget;
    page->setObjectName(name);
    pages->addTab(page, caption);
    return page;
}

const QStringList kMoneyKinds = {QStringLiteral("0.人民币"), QStringLiteral("1.美元"), QStringLiteral("2.港元")};

QString Q(const std::string& text) { return QString::fromStdString(text); }

// An account number longer than its field shows its first digits, not its last.
void ShowFromStart(QLineEdit* edit, const QString& text) {
    edit->setText(text);
    edit->setCursorPosition(0);
}

void FocusIfPossible(QWidget* widget) {
    if (widget && widget->isVisible() && widget->isEnabled() && widget->focusPolicy() != Qt::NoFocus)
        widget->setFocus(Qt::OtherFocusReason);
}

}  // namespace

TfrmVantrel::TfrmVantrel(Session& session, QWidget* parent) : TfrmNoneForm(parent), session_(session) {
    setObjectName(QStringLiteral("frmVantrel"));
    setWindowTitle(QStringLiteral("客户端出入金"));
    SetDesignSize(782, 511);
    buildLayout();
    attachInputRules();
    attachOperations();
    for (QLineEdit* edit : {txtTradeNo1, txtTradeNo2, txtTradeNo3, txtTradeNo4, txtTradeNo5, txtTradeNo6, txtTradeNo7})
        edit->setText(TradeID());
}

TfrmVantrel::~TfrmVantrel() { FormClose(); }

void TfrmVantrel::buildLayout() {
    auto* column = new QVBoxLayout(ClientArea());
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);

    PanelUp = new QFrame(ClientArea());
    PanelUp->setObjectName(QStringLiteral("PanelUp"));
    PanelUp->setFixedHeight(162);
    column->addWidget(PanelUp);
    auto* up = new QVBoxLayout(PanelUp);
    up->setContentsMargins(0, 0, 0, 0);
    PageControl = new QTabWidget(PanelUp);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->setTabPosition(QTabWidget::South);
    PageControl->tabBar()->setFixedHeight(20);
    up->addWidget(PageControl);

    // Created in tab order: the focus chain follows creation.
    buildPage0();
    buildPage1();
    buildPage2();
    buildPage3();
    buildPage4();
    buildPage5();
    buildPage6();
    buildPage7();

    ResultArea = new QWidget(ClientArea());
    ResultArea->setObjectName(QStringLiteral("ResultArea"));
    auto* grids = new QVBoxLayout(ResultArea);
    grids->setContentsMargins(0, 0, 0, 0);
    grids->setSpacing(0);
    const char* names[] = {"DBMoreGrid", "DBMoneyGrid", "DBCardMoneyGrid", "DBRateMoreGrid", "DBMarketGrid"};
    DBGrid** targets[] = {&DBMoreGrid, &DBMoneyGrid, &DBCardMoneyGrid, &DBRateMoreGrid, &DBMarketGrid};
    for (int i = 0; i < 5; ++i) {
        auto* grid = new DBGrid(ResultArea);
        grid->setObjectName(names[i]);
        grid->setFooterRowCount(1);
        grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid->setVisible(i == 0);
        grids->addWidget(grid);
        *targets[i] = grid;
    }
    column->addWidget(ResultArea, 1);

    buildStatusStrip();
    connect(PageControl, &QTabWidget::currentChanged, this, [this] { PageControlChange(); });
}

void TfrmVantrel::accountFields(QWidget* p, int suffix, QLineEdit** tradeNo, QLineEdit** bankNo,
                                QLineEdit** bankName) {
    const auto name = [suffix](const char* stem) { return QByteArray(stem) + QByteArray::number(suffix); };
    MakeLabel(p, nullptr, QStringLiteral("市场账号"), kLabelX, RowY(0));
    RequiredMark(p, kLabelX - 9, RowY(0));
    *tradeNo = MakeEdit(p, name("txtTradeNo").constData(), kFieldX, RowY(0), 25, true);
    MakeLabel(p, nullptr, QStringLiteral("银行账号"), kLabelX, RowY(1));
    RequiredMark(p, kLabelX - 9, RowY(1));
    *bankNo = searchEdit(p, name("txtBankNo").constData(), kFieldX, RowY(1));
    MakeLabel(p, nullptr, QStringLiteral("签约银行"), kLabelX, RowY(2));
    *bankName = MakeEdit(p, name("txtBankName").constData(), kFieldX, RowY(2), 25, false, false);
}

QLineEdit* TfrmVantrel::searchEdit(QWidget* page, const char* name, int x, int y) {
    auto* edit = MakeEdit(page, name, x, y, 0, true);
    // The whole account number beside the search button inside the field:
    // the button (icon + 6) and its margin (icon / 4), the frame and the 2
    // pixels QLineEdit keeps either side of its text. Up to the right column.
    const int icon = edit->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, edit);
    const int frame = edit->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, edit);
    const int needed = AccountNumberWidth(edit->fontMetrics()) + icon + 6 + icon / 4 + 2 * frame + 2 * 2 + 2;
    edit->resize(std::clamp(needed, kFieldWidth, kRightLabelX - 10 - x), edit->height());
    QAction* search = edit->addAction(style()->standardIcon(QStyle::SP_FileDialogContentsView), QLineEdit::TrailingPosition);
    search->setObjectName(QString::fromLatin1(name) + QStringLiteral("Button"));
    connect(search, &QAction::triggered, this, [this, edit] { txtBankNo1ButtonClick(edit); });
    return edit;
}

QToolButton* TfrmVantrel::keyButton(QWidget* parent, const char* name, int x, int y) {
    auto* button = new QToolButton(parent);
    button->setObjectName(name);
    button->setGeometry(x, y, 21, 21);
    button->setText(QStringLiteral("⌨"));
    button->setToolTip(QStringLiteral("软键盘"));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::NoFocus);
    connect(button, &QToolButton::clicked, this, [this, button] { btnKey8Click(button); });
    return button;
}

QFrame* TfrmVantrel::bankPasswordPanel(QWidget* page, const char* name, const char* editName, const char* buttonName,
                                       int x, int y, QLineEdit** edit) {
    auto* panel = new QFrame(page);
    panel->setObjectName(name);
    panel->setGeometry(x, y, 254, 24);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, Qt::white);
    panel->setPalette(palette);
    panel->setFrameShape(QFrame::NoFrame);
    MakeLabel(panel, nullptr, QStringLiteral("银行密码"), 0, 1);
    *edit = MakePassword(panel, editName, kRightFieldX - kRightLabelX, 1, 25, 140);
    RequiredMark(panel, kRightFieldX - kRightLabelX + 142, 1);
    keyButton(panel, buttonName, kRightFieldX - kRightLabelX + 151, 1);
    panel->hide();
    return panel;
}

void TfrmVantrel::buildPage0() {
    QWidget* p = TabSheet1 = MakePage(PageControl, "TabSheet1", QStringLiteral("出入金"));
    lblTradeNo1 = MakeLabel(p, "lblTradeNo1", QStringLiteral("市场账号"), kLabelX, RowY(0));
    txtTradeNo1 = MakeEdit(p, "txtTradeNo1", kFieldX, RowY(0), 25, true);
    lblBankNo1 = MakeLabel(p, "lblBankNo1", QStringLiteral("银行账号"), kLabelX, RowY(1));
    txtBankNo1 = searchEdit(p, "txtBankNo1", kFieldX, RowY(1));
    lblBankName1 = MakeLabel(p, "lblBankName1", QStringLiteral("签约银行"), kLabelX, RowY(2));
    txtBankName1 = MakeEdit(p, "txtBankName1", kFieldX, RowY(2), 25, false, false);
    lblIOKind1 = MakeLabel(p, "lblIOKind1", QStringLiteral("入金/出金"), kLabelX, RowY(3));
    txtIO1 = MakeCombo(p, "txtIO1", kFieldX, RowY(3), {QStringLiteral("0.出金"), QStringLiteral("1.入金")});
    for (int row = 0; row < 4; ++row) RequiredMark(p, kLabelX - 9, RowY(row));

    MakeLabel(p, nullptr, QStringLiteral("资金密码"), kRightLabelX, RowY(0));
    RequiredMark(p, kRightLabelX - 9, RowY(0));
    txtMoneyPass1 = MakePassword(p, "txtMoneyPass1", kRightFieldX, RowY(0), 25, 140);
    keyButtons[1] = keyButton(p, "btnKey1", kRightFieldX + 151, RowY(0));
    PanBankPwdMask1 = bankPasswordPanel(p, "PanBankPwdMask1", "txtBankPass1", "btnKey8", kRightLabelX, RowY(0) - 1,
                                        &txtBankPass1);
    keyButtons[0] = PanBankPwdMask1->findChild<QToolButton*>(QStringLiteral("btnKey8"));
    lblMoney1 = MakeLabel(p, "lblMoney1", QStringLiteral("划转金额"), kRightLabelX, RowY(1));
    RequiredMark(p, kRightLabelX - 9, RowY(1));
    txtMoney1 = MakeAmount(p, "txtMoney1", kRightFieldX, RowY(1));
    MakeLabel(p, nullptr, QStringLiteral("备注"), kRightLabelX, RowY(2));
    txtMemo1 = MakeMemo(p, "txtMemo1", kRightFieldX, RowY(2), 47);
    btnHttp = MakeButton(p, "btnHttp", QStringLiteral("网上入金"), kButtonX, RowY(0));
    btnOk1 = MakeButton(p, "btnOk1", QStringLiteral("划  转"), kButtonX, RowY(1) + 6);
    btnClear1 = MakeButton(p, "btnClear1", QStringLiteral("重  填"), kButtonX, RowY(2) + 12);

    // Kept for the operations, not shown.
    txtBankID1 = MakeEdit(p, "txtBankID1", 0, 0, 25, false, false);
    txtMonMB1 = MakeCombo(p, "txtMonMB1", 0, 0, kMoneyKinds, false);
    txtMoneyType1 = MakeCombo(p, "txtMoneyType1", 0, 0, {QStringLiteral("0.保证金"), QStringLiteral("1.货款")});
    for (QWidget* hidden : std::initializer_list<QWidget*>{txtBankID1, txtMonMB1, txtMoneyType1}) hidden->hide();
}

void TfrmVantrel::buildPage1() {
    QWidget* p = TabSheet2 = MakePage(PageControl, "TabSheet2", QStringLiteral("查询转账明细"));
    accountFields(p, 2, &txtTradeNo2, &txtBankNo2, &txtBankName2);
    MakeLabel(p, nullptr, QStringLiteral("备注  "), kRightLabelX, RowY(0));
    txtMemo2 = MakeMemo(p, "txtMemo2", kRightFieldX, RowY(0), 73);
    btnOk2 = MakeButton(p, "btnOk2", QStringLiteral("查  询"), kButtonX, RowY(0));
    btnClear2 = MakeButton(p, "btnClear2", QStringLiteral("重  填"), kButtonX, RowY(1) + 6);
    txtMonMB2 = MakeCombo(p, "txtMonMB2", 0, 0, {}, false);
    txtBankID2 = MakeEdit(p, "txtBankID2", 0, 0, 25, false, false);
    txtMonMB2->hide();
    txtBankID2->hide();
}

void TfrmVantrel::buildPage2() {
    QWidget* p = TabSheet3 = MakePage(PageControl, "TabSheet3", QStringLiteral("修改资金密码"));
    const QString captions[] = {QStringLiteral("市场账号"), QStringLiteral("旧密码"), QStringLiteral("新密码"),
                                QStringLiteral("确认新密码")};
    for (int row = 0; row < 4; ++row) {
        MakeLabel(p, nullptr, captions[row], kLabelX, RowY(row));
        RequiredMark(p, kLabelX - 9, RowY(row));
    }
    txtTradeNo4 = MakeEdit(p, "txtTradeNo4", kFieldX, RowY(0), 25, true, true, 141);
    txtOldPass = MakePassword(p, "txtOldPass", kFieldX, RowY(1), 8, 141);
    keyButtons[2] = keyButton(p, "btnKey2", kFieldX + 144, RowY(1));
    txtNewPass1 = MakePassword(p, "txtNewPass1", kFieldX, RowY(2), 8, 141);
    keyButtons[3] = keyButton(p, "btnKey3", kFieldX + 144, RowY(2));
    txtNewPass2 = MakePassword(p, "txtNewPass2", kFieldX, RowY(3), 8, 141);
    keyButtons[4] = keyButton(p, "btnKey4", kFieldX + 144, RowY(3));
    btnOk4 = MakeButton(p, "btnOk4", QStringLiteral("确  认"), kButtonX, RowY(0));
    btnClear4 = MakeButton(p, "btnClear4", QStringLiteral("重  填"), kButtonX, RowY(1) + 6);
}

void TfrmVantrel::buildPage3() {
    QWidget* p = TabSheet4 = MakePage(PageControl, "TabSheet4", QStringLiteral("查询银行监管余额"));
    accountFields(p, 3, &txtTradeNo3, &txtBankNo3, &txtBankName3);
    MakeLabel(p, nullptr, QStringLiteral("资金密码"), kRightLabelX, RowY(0));
    RequiredMark(p, kRightLabelX - 9, RowY(0));
    txtMoneyPass3 = MakePassword(p, "txtMoneyPass3", kRightFieldX, RowY(0), 25, 140);
    keyButtons[6] = keyButton(p, "btnKey5", kRightFieldX + 151, RowY(0));
    PanBankPwdMask4 = bankPasswordPanel(p, "PanBankPwdMask4", "txtBankPass3", "RzRapidFireButton1", kRightLabelX,
                                        RowY(0) - 1, &txtBankPass3);
    keyButtons[5] = PanBankPwdMask4->findChild<QToolButton*>(QStringLiteral("RzRapidFireButton1"));
    MakeLabel(p, nullptr, QStringLiteral("日期  "), kRightLabelX, RowY(1));
    txtDate = new QDateEdit(QDate(2008, 11, 10), p);
    txtDate->setObjectName(QStringLiteral("txtDate"));
    txtDate->setCalendarPopup(true);
    txtDate->setDisplayFormat(QStringLiteral("yyyy-MM-dd"));
    txtDate->setGeometry(kRightFieldX, RowY(1), 140, 21);
    MakeLabel(p, nullptr, QStringLiteral("备注  "), kRightLabelX, RowY(2));
    txtMemo3 = MakeMemo(p, "txtMemo3", kRightFieldX, RowY(2), 47);
    btnOk3 = MakeButton(p, "btnOk3", QStringLiteral("查  询"), kButtonX, RowY(0));
    btnClear3 = MakeButton(p, "btnClear3", QStringLiteral("重  填"), kButtonX, RowY(1) + 6);
    txtMonMB3 = MakeCombo(p, "txtMonMB3", 0, 0, {}, false);
    txtBankID3 = MakeEdit(p, "txtBankID3", 0, 0, 25, false, false);
    txtMonMB3->hide();
    txtBankID3->hide();
}

void TfrmVantrel::buildPage4() {
    QWidget* p = TabSheet5 = MakePage(PageControl, "TabSheet5", QStringLiteral("查银行资金余额"));
    accountFields(p, 5, &txtTradeNo5, &txtBankNo5, &txtBankName5);
    MakeLabel(p, nullptr, QStringLiteral("资金密码"), kRightLabelX, RowY(0));
    RequiredMark(p, kRightLabelX - 9, RowY(0));
    txtMoneyPass5 = MakePassword(p, "txtMoneyPass5", kRightFieldX, RowY(0), 25, 140);
    keyButtons[8] = keyButton(p, "btnKey7", kRightFieldX + 151, RowY(0));
    PanBankPwdMask5 = bankPasswordPanel(p, "PanBankPwdMask5", "txtBankPass5", "btnKey6", kRightLabelX, RowY(0) - 1,
                                        &txtBankPass5);
    keyButtons[7] = PanBankPwdMask5->findChild<QToolButton*>(QStringLiteral("btnKey6"));
    MakeLabel(p, nullptr, QStringLiteral("备注  "), kRightLabelX, RowY(1));
    txtMemo5 = MakeMemo(p, "txtMemo5", kRightFieldX, RowY(1), 47);
    btnOK5 = MakeButton(p, "btnOK5", QStringLiteral("查  询"), kButtonX, RowY(0));
    btnClear5 = MakeButton(p, "btnClear5", QStringLiteral("重  填"), kButtonX, RowY(1) + 6);
    txtMonMB5 = MakeCombo(p, "txtMonMB5", 0, 0, kMoneyKinds, false);
    txtBankID5 = MakeEdit(p, "txtBankID5", 0, 0, 25, false, false);
    txtMonMB5->hide();
    txtBankID5->hide();
}

void TfrmVantrel::buildPage5() {
    QWidget* p = TabSheet7 = MakePage(PageControl, "TabSheet7", QStringLiteral("购汇结汇"));
    accountFields(p, 6, &txtTradeNo6, &txtBankNo6, &txtBankName6);
    MakeLabel(p, nullptr, QStringLiteral("购汇/结汇  "), kLabelX, RowY(3));
    RequiredMark(p, kLabelX - 9, RowY(3));
    txtRate6 = MakeCombo(p, "txtRate6", kFieldX, RowY(3), {QStringLiteral("0.购汇"), QStringLiteral("1.结汇")});
    PanBankPwdMask6 = bankPasswordPanel(p, "PanBankPwdMask6", "txtBankPass6", "RzRapidFireButton3", kRightLabelX,
                                        RowY(0) - 1, &txtBankPass6);
    keyButtons[9] = PanBankPwdMask6->findChild<QToolButton*>(QStringLiteral("RzRapidFireButton3"));
    MakeLabel(p, nullptr, QStringLiteral("资金密码"), kRightLabelX, RowY(0));
    RequiredMark(p, kRightLabelX - 9, RowY(0));
    txtMoneyPass6 = MakePassword(p, "txtMoneyPass6", kRightFieldX, RowY(0), 25, 140);
    keyButtons[10] = keyButton(p, "RzRapidFireButton2", kRightFieldX + 151, RowY(0));
    PanBankPwdMask6->raise();  // lies over the fund password row while it shows
    MakeLabel(p, nullptr, QStringLiteral("金额  "), kRightLabelX, RowY(1));
    RequiredMark(p, kRightLabelX - 9, RowY(1));
    txtMoney6 = MakeAmount(p, "txtMoney6", kRightFieldX, RowY(1));
    MakeLabel(p, nullptr, QStringLiteral("备注  "), kRightLabelX, RowY(2));
    txtMemo6 = MakeMemo(p, "txtMemo6", kRightFieldX, RowY(2), 47);
    btnOk6 = MakeButton(p, "btnOk6", QStringLiteral("购汇结汇"), kButtonX, RowY(0));
    btnClear6 = MakeButton(p, "btnClear6", QStringLiteral("重  填"), kButtonX, RowY(1) + 6);
    btnFind6 = MakeButton(p, "btnFind6", QStringLiteral("查询明细"), kButtonX, RowY(2) + 12);
    txtBankID6 = MakeEdit(p, "txtBankID6", 0, 0, 25, false, false);
    txtBankID6->hide();
}

void TfrmVantrel::buildPage6() {
    QWidget* p = TabSheet8 = MakePage(PageControl, "TabSheet8", QStringLiteral("查询市场资金"));
    MakeLabel(p, nullptr, QStringLiteral("市场账号"), kLabelX, RowY(0));
    RequiredMark(p, kLabelX - 9, RowY(0));
    txtTradeNo7 = MakeEdit(p, "txtTradeNo7", kFieldX, RowY(0), 25, true);
    MakeLabel(p, nullptr, QStringLiteral("资金密码"), kLabelX, RowY(1));
    RequiredMark(p, kLabelX - 9, RowY(1));
    txtMoneyPass7 = MakePassword(p, "txtMoneyPass7", kFieldX, RowY(1), 25, 140);
    keyButtons[11] = keyButton(p, "RzRapidFireButton4", kFieldX + 151, RowY(1));
    MakeLabel(p, nullptr, QStringLiteral("备注  "), kRightLabelX, RowY(0));
    txtMemo7 = MakeMemo(p, "txtMemo7", kRightFieldX, RowY(0), 73);
    BitBtn1 = MakeButton(p, "BitBtn1", QStringLiteral("查  询"), kButtonX, RowY(0));
    BitBtn2 = MakeButton(p, "BitBtn2", QStringLiteral("重  填"), kButtonX, RowY(1) + 6);
}

void TfrmVantrel::buildPage7() {
    QWidget* p = TabSheet6 = MakePage(PageControl, "TabSheet6", QStringLiteral("日志"));
    auto* column = new QVBoxLayout(p);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    ToolbarLogs = new QToolBar(p);
    ToolbarLogs->setObjectName(QStringLiteral("ToolbarLogs"));
    ToolbarLogs->setFixedHeight(26);
    ToolbarLogs->setIconSize(QSize(16, 16));
    column->addWidget(ToolbarLogs);
    struct Tool {
        const char* name;
        const char* tip;
        const char* text;
        bool toggle;
    };
    const Tool tools[] = {{"btnLogSave", "保存", "存", false},     {"btnLogCopy", "复制", "复", false},
                          {"btnLogB", "粗体", "B", true},          {"btnLogI", "斜体", "I", true},
                          {"btnLogU", "下划线", "U", true},        {"btnLogLeft", "左对齐", "左", true},
                          {"btnLogMid", "居中", "中", true},       {"btnLogRight", "右对齐", "右", true},
                          {"btnLogICO", "定义标头", "•", true},    {"btnLogFont", "字体/字号", "字", false},
                          {"btnLogColor", "背景色", "色", false},  {"btnLogClear", "清空", "清", false}};
    auto* alignment = new QButtonGroup(ToolbarLogs);
    alignment->setExclusive(true);
    for (int tag = 0; tag < 12; ++tag) {
        if (tag == 2 || tag == 5 || tag == 8 || tag == 11) ToolbarLogs->addSeparator();
        auto* button = new QToolButton(ToolbarLogs);
        button->setObjectName(tools[tag].name);
        button->setToolTip(QString::fromUtf8(tools[tag].tip));
        button->setText(QString::fromUtf8(tools[tag].text));
        button->setCheckable(tools[tag].toggle);
        button->setProperty("Tag", tag);
        button->setFocusPolicy(Qt::NoFocus);
        if (tag >= 5 && tag <= 7) alignment->addButton(button);
        ToolbarLogs->addWidget(button);
    }
    ToolbarLogs->findChild<QToolButton*>(QStringLiteral("btnLogLeft"))->setChecked(true);
    RichLogs = new QTextEdit(p);
    RichLogs->setObjectName(QStringLiteral("RichLogs"));
    RichLogs->setReadOnly(true);
    RichLogs->setFrameShape(QFrame::NoFrame);
    RichLogs->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    column->addWidget(RichLogs, 1);
}

void TfrmVantrel::buildStatusStrip() {
    PanStatu->setFixedHeight(19);
    auto* strip = new QHBoxLayout(PanStatu);
    strip->setContentsMargins(0, 0, 2, 0);
    strip->setSpacing(0);
    RTBIOKind = new TRedTabSet(PanStatu);
    RTBIOKind->setObjectName(QStringLiteral("RTBIOKind"));
    RTBIOKind->setFixedWidth(193);
    RTBIOKind->setTabs({QStringLiteral("全部"), QStringLiteral("入金"), QStringLiteral("出金")});
    strip->addWidget(RTBIOKind);
    connect(RTBIOKind, &TRedTabSet::clicked, this, [this] { RTBIOKindClick(); });
    PanTips = new QLabel(PanStatu);
    PanTips->setObjectName(QStringLiteral("PanTips"));
    QFont bold = PanTips->font();
    bold.setBold(true);
    PanTips->setFont(bold);
    PanTips->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    strip->addWidget(PanTips, 1);
    const QStyle::StandardPixmap icons[] = {QStyle::SP_MediaSkipBackward, QStyle::SP_ArrowLeft, QStyle::SP_ArrowRight,
                                            QStyle::SP_MediaSkipForward};
    for (int tag = 0; tag < 4; ++tag) {
        auto* button = new QToolButton(PanStatu);
        button->setObjectName(QStringLiteral("btnMove%1").arg(tag + 1));
        button->setFixedSize(20, 18);
        button->setIconSize(QSize(12, 12));
        button->setIcon(style()->standardIcon(icons[tag]));
        button->setAutoRaise(true);
        button->setFocusPolicy(Qt::NoFocus);
        button->setProperty("Tag", tag);
        connect(button, &QToolButton::clicked, this, [this, button] { btnMove1Click(button); });
        strip->addWidget(button);
        btnMove[static_cast<std::size_t>(tag)] = button;
    }
}

void TfrmVantrel::attachInputRules() {
    passwordFields = {txtBankPass1, txtMoneyPass1, txtOldPass,    txtNewPass1,   txtNewPass2,   txtBankPass3,
                      txtMoneyPass3, txtBankPass5, txtMoneyPass5, txtBankPass6, txtMoneyPass6, txtMoneyPass7};
    for (int tag = 0; tag < 12; ++tag) keyButtons[static_cast<std::size_t>(tag)]->setProperty("Tag", tag);
    // Key navigation: every edit, combo box, amount field and the date picker
    // of the operation pages; memos and buttons keep their keys.
    for (int page = PageTransfer; page <= PageMarket; ++page) {
        QWidget* sheet = PageControl->widget(page);
        for (auto* edit : sheet->findChildren<QLineEdit*>()) {
            if (qobject_cast<QDateEdit*>(edit->parentWidget())) continue;
            edit->installEventFilter(this);
        }
        for (auto* combo : sheet->findChildren<QComboBox*>()) combo->installEventFilter(this);
        for (auto* date : sheet->findChildren<QDateEdit*>()) date->installEventFilter(this);
    }
    for (QPushButton* clear : {btnClear1, btnClear2, btnClear4, btnClear3, btnClear5, btnClear6, BitBtn2})
        connect(clear, &QPushButton::clicked, this, [this] { btnClear1Click(); });
}

// ---------------------------------------------------------------- start-up

QString TfrmVantrel::TradeID() const { return Q(session_.ActiveServer.TradeID); }

void TfrmVantrel::showEvent(QShowEvent* event) {
    TfrmNoneForm::showEvent(event);
    if (!formShown_) {
        formShown_ = true;
        FormShow();
    }
}

void TfrmVantrel::FormShow() {
    try {
        startUpSteps();
    } catch (const std::exception& failure) {
        // The remaining steps are skipped; the window opens with what was set up.
        Prompts().messageBox(this, QString::fromStdString(failure.what()), windowTitle(), MbOk);
    }
    emit shown();
}

void TfrmVantrel::startUpSteps() {
    policy_ = BankPolicy();
    offer_ = BankOffer();
    setAttribute(Qt::WA_OpaquePaintEvent, false);

    // 1
    autoQuery_ = IniReadBool("system", "AutoQueryFlag", false);

    // 2
    queryTransferMore_ = std::make_unique<TQueryTransferMore>(session_, logSink());
    modifyMoneyPassWord_ = std::make_unique<TModifyMoneyPassWord>(session_, logSink());
    vantrel_ = std::make_unique<TVantrel>(session_, logSink());
    queryBankMoney_ = std::make_unique<TQueryBankMoney>(session_, logSink());
    queryCardMoeny_ = std::make_unique<TQueryCardMoeny>(session_, logSink());
    buyBalanceRate_ = std::make_unique<TBuyBalanceRate>(session_, logSink());
    queryRateMore_ = std::make_unique<TQueryRateMore>(session_, logSink());
    queryOrderID_ = std::make_unique<TQueryOrderID>(session_, logSink());
    queryIOCommValue_ = std::make_unique<TQueryIOCommValue>(session_, logSink());
    queryMarketMoney_ = std::make_unique<TQueryMarketMoney>(session_, logSink());
    querySysParam_ = std::make_unique<TQuerySysParam>(session_, logSink());

    // 3
    LoadBankPolicy();

    // 4
    DBGrid* grids[] = {DBMoreGrid, DBMoneyGrid, DBCardMoneyGrid, DBRateMoreGrid, DBMarketGrid};
    for (std::size_t i = 0; i < formatters_.size(); ++i) {
        auto created = TFormatDBGrid::Create();
        if (!created.ok()) throw std::runtime_error(created.error());
        formatters_[i] = std::move(created).value();
        formatters_[i]->setNodeHead(QStringLiteral("Money"));
        if (i == 0) formatters_[i]->SpaceColFlag = false;
        const Status formatted = formatters_[i]->FormatDBGrid(grids[i], true, false, true);
        if (!formatted.ok()) throw std::runtime_error(formatted.error());
    }

    // 5
    attachCodeTables();

    // 6: the grids share the result area's layout; only the visible one takes room.

    // 7
    const auto captions = SectionValues("MoneyMGKind", "Bank.ini");
    if (captions && captions->size() == static_cast<std::size_t>(PageControl->count()))
        for (int page = 0; page < PageControl->count(); ++page)
            PageControl->setTabText(page, Q(captions->at(static_cast<std::size_t>(page))));

    // 8
    PageControl->setCurrentIndex(PageTransfer);

    // 9
    for (QComboBox* combo : {txtIO1, txtMonMB1, txtMoneyType1, txtRate6}) LoadComboItems(objectName(), combo);

    // 10
    lblIOKind1->setText(Q(CaptionFor("lblIOKind1", "入金/出金")));

    // 11
    if (txtIO1->count() > 1) txtIO1->setCurrentIndex(1);
    if (txtMoneyType1->count() > 0) txtMoneyType1->setCurrentIndex(0);
    if (txtRate6->count() > 0) {
        txtRate6->setCurrentIndex(0);
        txtRate6Change();
    }
    QStringList moneyKinds;
    for (int i = 0; i < txtMonMB1->count(); ++i) moneyKinds << txtMonMB1->itemText(i);
    for (QComboBox* copy : {txtMonMB2, txtMonMB3}) {
        copy->clear();
        copy->addItems(moneyKinds);
    }

    // 12
    formatters_[4]->ResizeSpaceCol();

    // 13
    policy_.UpdateForex(offer_, kExchangeBankId);
    PageControl->setTabVisible(PageForex, offer_.BuyForex || offer_.SettleForex);

    // 14, 15
    MemoryTable& accounts = session_.SignedBankTable;
    // A table without columns was never filled by a login: "not open".
    if (accounts.fieldCount() > 0) {
        static_cast<void>(accounts.setFilter("BANKID<>999"));
        try {
            accountSteps();
        } catch (const std::exception&) {
            // An unreadable account row ends the step; what was done stays.
        }
    }

    // 16
    if (RTBIOKind->count() > 0 && RTBIOKind->tabIndex() != 0) RTBIOKind->setTabIndex(0);
}

void TfrmVantrel::LoadBankPolicy() {
    // The outcome is not examined; a failed fetch leaves an empty table.
    querySysParam_->LogEvents = false;
    querySysParam_->CustTradeID = session_.ActiveServer.TradeID;
    querySysParam_->Settings.CustTradeID = session_.ActiveServer.TradeID;
    querySysParam_->SubCode = "0";
    querySysParam_->Execute();
    policy_ = BankPolicy(querySysParam_->ResultTable);
}

void TfrmVantrel::attachCodeTables() {
    // One list of code tables serves the window and the command-line export.
    const auto list = [](const std::string& section) {
        return SectionValues(section, "Bank.ini").value_or(std::vector<std::string>{});
    };
    for (const auto& table : ResultGridCodeTables()) {
        auto* grid = findChild<DBGrid*>(QString::fromStdString(table.grid));
        if (!grid) continue;
        GridModel* model = grid->gridModel();
        int found = -1;
        for (int c = 0; c < model->columnCount(); ++c)
            if (EqualsNoCase(model->column(c).fieldName, table.field)) found = c;
        if (found < 0) {
            if (!table.required) continue;
            throw std::runtime_error("网格 " + table.grid + " 没有字段 " + table.field);
        }
        model->column(found).keyList = list(table.keySection);
        model->column(found).pickList = list(table.valueSection);
    }
    for (DBGrid* grid : {DBMoreGrid, DBMoneyGrid, DBCardMoneyGrid, DBRateMoreGrid}) grid->viewport()->update();
}

void TfrmVantrel::accountSteps() {
    MemoryTable& accounts = session_.SignedBankTable;
    auto& session = session_.CustomerSession;
    if (accounts.recordCount() == 0) {
        for (int page : {PageTransfer, PageDetails, PageSupervise, PageCard, PageMarket})
            PageControl->setTabVisible(page, false);
        PageControl->setCurrentIndex(PagePassword);
        return;
    }
    accounts.first();
    ReadAccountRow(accounts, vantrel_->Settings.NetBank, session);
    const std::string bank = session.BankID;
    policy_.UpdateTransfer(offer_, bank);
    // With several accounts the query pages wait for the customer's choice.
    if (accounts.recordCount() > 1) return;

    policy_.UpdateQueries(offer_, bank);
    PageControl->setTabVisible(PageSupervise, offer_.SupervisedBalance);
    PageControl->setTabVisible(PageCard, offer_.CardBalance);
    PageControl->setTabVisible(PageMarket, offer_.MarketFunds);
    btnHttp->setVisible(session.BankType != 0);
    for (QLineEdit* edit : {txtBankID1, txtBankID2, txtBankID3, txtBankID5}) edit->setText(Q(session.BankID));
    for (QLineEdit* edit : {txtBankNo1, txtBankNo2, txtBankNo3, txtBankNo5}) ShowFromStart(edit, Q(session.CustBankAcctNo));
    for (QLineEdit* edit : {txtBankName1, txtBankName2, txtBankName3, txtBankName5}) edit->setText(Q(session.BankName));
    applyDirectionRules();
    const QString bankId = Q(bank);
    applyTransferPasswordPanel(bankId);
    PanBankPwdMask4->setVisible(policy_.BankPasswordRequired(ParamCode::SupervisedBalance, bank));
    PanBankPwdMask5->setVisible(policy_.BankPasswordRequired(ParamCode::CardBalance, bank));
    applyForexPasswordPanel(bankId);
    PageControl->setCurrentIndex(PageTransfer);
}

void TfrmVantrel::applyDirectionRules() {
    // txtIO1: 0 withdraws, 1 deposits.
    const OnlyDirection directions = DirectionsOf(offer_.Withdraw, offer_.Deposit);
    txtIO1->setEnabled(directions == OnlyDirection::Both);
    btnOk1->setEnabled(directions != OnlyDirection::Neither);
    if (directions == OnlyDirection::First)
        txtIO1->setCurrentIndex(0);
    else if (directions == OnlyDirection::Second)
        txtIO1->setCurrentIndex(1);
    else if (directions == OnlyDirection::Neither)
        txtIO1->setCurrentIndex(-1);
}

void TfrmVantrel::applyForexDirectionRules(const QString& bankId) {
    // txtRate6: 0 buys, 1 settles.
    const OnlyDirection directions = DirectionsOf(offer_.BuyForex, offer_.SettleForex);
    txtRate6->setEnabled(directions == OnlyDirection::Both);
    if (directions != OnlyDirection::Both) {
        if (directions == OnlyDirection::First)
            txtRate6->setCurrentIndex(0);
        else if (directions == OnlyDirection::Second)
            txtRate6->setCurrentIndex(1);
        btnOk6->setText(txtRate6->currentText());
    }
    applyForexPasswordPanel(bankId);
    btnOk6->setEnabled(directions != OnlyDirection::Neither);
}

void TfrmVantrel::applyTransferPasswordPanel(const QString& bankId) {
    const int direction = txtIO1->currentIndex();
    if (direction == 0 || direction == 1)
        PanBankPwdMask1->setVisible(policy_.TransferNeedsBankPassword(direction == 1, bankId.toStdString()));
}

void TfrmVantrel::applyForexPasswordPanel(const QString& bankId) {
    // txtRate6: 0 buys, 1 settles.
    const int direction = txtRate6->currentIndex();
    if (direction == 0 || direction == 1)
        PanBankPwdMask6->setVisible(policy_.ForexNeedsBankPassword(direction == 0, bankId.toStdString()));
}

bool TfrmVantrel::BankPasswordRequired(const QString& code, const QString& bankId) const {
    return policy_.BankPasswordRequired(code.toStdString(), bankId.toStdString());
}

// ---------------------------------------------------------------- result area

void TfrmVantrel::PageControlChange() {
    DBGrid* shown = ActiveGrid();
    for (DBGrid* grid : {DBMoreGrid, DBMoneyGrid, DBCardMoneyGrid, DBRateMoreGrid, DBMarketGrid})
        grid->setVisible(grid == shown);
    RTBIOKind->setVisible(shown == DBMoreGrid);
}

DBGrid* TfrmVantrel::ActiveGrid() const {
    switch (PageControl->currentIndex()) {
    case PageSupervise: return DBMoneyGrid;
    case PageCard: return DBCardMoneyGrid;
    case PageForex: return DBRateMoreGrid;
    case PageMarket: return DBMarketGrid;
    default: return DBMoreGrid;
    }
}

void TfrmVantrel::RTBIOKindClick() {
    MemoryTable* table = DBMoreGrid->table();
    if (!table || table->fieldCount() == 0) return;
    switch (RTBIOKind->tabIndex()) {
    case 0: table->setFiltered(false); break;
    case 1: static_cast<void>(table->setFilter("TRADETYPE=1")); break;
    case 2: static_cast<void>(table->setFilter("TRADETYPE=0")); break;
    default: break;
    }
}

void TfrmVantrel::btnMove1Click(QToolButton* button) {
    DBGrid* grid = ActiveGrid();
    const int all = grid->gridColumnCount() + 1;
    switch (button->property("Tag").toInt()) {
    case 0: grid->scrollColumns(-all); break;
    case 1: grid->scrollColumns(-1); break;
    case 2: grid->scrollColumns(1); break;
    case 3: grid->scrollColumns(all); break;
    default: break;
    }
}

// ---------------------------------------------------------------- notices

void TfrmVantrel::LogBlockMessage(const QString& block, int level) {
    if (level == 0) logColor_ = 0;
    if (level == 1) logColor_ = 1;
    QTextCursor cursor(RichLogs->document());
    cursor.movePosition(QTextCursor::End);
    QTextCharFormat format;
    format.setForeground(logColor_ == 0 ? QColor(Qt::black) : QColor(255, 0, 0));
    if (!RichLogs->document()->isEmpty()) cursor.insertBlock();
    cursor.insertText(block, format);
}

void TfrmVantrel::LogTextMessage(const QString& message, int) {
    const QString text = message.trimmed();
    if (!text.isEmpty()) ShowMsg(text, MbOk, SystemPromptTitle());
}

// ---------------------------------------------------------------- input rules

bool TfrmVantrel::txtBankNo1KeyDown(QWidget* control, int key) {
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down: focusNextPrevChild(true); return true;
    case Qt::Key_Up: focusNextPrevChild(false); return true;
    case Qt::Key_Left:
    case Qt::Key_Right: {
        // Within a combo box Left and Right step through the items.
        QKeyEvent replaced(QEvent::KeyPress, key == Qt::Key_Left ? Qt::Key_Up : Qt::Key_Down, Qt::NoModifier);
        forwardingKey_ = true;
        QCoreApplication::sendEvent(control, &replaced);
        forwardingKey_ = false;
        return true;
    }
    case Qt::Key_F4: return true;
    default: return false;
    }
}

bool TfrmVantrel::txtBankPass1KeyPress(QLineEdit* field, const QString& text, int key) {
    if (key == Qt::Key_Backspace || key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape ||
        key == Qt::Key_Delete)
        return false;
    if (text.isEmpty()) return false;  // not a character: arrows, Home, Tab...
    if (text.size() == 1 && IsPasswordCharacter(text.front())) {
        field->insert(QString(MaskPasswordCharacter(text.front())));
        return true;
    }
    return true;  // every other character, pasting shortcuts included, is dropped
}

bool TfrmVantrel::LimitDecimals(QLineEdit* field, QChar key, int places) const {
    const bool selected = field->hasSelectedText();
    const int start = selected ? field->selectionStart() : field->cursorPosition();
    const int length = selected ? static_cast<int>(field->selectedText().size()) : 0;
    return DecimalKeyAccepted(field->text(), start, length, key, places);
}

void TfrmVantrel::txtMoney1Enter(QLineEdit* field) {
    if (AmountValue(field->text()) <= 0) field->clear();
}

void TfrmVantrel::btnKey8Click(QToolButton* button) {
    const int tag = button->property("Tag").toInt();
    if (tag >= 0 && tag < static_cast<int>(passwordFields.size()))
        FocusIfPossible(passwordFields[static_cast<std::size_t>(tag)]);
    const QPoint cursor = QCursor::pos();
    ShowSoftKeyboard(this, QPoint(cursor.x() - txtOldPass->width(), cursor.y() + 10));
}

void TfrmVantrel::btnClear1Click() { clearPage(PageControl->currentIndex()); }

void TfrmVantrel::clearPage(int page) {
    switch (page) {
    case PageTransfer:
        txtMoney1->clear();
        txtMemo1->clear();
        txtMoneyPass1->clear();
        txtBankPass1->clear();
        FocusIfPossible(txtMoneyPass1);
        break;
    case PageDetails:
        txtMemo2->clear();
        FocusIfPossible(txtBankNo2);
        break;
    case PagePassword:
        txtOldPass->clear();
        txtNewPass1->clear();
        txtNewPass2->clear();
        FocusIfPossible(txtTradeNo4);
        break;
    case PageSupervise:
        txtBankPass3->clear();
        txtMoneyPass3->clear();
        txtMemo3->clear();
        break;
    case PageCard:
        txtBankPass5->clear();
        txtMoneyPass5->clear();
        txtMemo5->clear();
        break;
    case PageForex:
        txtBankPass6->clear();
        txtMoneyPass6->clear();
        txtMoney6->clear();
        txtMemo6->clear();
        break;
    case PageMarket: txtMoneyPass7->clear(); break;
    default: break;
    }
}

bool TfrmVantrel::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && !forwardingKey_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (txtBankNo1KeyDown(widget, key->key())) return true;
        auto* edit = qobject_cast<QLineEdit*>(widget);
        if (edit && std::find(passwordFields.begin(), passwordFields.end(), edit) != passwordFields.end())
            return txtBankPass1KeyPress(edit, key->text(), key->key());
        if (edit && (edit == txtMoney1 || edit == txtMoney6) && !key->text().isEmpty()) {
            const QChar typed = key->key() == Qt::Key_Backspace ? QChar(u'\b') : key->text().front();
            if (!LimitDecimals(edit, typed, 2)) return true;
        }
    }
    if (event->type() == QEvent::FocusIn && (watched == txtMoney1 || watched == txtMoney6))
        txtMoney1Enter(static_cast<QLineEdit*>(watched));
    if (event->type() == QEvent::FocusOut && (watched == txtMoney1 || watched == txtMoney6)) {
        // The amount shows with two decimals once the customer leaves the field.
        auto* edit = static_cast<QLineEdit*>(watched);
        if (!edit->text().trimmed().isEmpty())
            edit->setText(QString::number(AmountValue(edit->text()), 'f', 2));
    }
    return TfrmNoneForm::eventFilter(watched, event);
}

void TfrmVantrel::keyPressEvent(QKeyEvent* event) {
    // Escape in a field must not close the main window.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    TfrmNoneForm::keyPressEvent(event);
}

// ---------------------------------------------------------------- the picker

void TfrmVantrel::txtBankNo1ButtonClick(QLineEdit* field) {
    MemoryTable& accounts = session_.SignedBankTable;
    static_cast<void>(accounts.setFilter(PageControl->currentIndex() == PageForex ? "BANKID=999" : "BANKID<>999"));
    const bool netBank = vantrel_ && vantrel_->Settings.NetBank;
    TfrmBankList* picker = TfrmBankList::Prepare(this, accounts);
    connect(picker, &TfrmBankList::accountChosen, this, &TfrmVantrel::BankChosen, Qt::UniqueConnection);
    TfrmBankList::Run(picker, field, session_.CustomerSession, netBank);
}

void TfrmVantrel::BankChosen(const TBankInfo& account) {
    session_.CustomerSession = account;
    const auto& session = session_.CustomerSession;
    const QString bankId = Q(session.BankID);
    const QString display = QStringLiteral("%1(%2)").arg(Q(session.BankName), bankId);
    const std::string bank = session.BankID;
    switch (PageControl->currentIndex()) {
    case PageTransfer:
        txtBankID1->setText(bankId);
        ShowFromStart(txtBankNo1, Q(session.CustBankAcctNo));
        txtMonMB1->setCurrentIndex(session.MoneyType);
        txtBankName1->setText(display);
        btnHttp->setVisible(session.BankType != 0);
        policy_.UpdateTransfer(offer_, bank);
        policy_.Update(offer_.SupervisedBalance, ParamCode::SupervisedBalance, bank);
        applyDirectionRules();
        applyTransferPasswordPanel(bankId);
        FocusIfPossible(txtIO1);
        break;
    case PageDetails:
        txtBankID2->setText(bankId);
        ShowFromStart(txtBankNo2, Q(session.CustBankAcctNo));
        txtMonMB2->setCurrentIndex(session.MoneyType);
        txtBankName2->setText(display);
        break;
    case PageSupervise:
        txtBankID3->setText(bankId);
        ShowFromStart(txtBankNo3, Q(session.CustBankAcctNo));
        txtMonMB3->setCurrentIndex(session.MoneyType);
        txtBankName3->setText(display);
        policy_.Update(offer_.SupervisedBalance, ParamCode::SupervisedBalance, bank);
        btnOk3->setEnabled(offer_.SupervisedBalance);
        PanBankPwdMask4->setVisible(policy_.BankPasswordRequired(ParamCode::SupervisedBalance, bank));
        FocusIfPossible(PanBankPwdMask4->isVisible() ? txtBankPass3 : txtMoneyPass3);
        break;
    case PageCard:
        txtBankID5->setText(bankId);
        ShowFromStart(txtBankNo5, Q(session.CustBankAcctNo));
        txtMonMB5->setCurrentIndex(session.MoneyType);
        txtBankName5->setText(display);
        policy_.Update(offer_.CardBalance, ParamCode::CardBalance, bank);
        btnOK5->setEnabled(offer_.CardBalance);
        PanBankPwdMask5->setVisible(policy_.BankPasswordRequired(ParamCode::CardBalance, bank));
        FocusIfPossible(PanBankPwdMask5->isVisible() ? txtBankPass5 : txtMoneyPass5);
        break;
    case PageForex:
        txtBankID6->setText(bankId);
        ShowFromStart(txtBankNo6, Q(session.CustBankAcctNo));
        txtBankName6->setText(display);
        policy_.UpdateForex(offer_, bank);
        applyForexDirectionRules(bankId);
        FocusIfPossible(txtRate6);
        break;
    default: break;
    }
}

// ---------------------------------------------------------------- closing

void TfrmVantrel::done(int result) {
    FormClose();
    TfrmNoneForm::done(result);
}

void TfrmVantrel::FormClose() {
    if (released_ || !formShown_) return;
    released_ = true;
    TfrmBankList::CloseOpen();
    // The grids show tables the requests and formatters own.
    for (DBGrid* grid : {DBMoreGrid, DBMoneyGrid, DBCardMoneyGrid, DBRateMoreGrid, DBMarketGrid})
        grid->setTable(nullptr);
    for (auto& formatter : formatters_) formatter.reset();
    queryTransferMore_.reset();
    modifyMoneyPassWord_.reset();
    vantrel_.reset();
    queryBankMoney_.reset();
    queryCardMoeny_.reset();
    buyBalanceRate_.reset();
    queryRateMore_.reset();
    queryOrderID_.reset();
    queryIOCommValue_.reset();
    queryMarketMoney_.reset();
    querySysParam_.reset();
}

void RunMainWindow(Session& session) {
    auto form = CreateForm<TfrmVantrel>(session);
    form->exec();
}

}  // namespace vantrel
