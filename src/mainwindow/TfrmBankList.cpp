#include "mainwindow/TfrmBankList.h"

#include <QApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QStyle>
#include <QToolButton>
#include <QWindow>

#include <algorithm>

#include "common/MemoryTable.h"
#include "grid/DBGrid.h"
#include "grid/TFormatDBGrid.h"
#include "protocol/AccountRow.h"
#include "widgets/ControlMakers.h"

namespace vantrel {
namespace {

QPointer<TfrmBankList> openPicker;
std::optional<QRect> workAreaOverride;

QFrame* Border(QWidget* parent, const QRect& geometry, const QColor& color) {
    auto* panel = new QFrame(parent);
    panel->setGeometry(geometry);
    panel->setAutoFillBackground(true);
    QPalette palette = panel->palette();
    palette.setColor(QPalette::Window, color);
    panel->setPalette(palette);
    return panel;
}

GridColumn Column(const char* field, const char* title, int width, bool centred) {
    GridColumn column;
    column.fieldName = field;
    column.caption = title;
    column.width = width;
    column.titleButton = false;
    if (centred) column.align = ColumnAlign::Center;
    return column;
}

}  // namespace

void CopyAccountRow(const MemoryTable& table, bool netBank, TBankInfo& account) {
    try {
        ReadAccountRow(table, netBank, account);
    } catch (const std::exception&) {
    }
}

int AccountNumberWidth(const QFontMetrics& metrics) {
    constexpr int digits = 19;
    int widest = 0;
    for (char16_t digit = u'0'; digit <= u'9'; ++digit) widest = std::max(widest, metrics.horizontalAdvance(QChar(digit)));
    return digits * widest;
}

QRect PickerGeometry(const QPoint& control, int controlHeight, const QSize& picker, const QRect& workArea) {
    // Edges as the desktop gives them: right and bottom are exclusive.
    const int left = workArea.x(), top = workArea.y();
    const int right = workArea.x() + workArea.width(), bottom = workArea.y() + workArea.height();
    int x = control.x();
    int y = control.y() + controlHeight + 1;
    int width = picker.width();
    int height = picker.height();
    if (workArea.width() < width) width = workArea.width();
    if (x + width > right) x = right - width;
    if (x < left) x = left;
    if (y + height > bottom && control.y() - top > bottom - control.y() - controlHeight) y = control.y() - height;
    if (y < top) {
        height -= top - y;
        y = top;
    }
    if (y + height > bottom) height = bottom - y;
    return {x, y, width, height};
}

TfrmBankList::TfrmBankList(MemoryTable& accounts, QWidget* parent) : QDialog(parent), accounts_(accounts) {
    setObjectName(QStringLiteral("frmBankList"));
    setWindowTitle(QStringLiteral("银行列表"));
    // A drop-down: no border, on top, and closed by a click anywhere outside.
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    resize(385, 131);

    Border(this, {0, 0, 2, 131}, QColor(72, 71, 72))->setObjectName(QStringLiteral("Panel2"));
    Border(this, {383, 0, 2, 131}, QColor(72, 71, 72))->setObjectName(QStringLiteral("Panel1"));
    Border(this, {0, 0, 385, 2}, QColor(77, 71, 72))->setObjectName(QStringLiteral("Panel3"));
    Border(this, {0, 128, 385, 3}, QColor(77, 71, 72))->setObjectName(QStringLiteral("Panel4"));

    Panel5 = Border(this, {2, 2, 380, 17}, QColor(192, 192, 192));
    Panel5->setObjectName(QStringLiteral("Panel5"));
    QLabel* title = MakeLabel(Panel5, nullptr, QStringLiteral("  双击选择银行"), QRect(0, 0, 360, 17));
    Panel5->installEventFilter(this);
    title->installEventFilter(this);
    btnClose = MakeToolButton(Panel5, "btnClose", QString());
    btnClose->setGeometry(361, 0, 19, 17);
    btnClose->setIcon(style()->standardIcon(QStyle::SP_TitleBarCloseButton));
    connect(btnClose, &QToolButton::clicked, this, [this] { btnCloseClick(); });

    Grid = new DBGrid(this);
    Grid->setObjectName(QStringLiteral("DBGrid"));
    Grid->setGeometry(2, 20, 381, 108);
    Grid->setSpaceColFlag(false);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    std::vector<GridColumn> columns = {Column("BankID", "银行编号", 61, true), Column("BankName", "银行名称", 90, false),
                                       Column("CustBankAcctNo", "客户银行帐号", 121, false),
                                       Column("MoneyType", "币种", 62, true), Column("CompId", "市场公司编号", 82, false)};
    columns[3].keyList = {"0", "1", "2"};
    columns[3].pickList = {"0.人民币", "1.美元", "2.港元"};
    columns[4].visible = false;
    // Fitted to the grid's width, the frame and the scroll bar aside. The
    // account number shows whole (its cell keeps 2 pixels either side); the
    // bank name takes what is left.
    constexpr int shared = 381 - 61 - 62 - 24;
    columns[2].width = std::max(shared - 90, AccountNumberWidth(QFontMetrics(GridQFont(columns[2].font))) + 5);
    columns[1].width = shared - columns[2].width;
    Grid->setColumns(std::move(columns));
    connect(Grid, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (Grid->table()) Grid->table()->setRecNo(index.row());
        DBGridDblClick();
    });

    auto created = TFormatDBGrid::Create();
    if (created.ok()) {
        formatter_ = std::move(created).value();
        formatter_->ApplyGridStyle(Grid);
    }
    Grid->setTable(&accounts_);
}

TfrmBankList::~TfrmBankList() {
    Grid->setTable(nullptr);
    formatter_.reset();
}

TfrmBankList* TfrmBankList::Current() { return openPicker.data(); }

void TfrmBankList::CloseOpen() {
    if (openPicker) openPicker->close();
}

void TfrmBankList::SetWorkAreaOverride(std::optional<QRect> area) { workAreaOverride = area; }

QRect TfrmBankList::WorkArea() {
    if (workAreaOverride) return *workAreaOverride;
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

TfrmBankList* TfrmBankList::Prepare(QWidget* owner, MemoryTable& accounts) {
    if (!openPicker) {
        openPicker = new TfrmBankList(accounts, owner);
        QCoreApplication::processEvents();
    }
    openPicker->NotifyWindow = owner;
    return openPicker;
}

void TfrmBankList::Run(TfrmBankList* picker, QWidget* field, const TBankInfo& current, bool netBank) {
    picker->PlaceBelow(field);
    picker->NetBank = netBank;
    picker->Chosen = current;
    picker->exec();
    // Each opening builds a fresh picker.
    if (openPicker == picker) openPicker = nullptr;
    delete picker;
}

void TfrmBankList::PlaceBelow(QWidget* control) {
    const QPoint at = control->mapToGlobal(QPoint(0, 0));
    setGeometry(PickerGeometry(at, control->height(), QSize(385, 131), WorkArea()));
}

void TfrmBankList::DBGridDblClick() {
    if (accounts_.fieldCount() == 0 || accounts_.recordCount() == 0) return;
    CopyAccountRow(accounts_, NetBank, Chosen);
    close();
    emit accountChosen(Chosen);
}

bool TfrmBankList::eventFilter(QObject* watched, QEvent* event) {
    // The title strip drags the main window; the picker stays.
    if (event->type() == QEvent::MouseButtonPress && NotifyWindow && NotifyWindow->windowHandle()) {
        NotifyWindow->windowHandle()->startSystemMove();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TfrmBankList::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow() &&
        QApplication::activePopupWidget() != this)
        close();
    QDialog::changeEvent(event);
}

}  // namespace vantrel
