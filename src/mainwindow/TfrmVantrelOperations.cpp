// The operations of the main window's pages: the transfer, the queries, the
// fund password change and foreign exchange. Each handler checks its fields
// in a fixed order, fills the window's request and runs it; the request
// reports its own outcome through the window's log notices.
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>

#include "grid/DBGrid.h"
#include "mainwindow/InputRules.h"
#include "mainwindow/TfrmVantrel.h"
#include "protocol/QueryRequests.h"
#include "protocol/Session.h"
#include "protocol/TBuyBalanceRate.h"
#include "protocol/TQueryIOCommValue.h"
#include "protocol/TVantrel.h"
#include "widgets/WaitCursorGuard.h"

namespace vantrel {
namespace {

const QString kChooseAccount = QStringLiteral("请选择正确的银行账号!");
const QString kFundPassword = QStringLiteral("请输入正确的客户资金密码!");
const QString kBankPassword = QStringLiteral("请输入正确的客户银行密码!");
const QString kAmount = QStringLiteral("划转金额不能小于或等于零!");
// Each line of the transfer summary ends with CR, LF, CR.
const QString kSummaryLineEnd = QStringLiteral("\r\n\r");

std::string Text(const QLineEdit* edit) { return edit->text().trimmed().toStdString(); }
std::string Password(const QLineEdit* edit) { return UnmaskPassword(edit->text().trimmed()).toStdString(); }
std::string Memo(const QPlainTextEdit* memo) { return MemoText(memo->toPlainText()).toStdString(); }
bool Blank(const QLineEdit* edit) { return edit->text().trimmed().isEmpty(); }
bool Shows(const QFrame* panel) { return !panel->isHidden(); }
QString Lbl(const QLabel* label) { return label->text().trimmed(); }

void Focus(QWidget* field, bool onlyIfFocusable) {
    if (!field) return;
    if (onlyIfFocusable && !(field->isVisible() && field->isEnabled() && field->focusPolicy() != Qt::NoFocus))
        return;
    field->setFocus(Qt::OtherFocusReason);
}

}  // namespace

void TfrmVantrel::attachOperations() {
    // Nothing may leave a Qt handler; the one failure a request lets through
    // is a transfer log that could not be written.
    const auto guarded = [this](void (TfrmVantrel::*handler)()) {
        return [this, handler] {
            try {
                (this->*handler)();
            } catch (const std::exception& failure) {
                ShowMsg(QStringLiteral("转账日志写入失败，本次业务的结果请以转账明细为准：") +
                            QString::fromUtf8(failure.what()),
                        MbOk, SystemPromptTitle());
            }
        };
    };
    connect(btnOk1, &QPushButton::clicked, this, guarded(&TfrmVantrel::btnOk1Click));
    connect(btnOk2, &QPushButton::clicked, this, guarded(&TfrmVantrel::btnOk2Click));
    connect(btnOk3, &QPushButton::clicked, this, guarded(&TfrmVantrel::btnOk3Click));
    connect(btnOK5, &QPushButton::clicked, this, guarded(&TfrmVantrel::btnOK5Click));
    connect(BitBtn1, &QPushButton::clicked, this, guarded(&TfrmVantrel::BitBtn1Click));
    connect(btnOk4, &QPushButton::clicked, this, guarded(&TfrmVantrel::btnOk4Click));
    connect(btnOk6, &QPushButton::clicked, this, guarded(&TfrmVantrel::btnOk6Click));
    connect(btnFind6, &QPushButton::clicked, this, guarded(&TfrmVantrel::btnFind6Click));
    connect(btnHttp, &QPushButton::clicked, this, guarded(&TfrmVantrel::btnHttpClick));
    for (QToolButton* tool : ToolbarLogs->findChildren<QToolButton*>())
        if (tool->property("Tag").isValid())
            connect(tool, &QToolButton::clicked, this, [this, tool] { btnLogSaveClick(tool); });
    // The customer's choices only: the window's own selections apply their
    // rules where they are made.
    connect(txtIO1, &QComboBox::activated, this, [this] { txtIO1Change(); });
    connect(txtRate6, &QComboBox::activated, this, [this] { txtRate6Change(); });
}

void TfrmVantrel::refuse(const QString& message, QWidget* field, bool onlyIfFocusable) {
    ShowMsg(message, MbOk, SystemPromptTitle());
    Focus(field, onlyIfFocusable);
}

bool TfrmVantrel::execute(TBankTransfer& request) {
    request.Settings.CustTradeID = session_.ActiveServer.TradeID;
    WaitCursorGuard wait;
    return request.Execute();
}

void TfrmVantrel::showResult(DBGrid* grid, TBankTransfer& request) { grid->setTable(&request.ResultSource()); }

bool TfrmVantrel::offerCheckAfterLostAnswer(const QString& what) {
    const QString question = QStringLiteral("没有收到本次%1的应答，结果未知。\r\n是否现在查询明细，确认是否已经成交?").arg(what);
    return ShowMsg(question, MbYesNo, SystemPromptTitle()) == IdYes;
}

// ---------------------------------------------------------------- page 0

void TfrmVantrel::txtIO1Change() { applyTransferPasswordPanel(QString::fromStdString(session_.CustomerSession.BankID)); }

void TfrmVantrel::btnOk1Click() {
    if (!vantrel_) return;
    const bool bankMode = Shows(PanBankPwdMask1);
    if (Blank(txtBankNo1)) return refuse(kChooseAccount, txtBankNo1, true);
    if (Blank(txtTradeNo1)) return refuse(kChooseAccount, txtTradeNo1, true);
    if (!bankMode && Blank(txtMoneyPass1)) return refuse(kFundPassword, txtMoneyPass1, true);
    if (bankMode && Blank(txtBankPass1)) return refuse(kBankPassword, txtBankPass1, true);
    const QString cents = AmountCents(txtMoney1->text());
    if (cents.isEmpty()) return refuse(kAmount, txtMoney1, true);

    const auto& session = session_.CustomerSession;
    const uint8_t direction = txtIO1->currentIndex() == 1 ? 1 : 0;
    const std::string moneyPwd = bankMode ? session.MoneyPwd : Password(txtMoneyPass1);
    QString commission;
    if (offer_.Commission) {
        auto& request = *queryIOCommValue_;
        request.BankCode = session.BankID;
        request.CustTradeID = Text(txtTradeNo1);
        request.CustMoneyPwd = moneyPwd;
        request.Memo = cents.toStdString();
        request.Direction = direction;
        const bool found = execute(request);
        if (!found) {
            ShowMsg(QString::fromStdString(request.LastMessage), MbOk, SystemPromptTitle());
            return;
        }
        commission = QString::fromStdString(request.CommissionText());
    }

    QString summary = QStringLiteral("确定要划转吗?") + kSummaryLineEnd;
    summary += Lbl(lblBankNo1) + " : " + txtBankNo1->text() + kSummaryLineEnd;
    summary += Lbl(lblBankName1) + " : " + txtBankName1->text() + kSummaryLineEnd;
    summary += Lbl(lblTradeNo1) + " : " + txtTradeNo1->text() + kSummaryLineEnd;
    summary += Lbl(lblMoney1) + " : " + txtMoney1->text();
    if (offer_.Commission)
        summary += kSummaryLineEnd + QString::fromStdString(queryIOCommValue_->OperationName) + " : " + commission;
    if (ShowMsg(summary, MbYesNo, SystemPromptTitle()) != IdYes) return;

    auto& transfer = *vantrel_;
    transfer.BankCode = Text(txtBankID1);
    transfer.CustBankAcctNo = Text(txtBankNo1);
    transfer.CustTradeID = Text(txtTradeNo1);
    transfer.CustBankPass = Password(txtBankPass1);
    transfer.CustMoneyPwd = moneyPwd;
    transfer.MoneySty = "0";
    transfer.MoneyType = "0";
    transfer.ChangeMoney = cents.toStdString();
    transfer.Memo = Memo(txtMemo1);
    transfer.Direction = direction;
    const bool done = execute(transfer);
    const bool lost = !done && transfer.AnswerLost;
    const bool query = (done && autoQuery_) || (lost && offerCheckAfterLostAnswer(QStringLiteral("划转")));
    if (query) {
        auto& details = *queryTransferMore_;
        details.BankCode = Text(txtBankID1);
        details.CustBankAcctNo = Text(txtBankNo1);
        details.CustTradeID = Text(txtTradeNo1);
        const bool listed = execute(details);
        if (listed) showResult(DBMoreGrid, details);
    }
    clearPage(PageTransfer);
    // The answer of a lost transfer is looked for in the details.
    if (lost && query) PageControl->setCurrentIndex(PageDetails);
}

// ---------------------------------------------------------------- queries

void TfrmVantrel::btnOk2Click() {
    if (!queryTransferMore_) return;
    if (Blank(txtTradeNo2)) return refuse(kChooseAccount, txtTradeNo2);
    auto& request = *queryTransferMore_;
    request.BankCode = Text(txtBankID2);
    request.CustBankAcctNo = Text(txtBankNo2);
    request.CustTradeID = Text(txtTradeNo2);
    request.MoneyType = "0";
    request.Memo = Memo(txtMemo2);
    const bool listed = execute(request);
    if (!listed) return;
    clearPage(PageDetails);
    showResult(DBMoreGrid, request);
}

void TfrmVantrel::btnOk3Click() {
    if (!queryBankMoney_) return;
    if (Blank(txtBankNo3)) return refuse(kChooseAccount, txtBankNo3);
    if (Blank(txtTradeNo3)) return refuse(kChooseAccount, txtTradeNo3);
    if (Shows(PanBankPwdMask4) && Blank(txtBankPass3)) return refuse(kBankPassword, txtBankPass3);
    auto& request = *queryBankMoney_;
    request.BankCode = Text(txtBankID3);
    request.CustBankAcctNo = Text(txtBankNo3);
    request.CustTradeID = Text(txtTradeNo3);
    request.CustBankPass = Password(txtBankPass3);
    request.MoneyType = "0";
    request.Memo = Memo(txtMemo3);
    request.QueryDate = txtDate->date().toString(QStringLiteral("yyyyMMdd")).toStdString();
    const bool listed = execute(request);
    if (!listed) return;
    clearPage(PageSupervise);
    showResult(DBMoneyGrid, request);
}

void TfrmVantrel::btnOK5Click() {
    if (!queryCardMoeny_) return;
    const bool bankMode = Shows(PanBankPwdMask5);
    if (Blank(txtBankNo5)) return refuse(kChooseAccount, txtBankNo5);
    if (Blank(txtTradeNo5)) return refuse(kChooseAccount, txtTradeNo5);
    if (!bankMode && Blank(txtMoneyPass5)) return refuse(kFundPassword, txtMoneyPass5);
    if (bankMode && Blank(txtBankPass5)) return refuse(kBankPassword, txtBankPass5);
    auto& request = *queryCardMoeny_;
    request.BankCode = Text(txtBankID5);
    request.CustBankAcctNo = Text(txtBankNo5);
    request.CustTradeID = Text(txtTradeNo5);
    request.CustBankPass = Password(txtBankPass5);
    request.CustMoneyPwd = bankMode ? session_.CustomerSession.MoneyPwd : Password(txtMoneyPass5);
    request.MoneySty = "0";
    request.MoneyType = "0";
    request.Memo = Memo(txtMemo5);
    const bool listed = execute(request);
    if (!listed) return;
    clearPage(PageCard);
    showResult(DBCardMoneyGrid, request);
}

void TfrmVantrel::BitBtn1Click() {
    if (!queryMarketMoney_) return;
    if (Blank(txtTradeNo7)) return refuse(kChooseAccount, txtTradeNo7);
    if (Blank(txtMoneyPass7)) return refuse(kFundPassword, txtMoneyPass7);
    auto& request = *queryMarketMoney_;
    request.BankCode = session_.CustomerSession.BankID;
    request.CustTradeID = Text(txtTradeNo7);
    request.CustMoneyPwd = Password(txtMoneyPass7);
    request.MoneySty = "0";
    request.MoneyType = "0";
    request.Memo = Memo(txtMemo7);
    const bool listed = execute(request);
    if (listed) showResult(DBMarketGrid, request);
    clearPage(PageMarket);
}

// ---------------------------------------------------------------- page 2

void TfrmVantrel::btnOk4Click() {
    if (!modifyMoneyPassWord_) return;
    if (Blank(txtTradeNo4)) return refuse(kChooseAccount, txtTradeNo4, true);
    if (Blank(txtOldPass)) return refuse(QStringLiteral("旧密码不正确,请核实!"), txtOldPass, true);
    if (txtNewPass1->text().trimmed().size() < 6)
        return refuse(QStringLiteral("为了您资金的安全,新密码不能小于6位!"), txtNewPass1, true);
    if (txtNewPass1->text().trimmed() != txtNewPass2->text().trimmed())
        return refuse(QStringLiteral("输入的两次新密码不匹配,请重试!"), txtNewPass2, true);
    auto& request = *modifyMoneyPassWord_;
    request.BankCode = session_.CustomerSession.BankID;
    request.CustTradeID = Text(txtTradeNo4);
    request.CustMoneyPwd = Password(txtOldPass);
    request.NCustMoneyPwd = Password(txtNewPass2);
    const bool changed = execute(request);
    if (!changed) return;
    session_.CustomerSession.MoneyPwd = Password(txtNewPass2);
    clearPage(PagePassword);
}

// ---------------------------------------------------------------- page 5

void TfrmVantrel::txtRate6Change() {
    if (txtRate6->currentIndex() < 0) return;
    btnOk6->setText(txtRate6->currentText());
    applyForexPasswordPanel(QString::fromStdString(session_.CustomerSession.BankID));
}

void TfrmVantrel::btnOk6Click() {
    if (!buyBalanceRate_) return;
    const bool bankMode = Shows(PanBankPwdMask6);
    if (Blank(txtBankNo6)) return refuse(kChooseAccount, txtBankNo6);
    if (Blank(txtTradeNo6)) return refuse(kChooseAccount, txtTradeNo6);
    if (!bankMode && Blank(txtMoneyPass6)) return refuse(kFundPassword, txtMoneyPass6);
    const QString cents = AmountCents(txtMoney6->text());
    if (cents.isEmpty()) return refuse(kAmount, txtMoney6);
    if (bankMode && Blank(txtBankPass6)) return refuse(kBankPassword, txtBankPass6, true);

    const std::string moneyPwd = bankMode ? session_.CustomerSession.MoneyPwd : Password(txtMoneyPass6);
    auto& exchange = *buyBalanceRate_;
    exchange.BankCode = Text(txtBankID6);
    exchange.CustBankAcctNo = Text(txtBankNo6);
    exchange.CustTradeID = Text(txtTradeNo6);
    exchange.CustBankPass = Password(txtBankPass6);
    exchange.CustMoneyPwd = moneyPwd;
    exchange.ChangeMoney = cents.toStdString();
    exchange.MoneySty = "0";
    exchange.BaseMoneyType = "1";
    exchange.MoneyType = "0";
    exchange.Memo = Memo(txtMemo6);
    exchange.Direction = txtRate6->currentIndex() == 1 ? 1 : 0;
    const bool done = execute(exchange);
    const bool lost = !done && exchange.AnswerLost;
    if ((done && autoQuery_) || (lost && offerCheckAfterLostAnswer(QStringLiteral("购汇结汇"))))
        if (listExchangeRecords(moneyPwd)) showResult(DBRateMoreGrid, *queryRateMore_);
    clearPage(PageForex);
}

void TfrmVantrel::btnFind6Click() {
    if (!queryRateMore_) return;
    if (Blank(txtTradeNo6)) return refuse(kChooseAccount, txtTradeNo6);
    if (!listExchangeRecords(Password(txtMoneyPass6))) return;
    clearPage(PageForex);
    showResult(DBRateMoreGrid, *queryRateMore_);
}

bool TfrmVantrel::listExchangeRecords(const std::string& moneyPwd) {
    auto& records = *queryRateMore_;
    records.BankCode = Text(txtBankID6);
    records.CustBankAcctNo = Text(txtBankNo6);
    records.CustTradeID = Text(txtTradeNo6);
    records.CustMoneyPwd = moneyPwd;
    records.Memo = Memo(txtMemo6);
    return execute(records);
}

}  // namespace vantrel
