#pragma once
// The main window: one page per operation above a shared result area. This
// file holds the window's structure, its start-up (FormShow), the switching
// of the result area, the log notices, the account picker's reactions and the
// input rules every page shares. The page operations attach to the controls
// by name.
#include <QPointer>
#include <QString>

#include <array>
#include <memory>
#include <string>

#include "protocol/BankPolicy.h"
#include "protocol/SessionTypes.h"
#include "widgets/TfrmNoneForm.h"

class QAction;
class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class QTextCharFormat;
class QTextEdit;
class QToolBar;
class QToolButton;

namespace vantrel {

struct Session;
class DBGrid;
class TBankTransfer;
class TBuyBalanceRate;
class TFormatDBGrid;
class TModifyMoneyPassWord;
class TQueryBankMoney;
class TQueryCardMoeny;
class TQueryIOCommValue;
class TQueryMarketMoney;
class TQueryOrderID;
class TQueryRateMore;
class TQuerySysParam;
class TQueryTransferMore;
class TRedTabSet;
class TVantrel;

// Page indexes of PageControl.
enum VantrelPage : int {
    PageTransfer = 0,
    PageDetails = 1,
    PagePassword = 2,
    PageSupervise = 3,
    PageCard = 4,
    PageForex = 5,
    PageMarket = 6,
    PageLog = 7,
};

class TfrmVantrel : public TfrmNoneForm {
    Q_OBJECT
public:
    // Works for the login of `session`, which outlives the window: its trade
    // number, its accounts and the account in use.
    explicit TfrmVantrel(Session& session, QWidget* parent = nullptr);
    ~TfrmVantrel() override;

    // The trade number of the session's login.
    QString TradeID() const;

    // The start-up steps; runs once, at the first show.
    void FormShow();
    // Frees the requests and formatters; runs once, when the window closes.
    void FormClose();

    // Runs the system parameter query and reads what it allows; a failed
    // query leaves every switch at its default.
    void LoadBankPolicy();
    const BankPolicy& policy() const { return policy_; }
    // The switches of the pages and directions for the account in use.
    const BankOffer& offer() const { return offer_; }
    // Bank.ini's AutoQueryFlag: the details follow every money move.
    bool autoQuery() const { return autoQuery_; }
    bool BankPasswordRequired(const QString& code, const QString& bankId) const;

    void PageControlChange();
    void RTBIOKindClick();
    void btnMove1Click(QToolButton* button);
    // The grid that belongs to the active page.
    DBGrid* ActiveGrid() const;

    void LogBlockMessage(const QString& block, int level) override;
    void LogTextMessage(const QString& message, int level) override;

    // ---- input rules
    // Key navigation of the page fields; true when the key was consumed.
    bool txtBankNo1KeyDown(QWidget* control, int key);
    // Password typing; true when the key was consumed.
    bool txtBankPass1KeyPress(QLineEdit* field, const QString& text, int key);
    // Whether a typed key may reach an amount field (two decimals at most).
    bool LimitDecimals(QLineEdit* field, QChar key, int places) const;
    void txtMoney1Enter(QLineEdit* field);
    void btnKey8Click(QToolButton* button);
    void btnClear1Click();
    // What the clear button of `page` empties.
    void clearPage(int page);

    // ---- the operations of the pages
    void txtIO1Change();
    void btnOk1Click();
    void btnOk2Click();
    void btnOk3Click();
    void btnOK5Click();
    void BitBtn1Click();
    void btnOk4Click();
    void txtRate6Change();
    void btnOk6Click();
    void btnFind6Click();
    // The log page's toolbar: one handler, acting by the button's Tag.
    void btnLogSaveClick(QToolButton* button);
    void btnHttpClick();
    // The online-banking address of the current account, or "" after the
    // customer was told why there is none.
    QString NetBankAddress();

    // ---- the account picker
    void txtBankNo1ButtonClick(QLineEdit* field);
    // The chosen account becomes the one in use; the window reacts by page.
    void BankChosen(const TBankInfo& account);

    // Requests and formatters (null before FormShow and after FormClose).
    TQueryTransferMore* queryTransferMore() const { return queryTransferMore_.get(); }
    TQuerySysParam* querySysParam() const { return querySysParam_.get(); }
    TVantrel* vantrel() const { return vantrel_.get(); }
    TQueryIOCommValue* queryIOCommValue() const { return queryIOCommValue_.get(); }
    TQueryBankMoney* queryBankMoney() const { return queryBankMoney_.get(); }
    TQueryCardMoeny* queryCardMoeny() const { return queryCardMoeny_.get(); }
    TQueryMarketMoney* queryMarketMoney() const { return queryMarketMoney_.get(); }
    TModifyMoneyPassWord* modifyMoneyPassWord() const { return modifyMoneyPassWord_.get(); }
    TBuyBalanceRate* buyBalanceRate() const { return buyBalanceRate_.get(); }
    TQueryRateMore* queryRateMore() const { return queryRateMore_.get(); }
    TQueryOrderID* queryOrderID() const { return queryOrderID_.get(); }
    TFormatDBGrid* formatter(int index) const { return formatters_[static_cast<std::size_t>(index)].get(); }
    bool released() const { return released_; }

    // ---- layout
    QFrame* PanelUp = nullptr;
    QTabWidget* PageControl = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QWidget* TabSheet4 = nullptr;
    QWidget* TabSheet5 = nullptr;
    QWidget* TabSheet7 = nullptr;
    QWidget* TabSheet8 = nullptr;
    QWidget* TabSheet6 = nullptr;
    QWidget* ResultArea = nullptr;
    DBGrid* DBMoreGrid = nullptr;
    DBGrid* DBMoneyGrid = nullptr;
    DBGrid* DBCardMoneyGrid = nullptr;
    DBGrid* DBRateMoreGrid = nullptr;
    DBGrid* DBMarketGrid = nullptr;
    TRedTabSet* RTBIOKind = nullptr;
    QLabel* PanTips = nullptr;
    std::array<QToolButton*, 4> btnMove{};

    // ---- page 0
    QLineEdit *txtTradeNo1 = nullptr, *txtBankNo1 = nullptr, *txtBankName1 = nullptr, *txtBankID1 = nullptr;
    QComboBox *txtIO1 = nullptr, *txtMonMB1 = nullptr, *txtMoneyType1 = nullptr;
    QLabel *lblTradeNo1 = nullptr, *lblBankNo1 = nullptr, *lblBankName1 = nullptr, *lblIOKind1 = nullptr,
           *lblMoney1 = nullptr;
    QLineEdit *txtMoneyPass1 = nullptr, *txtBankPass1 = nullptr, *txtMoney1 = nullptr;
    QFrame* PanBankPwdMask1 = nullptr;
    QPlainTextEdit* txtMemo1 = nullptr;
    QPushButton *btnHttp = nullptr, *btnOk1 = nullptr, *btnClear1 = nullptr;
    // ---- page 1
    QLineEdit *txtTradeNo2 = nullptr, *txtBankNo2 = nullptr, *txtBankName2 = nullptr, *txtBankID2 = nullptr;
    QComboBox* txtMonMB2 = nullptr;
    QPlainTextEdit* txtMemo2 = nullptr;
    QPushButton *btnOk2 = nullptr, *btnClear2 = nullptr;
    // ---- page 2
    QLineEdit *txtTradeNo4 = nullptr, *txtOldPass = nullptr, *txtNewPass1 = nullptr, *txtNewPass2 = nullptr;
    QPushButton *btnOk4 = nullptr, *btnClear4 = nullptr;
    // ---- page 3
    QLineEdit *txtTradeNo3 = nullptr, *txtBankNo3 = nullptr, *txtBankName3 = nullptr, *txtBankID3 = nullptr;
    QComboBox* txtMonMB3 = nullptr;
    QLineEdit *txtMoneyPass3 = nullptr, *txtBankPass3 = nullptr;
    QFrame* PanBankPwdMask4 = nullptr;
    QDateEdit* txtDate = nullptr;
    QPlainTextEdit* txtMemo3 = nullptr;
    QPushButton *btnOk3 = nullptr, *btnClear3 = nullptr;
    // ---- page 4
    QLineEdit *txtTradeNo5 = nullptr, *txtBankNo5 = nullptr, *txtBankName5 = nullptr, *txtBankID5 = nullptr;
    QComboBox* txtMonMB5 = nullptr;
    QLineEdit *txtMoneyPass5 = nullptr, *txtBankPass5 = nullptr;
    QFrame* PanBankPwdMask5 = nullptr;
    QPlainTextEdit* txtMemo5 = nullptr;
    QPushButton *btnOK5 = nullptr, *btnClear5 = nullptr;
    // ---- page 5
    QLineEdit *txtTradeNo6 = nullptr, *txtBankNo6 = nullptr, *txtBankName6 = nullptr, *txtBankID6 = nullptr;
    QComboBox* txtRate6 = nullptr;
    QLineEdit *txtMoneyPass6 = nullptr, *txtBankPass6 = nullptr, *txtMoney6 = nullptr;
    QFrame* PanBankPwdMask6 = nullptr;
    QPlainTextEdit* txtMemo6 = nullptr;
    QPushButton *btnOk6 = nullptr, *btnClear6 = nullptr, *btnFind6 = nullptr;
    // ---- page 6
    QLineEdit *txtTradeNo7 = nullptr, *txtMoneyPass7 = nullptr;
    QPlainTextEdit* txtMemo7 = nullptr;
    QPushButton *BitBtn1 = nullptr, *BitBtn2 = nullptr;
    // ---- page 7
    QToolBar* ToolbarLogs = nullptr;
    QTextEdit* RichLogs = nullptr;

    // The twelve password fields and the soft keyboard buttons, by Tag.
    std::array<QLineEdit*, 12> passwordFields{};
    std::array<QToolButton*, 12> keyButtons{};

signals:
    // FormShow has run.
    void shown();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    void done(int result) override;

private:
    void buildLayout();
    void buildPage0();
    void buildPage1();
    void buildPage2();
    void buildPage3();
    void buildPage4();
    void buildPage5();
    void buildPage6();
    void buildPage7();
    void buildStatusStrip();
    QLineEdit* searchEdit(QWidget* page, const char* name, int x, int y);
    // The account rows shared by the query and exchange pages: trade number,
    // bank account (with the picker button) and bank name.
    void accountFields(QWidget* page, int suffix, QLineEdit** tradeNo, QLineEdit** bankNo, QLineEdit** bankName);
    QFrame* bankPasswordPanel(QWidget* page, const char* name, const char* editName, const char* buttonName,
                              int x, int y, QLineEdit** edit);
    QToolButton* keyButton(QWidget* parent, const char* name, int x, int y);
    void attachInputRules();
    void attachOperations();
    // A validation failure: the message, then the focus.
    void refuse(const QString& message, QWidget* field, bool onlyIfFocusable = false);
    // After a money move whose answer never arrived: offers the query that
    // tells whether it was carried out.
    bool offerCheckAfterLostAnswer(const QString& what);
    void showResult(DBGrid* grid, TBankTransfer& request);
    // Runs a request for this window's customer under the wait cursor.
    bool execute(TBankTransfer& request);
    // The exchange records of page 5's account, with the fund password given.
    bool listExchangeRecords(const std::string& moneyPwd);
    // Bold, italic or underline on the selection or on the default text.
    void applyLogFontFlag(int tag, bool on);
    void applyLogCharFormat(const QTextCharFormat& format);

    void startUpSteps();
    void attachCodeTables();
    void accountSteps();
    void applyDirectionRules();
    void applyForexDirectionRules(const QString& bankId);
    void applyTransferPasswordPanel(const QString& bankId);
    void applyForexPasswordPanel(const QString& bankId);

    Session& session_;
    bool autoQuery_ = false;
    BankPolicy policy_;
    BankOffer offer_;
    bool formShown_ = false;
    bool released_ = false;
    bool forwardingKey_ = false;
    int logColor_ = 0;  // 0 black, 1 red

    std::unique_ptr<TQueryTransferMore> queryTransferMore_;
    std::unique_ptr<TModifyMoneyPassWord> modifyMoneyPassWord_;
    std::unique_ptr<TVantrel> vantrel_;
    std::unique_ptr<TQueryBankMoney> queryBankMoney_;
    std::unique_ptr<TQueryCardMoeny> queryCardMoeny_;
    std::unique_ptr<TBuyBalanceRate> buyBalanceRate_;
    std::unique_ptr<TQueryRateMore> queryRateMore_;
    std::unique_ptr<TQueryOrderID> queryOrderID_;
    std::unique_ptr<TQueryIOCommValue> queryIOCommValue_;
    std::unique_ptr<TQueryMarketMoney> queryMarketMoney_;
    std::unique_ptr<TQuerySysParam> querySysParam_;
    std::array<std::unique_ptr<TFormatDBGrid>, 5> formatters_;
};

// The login's launcher: builds the window over the login's session and shows
// it modally.
void RunMainWindow(Session& session);

}  // namespace vantrel
