#pragma once
// The main window: one page widget per operation above a shared result area
// and the status strip. The window builds the pages, the grids and the strip,
// wires the pages' signals to the operations, runs the requests, and maps the
// bank's switches for the account in use onto the pages. Files:
// TfrmVantrel.cpp (structure, result area, notices, shared input rules, the
// picker), TfrmVantrelStartUp.cpp (start-up and the account in use),
// TfrmVantrelOperations.cpp (the requests the pages ask for).
#include <QString>

#include <array>
#include <memory>
#include <string>
#include <string_view>

#include "protocol/BankPolicy.h"
#include "protocol/SessionTypes.h"
#include "widgets/TfrmNoneForm.h"

class QLabel;
class QTabWidget;
class QToolButton;

namespace vantrel {

struct Session;
struct ExchangeOrder;
struct PageRequests;
class AccountPage;
class BankBalancePage;
class DBGrid;
class DetailsPage;
class ForexPage;
class LogPage;
class MarketFundsPage;
class PasswordPage;
class OperationPage;
class TBankTransfer;
class TFormatDBGrid;
class TRedTabSet;
class TransferPage;

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

    // The account chosen in the picker becomes the one in use; the page in
    // front shows it and applies the bank's switches.
    void useAccount(const TBankInfo& account);

    // The requests (null before FormShow and after FormClose).
    PageRequests* requests() const { return requests_.get(); }
    TFormatDBGrid* formatter(int index) const { return formatters_[static_cast<std::size_t>(index)].get(); }
    bool released() const { return released_; }

    void LogBlockMessage(const QString& block, int level) override;
    void LogTextMessage(const QString& message, int level) override;

signals:
    // FormShow has run.
    void shown();

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

public:
    void done(int result) override;

private:
    void buildLayout();
    void buildStatusStrip();
    void connectPages();
    void attachKeyNavigation();

    // ---- result area and strip
    void showGridOfPage();
    // The grid that belongs to the active page.
    DBGrid* activeGrid() const;
    void filterDetailsByDirection();
    // The four scroll buttons, by Tag: first, previous, next, last column.
    void scrollGrid(int tag);

    // ---- input rules every page shares
    // Enter/Down next field, Up previous, Left/Right step a combo box, F4
    // swallowed; true when the key was consumed.
    bool moveFocusByKey(QWidget* control, int key);
    void clearCurrentPage();
    void pickAccountFor(QWidget* field);

    // ---- start-up and the account in use
    void startUpSteps();
    void attachCodeTables();
    void loadChoices();
    void accountSteps();
    void applyDirectionRules();
    void applyForexDirectionRules();
    void applyTransferPasswordPanel();
    void applyForexPasswordPanel();
    // A balance page on the account just chosen: offered and which password
    // it asks for, as the bank's parameter `param` says.
    void useAccountOnBalancePage(BankBalancePage* page, bool& offered, std::string_view param,
                                 const QString& shownName);

    // ---- the operations the pages ask for
    void transfer();
    void listTransferDetails();
    void querySupervisedBalance();
    void queryCardBalance();
    void queryMarketFunds();
    void changeFundPassword();
    void exchangeForex();
    void listExchangeRecords();
    void openOnlineDeposit();
    // The online-banking address of the current account, or "" after the
    // customer was told why there is none.
    QString onlineDepositAddress();
    // Runs `operation`; the one failure a request lets through (a transfer
    // log that could not be written) is told, not thrown.
    void guarded(void (TfrmVantrel::*operation)());
    // After a money move whose answer never arrived: offers the query that
    // tells whether it was carried out.
    bool offerCheckAfterLostAnswer(const QString& what);
    void showResult(DBGrid* grid, TBankTransfer& request);
    // Runs a page's query: on success the page is cleared and the result
    // shows in its grid.
    void runQuery(TBankTransfer& request, OperationPage* page, DBGrid* grid);
    // Runs a request for this window's customer under the wait cursor.
    bool execute(TBankTransfer& request);
    // The exchange records of page 5's account with the fund password given.
    bool runExchangeRecords(const ExchangeOrder& order, const std::string& moneyPwd);

    Session& session_;
    bool autoQuery_ = false;
    BankPolicy policy_;
    BankOffer offer_;
    bool formShown_ = false;
    bool released_ = false;
    bool forwardingKey_ = false;

    QTabWidget* PageControl = nullptr;
    TransferPage* transferPage_ = nullptr;
    DetailsPage* detailsPage_ = nullptr;
    PasswordPage* passwordPage_ = nullptr;
    BankBalancePage* supervisedPage_ = nullptr;
    BankBalancePage* cardPage_ = nullptr;
    ForexPage* forexPage_ = nullptr;
    MarketFundsPage* marketPage_ = nullptr;
    LogPage* logPage_ = nullptr;
    // DBMoreGrid, DBMoneyGrid, DBCardMoneyGrid, DBRateMoreGrid, DBMarketGrid.
    std::array<DBGrid*, 5> grids_{};
    TRedTabSet* RTBIOKind = nullptr;
    QLabel* PanTips = nullptr;

    std::unique_ptr<PageRequests> requests_;
    std::array<std::unique_ptr<TFormatDBGrid>, 5> formatters_;
};

// The login's launcher: builds the window over the login's session and shows
// it modally.
void RunMainWindow(Session& session);

}  // namespace vantrel
