#include "mainwindow/TfrmVantrel.h"

#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "grid/DBGrid.h"
#include "grid/TFormatDBGrid.h"
#include "mainwindow/BankBalancePage.h"
#include "mainwindow/DetailsPage.h"
#include "mainwindow/ForexPage.h"
#include "mainwindow/LogPage.h"
#include "mainwindow/MarketFundsPage.h"
#include "mainwindow/PageRequests.h"
#include "mainwindow/PasswordPage.h"
#include "mainwindow/TfrmBankList.h"
#include "mainwindow/TransferPage.h"
#include "protocol/Session.h"
#include "widgets/ControlMakers.h"
#include "widgets/TRedTabSet.h"

namespace vantrel {
namespace {

enum ResultGrid : std::size_t { MoreGrid = 0, MoneyGrid, CardMoneyGrid, RateMoreGrid, MarketGrid };

}  // namespace

TfrmVantrel::TfrmVantrel(Session& session, QWidget* parent) : TfrmNoneForm(parent), session_(session) {
    setObjectName(QStringLiteral("frmVantrel"));
    setWindowTitle(QStringLiteral("客户端出入金"));
    SetDesignSize(782, 511);
    // Escape in a field must not close the main window.
    KeepOpenOnEscape();
    buildLayout();
    attachKeyNavigation();
    connectPages();
    for (int page = PageTransfer; page <= PageMarket; ++page)
        static_cast<OperationPage*>(PageControl->widget(page))->setTradeId(TradeID());
}

TfrmVantrel::~TfrmVantrel() { FormClose(); }

QString TfrmVantrel::TradeID() const { return QString::fromStdString(session_.ActiveServer.TradeID); }

void TfrmVantrel::buildLayout() {
    auto* column = MakeTightColumn(ClientArea());

    auto* panelUp = new QFrame(ClientArea());
    panelUp->setObjectName(QStringLiteral("PanelUp"));
    panelUp->setFixedHeight(162);
    column->addWidget(panelUp);
    auto* up = new QVBoxLayout(panelUp);
    up->setContentsMargins(0, 0, 0, 0);
    PageControl = new QTabWidget(panelUp);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->setTabPosition(QTabWidget::South);
    PageControl->tabBar()->setFixedHeight(20);
    up->addWidget(PageControl);

    // Created in tab order: the focus chain follows creation.
    PageControl->addTab(transferPage_ = new TransferPage, QStringLiteral("出入金"));
    PageControl->addTab(detailsPage_ = new DetailsPage, QStringLiteral("查询转账明细"));
    PageControl->addTab(passwordPage_ = new PasswordPage, QStringLiteral("修改资金密码"));
    PageControl->addTab(supervisedPage_ = new BankBalancePage(BankBalancePage::Supervised),
                        QStringLiteral("查询银行监管余额"));
    PageControl->addTab(cardPage_ = new BankBalancePage(BankBalancePage::Card), QStringLiteral("查银行资金余额"));
    PageControl->addTab(forexPage_ = new ForexPage, QStringLiteral("购汇结汇"));
    PageControl->addTab(marketPage_ = new MarketFundsPage, QStringLiteral("查询市场资金"));
    PageControl->addTab(logPage_ = new LogPage, QStringLiteral("日志"));

    auto* resultArea = new QWidget(ClientArea());
    resultArea->setObjectName(QStringLiteral("ResultArea"));
    auto* grids = MakeTightColumn(resultArea);
    const char* names[] = {"DBMoreGrid", "DBMoneyGrid", "DBCardMoneyGrid", "DBRateMoreGrid", "DBMarketGrid"};
    for (std::size_t i = 0; i < grids_.size(); ++i) {
        auto* grid = new DBGrid(resultArea);
        grid->setObjectName(QLatin1String(names[i]));
        grid->setFooterRowCount(1);
        grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        grid->setVisible(i == MoreGrid);
        grids->addWidget(grid);
        grids_[i] = grid;
    }
    column->addWidget(resultArea, 1);

    buildStatusStrip();
    connect(PageControl, &QTabWidget::currentChanged, this, [this] { showGridOfPage(); });
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
    connect(RTBIOKind, &TRedTabSet::clicked, this, [this] { filterDetailsByDirection(); });
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
        const QByteArray name = "btnMove" + QByteArray::number(tag + 1);
        QToolButton* button = MakeToolButton(PanStatu, name.constData(), QString());
        button->setFixedSize(20, 18);
        button->setIconSize(QSize(12, 12));
        button->setIcon(style()->standardIcon(icons[tag]));
        button->setProperty("Tag", tag);
        connect(button, &QToolButton::clicked, this, [this, tag] { scrollGrid(tag); });
        strip->addWidget(button);
    }
}

void TfrmVantrel::connectPages() {
    const auto run = [this](void (TfrmVantrel::*operation)()) { return [this, operation] { guarded(operation); }; };
    connect(transferPage_, &TransferPage::transferAsked, this, run(&TfrmVantrel::transfer));
    connect(transferPage_, &TransferPage::onlineDepositAsked, this, run(&TfrmVantrel::openOnlineDeposit));
    connect(transferPage_, &TransferPage::directionChosen, this, [this] { applyTransferPasswordPanel(); });
    connect(detailsPage_, &DetailsPage::queryAsked, this, run(&TfrmVantrel::listTransferDetails));
    connect(passwordPage_, &PasswordPage::changeAsked, this, run(&TfrmVantrel::changeFundPassword));
    connect(supervisedPage_, &BankBalancePage::queryAsked, this, run(&TfrmVantrel::querySupervisedBalance));
    connect(cardPage_, &BankBalancePage::queryAsked, this, run(&TfrmVantrel::queryCardBalance));
    connect(forexPage_, &ForexPage::exchangeAsked, this, run(&TfrmVantrel::exchangeForex));
    connect(forexPage_, &ForexPage::recordsAsked, this, run(&TfrmVantrel::listExchangeRecords));
    connect(forexPage_, &ForexPage::directionChosen, this, [this] { applyForexPasswordPanel(); });
    connect(marketPage_, &MarketFundsPage::queryAsked, this, run(&TfrmVantrel::queryMarketFunds));

    for (int page = PageTransfer; page <= PageMarket; ++page) {
        auto* operations = static_cast<OperationPage*>(PageControl->widget(page));
        connect(operations, &OperationPage::clearAsked, this, &TfrmVantrel::clearCurrentPage);
        if (auto* withAccount = qobject_cast<AccountPage*>(operations))
            connect(withAccount, &AccountPage::accountSearchAsked, this, &TfrmVantrel::pickAccountFor);
    }
}

// ---------------------------------------------------------------- result area

void TfrmVantrel::showGridOfPage() {
    DBGrid* shown = activeGrid();
    for (DBGrid* grid : grids_) grid->setVisible(grid == shown);
    RTBIOKind->setVisible(shown == grids_[MoreGrid]);
}

DBGrid* TfrmVantrel::activeGrid() const {
    switch (PageControl->currentIndex()) {
    case PageSupervise: return grids_[MoneyGrid];
    case PageCard: return grids_[CardMoneyGrid];
    case PageForex: return grids_[RateMoreGrid];
    case PageMarket: return grids_[MarketGrid];
    default: return grids_[MoreGrid];
    }
}

void TfrmVantrel::filterDetailsByDirection() {
    MemoryTable* table = grids_[MoreGrid]->table();
    if (!table || table->fieldCount() == 0) return;
    switch (RTBIOKind->tabIndex()) {
    case 0: table->setFiltered(false); break;
    case 1: static_cast<void>(table->setFilter("TRADETYPE=1")); break;
    case 2: static_cast<void>(table->setFilter("TRADETYPE=0")); break;
    default: break;
    }
}

void TfrmVantrel::scrollGrid(int tag) {
    DBGrid* grid = activeGrid();
    const int all = grid->gridColumnCount() + 1;
    switch (tag) {
    case 0: grid->scrollColumns(-all); break;
    case 1: grid->scrollColumns(-1); break;
    case 2: grid->scrollColumns(1); break;
    case 3: grid->scrollColumns(all); break;
    default: break;
    }
}

// ---------------------------------------------------------------- notices

void TfrmVantrel::LogBlockMessage(const QString& block, int level) { logPage_->append(block, level); }

void TfrmVantrel::LogTextMessage(const QString& message, int) {
    const QString text = message.trimmed();
    if (!text.isEmpty()) ShowMsg(text, MbOk, SystemPromptTitle());
}

// ---------------------------------------------------------------- input rules

void TfrmVantrel::attachKeyNavigation() {
    // Every edit, combo box and the date picker of the operation pages; memos
    // and buttons keep their keys. Installed after the pages' own field
    // rules, so it sees the keys first.
    for (int page = PageTransfer; page <= PageMarket; ++page) {
        QWidget* sheet = PageControl->widget(page);
        for (auto* edit : sheet->findChildren<QLineEdit*>()) {
            if (qobject_cast<QDateEdit*>(edit->parentWidget())) continue;
            edit->installEventFilter(this);
        }
        for (auto* combo : sheet->findChildren<QComboBox*>()) combo->installEventFilter(this);
        for (auto* date : sheet->findChildren<QDateEdit*>()) date->installEventFilter(this);
    }
}

bool TfrmVantrel::moveFocusByKey(QWidget* control, int key) {
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

bool TfrmVantrel::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && !forwardingKey_ && event->type() == QEvent::KeyPress &&
        moveFocusByKey(widget, static_cast<QKeyEvent*>(event)->key()))
        return true;
    return TfrmNoneForm::eventFilter(watched, event);
}

void TfrmVantrel::clearCurrentPage() {
    if (auto* page = qobject_cast<OperationPage*>(PageControl->currentWidget())) page->clear();
}

// ---------------------------------------------------------------- the picker

void TfrmVantrel::pickAccountFor(QWidget* field) {
    MemoryTable& accounts = session_.SignedBankTable;
    static_cast<void>(accounts.setFilter(PageControl->currentIndex() == PageForex ? "BANKID=999" : "BANKID<>999"));
    const bool netBank = requests_ && requests_->transfer.Settings.NetBank;
    TfrmBankList* picker = TfrmBankList::Prepare(this, accounts);
    connect(picker, &TfrmBankList::accountChosen, this, &TfrmVantrel::useAccount, Qt::UniqueConnection);
    TfrmBankList::Run(picker, field, session_.CustomerSession, netBank);
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
    for (DBGrid* grid : grids_) grid->setTable(nullptr);
    for (auto& formatter : formatters_) formatter.reset();
    requests_.reset();
}

void RunMainWindow(Session& session) {
    auto form = CreateForm<TfrmVantrel>(session);
    form->exec();
}

}  // namespace vantrel
