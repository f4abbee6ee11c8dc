#include "servers/TfrmTestSpeed.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QVBoxLayout>

#include "common/AppPaths.h"
#include "common/Profile.h"
#include "common/TextUtil.h"
#include "servers/HostCheckAdapter.h"
#include "servers/ServerList.h"
#include "servers/THostRespondCheck.h"

namespace vantrel {
namespace {

const QColor kTitleColor(0x40, 0x80, 0x80);
const QColor kEvenRowColor(0xF5, 0xF5, 0xF5);
const QColor kSelectedColor(0xFF, 0xCA, 0xFF);

QPushButton* MakeButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(name);
    button->setAutoDefault(false);
    button->setFixedSize(75, 24);
    return button;
}

QString Text(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

// Every cell, the title row included, is drawn by SGridDrawCell.
class SpeedCellDelegate : public QStyledItemDelegate {
public:
    SpeedCellDelegate(const TfrmTestSpeed& form, QObject* parent) : QStyledItemDelegate(parent), form_(form) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        form_.SGridDrawCell(painter, option.rect, index.row(), index.column(),
                            option.state.testFlag(QStyle::State_Selected));
    }

private:
    const TfrmTestSpeed& form_;
};

TfrmTestSpeed::TfrmTestSpeed(QWidget* parent)
    : TfrmNoneForm(parent, true),
      adapter_(std::make_unique<HostCheckAdapter>()),
      checker_(std::make_unique<THostRespondCheck>()) {
    setObjectName("frmTestSpeed");
    setWindowTitle(QStringLiteral("测速"));
    SetDesignSize(473, 299);
    checker_->SetListener(adapter_.get());
    connect(adapter_.get(), &HostCheckAdapter::CheckStatus, this, [this](int hostId, int, const QString&) {
        CheckStatus(hostId);
    });
    connect(adapter_.get(), &HostCheckAdapter::CheckEnd, this, [this](const QString&) { CheckEnd(); });

    auto* layout = new QVBoxLayout(ClientArea());
    layout->setContentsMargins(0, 0, 0, 0);
    // Row 0 is the title row, as in a string grid, so row n is server n.
    SGrid = new QTableWidget(1, 7, ClientArea());
    SGrid->setObjectName("SGrid");
    SGrid->horizontalHeader()->hide();
    SGrid->verticalHeader()->hide();
    SGrid->verticalHeader()->setDefaultSectionSize(22);
    SGrid->setFrameShape(QFrame::NoFrame);
    SGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    SGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    SGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SGrid->setShowGrid(false);
    SGrid->setItemDelegate(new SpeedCellDelegate(*this, SGrid));
    const std::pair<const char*, int> columns[] = {{"序号", 30},     {"交易服名称", 100}, {"交易服IP", 85},
                                                   {"端口", 40},     {"尝试次数", 60},    {"响应时间", 60},
                                                   {"状态", 75}};
    for (int c = 0; c < 7; ++c) {
        SGrid->setItem(0, c, new QTableWidgetItem(QString::fromUtf8(columns[c].first)));
        SGrid->setColumnWidth(c, columns[c].second);
    }
    layout->addWidget(SGrid);

    PanStatu->setFixedHeight(30);
    auto* buttons = new QHBoxLayout(PanStatu);
    buttons->setContentsMargins(4, 2, 4, 2);
    buttons->addStretch(1);
    btnStart = MakeButton(PanStatu, "btnStart", QStringLiteral("测  试"));
    btnStart->setDefault(true);
    btnStop = MakeButton(PanStatu, "btnStop", QStringLiteral("中  断"));
    btnExit = MakeButton(PanStatu, "btnExit", QStringLiteral("返  回"));
    for (QPushButton* button : {btnStart, btnStop, btnExit}) buttons->addWidget(button);
    SetRunning(false);

    connect(btnStart, &QPushButton::clicked, this, &TfrmTestSpeed::btnStartClick);
    connect(btnStop, &QPushButton::clicked, this, &TfrmTestSpeed::btnStopClick);
    connect(btnExit, &QPushButton::clicked, this, &TfrmTestSpeed::btnExitClick);
}

TfrmTestSpeed::~TfrmTestSpeed() {
    // Ends a run still going; its last notices die with the adapter.
    checker_.reset();
}

void TfrmTestSpeed::LoadServers(const QString& prefix) {
    SectionPrefix = prefix;
    const auto ini = Profile::Load(PathFromUtf8(BankIniPath()));
    const auto sections = ReadServerSections(ini, prefix.toStdString());
    if (!sections) {
        SGrid->setRowCount(1);
        ShowMsg(Text(sections.error()), MbOk, SystemPromptTitle());
        return;
    }
    SGrid->setRowCount(static_cast<int>(sections->size()) + 1);
    serverTls_.assign(sections->size() + 1, TlsSettings{});
    for (const auto& server : *sections) {
        serverTls_[static_cast<std::size_t>(server.Number)] =
            ReadServerTls(ini, ServerSection(prefix.toStdString(), server.Number), AppPath());
        const QString cells[] = {QString::number(server.Number), Text(server.ServerName), Text(server.ServerIP),
                                 Text(server.Port)};
        for (int c = 0; c < 7; ++c) SGrid->setItem(server.Number, c, new QTableWidgetItem(c < 4 ? cells[c] : QString()));
    }
}

void TfrmTestSpeed::SetRunning(bool running) {
    btnStart->setEnabled(!running);
    btnStop->setEnabled(running);
}

void TfrmTestSpeed::btnStartClick() {
    if (SGrid->rowCount() <= 1) return;
    for (int n = 1; n < SGrid->rowCount(); ++n) {
        const std::string address = Trim(SGrid->item(n, 2)->text().toStdString());
        if (address.empty()) continue;
        std::string portText = Trim(SGrid->item(n, 3)->text().toStdString());
        if (portText.empty()) portText = "0";
        const auto port = ParseProfileInteger(portText);
        if (!port || *port < 0 || *port > 65535) {
            // One bad port leaves its own row out, not the whole test.
            SGrid->item(n, 6)->setText(QStringLiteral("无效的端口"));
            continue;
        }
        const auto row = static_cast<std::size_t>(n);
        (void)Checker().AddHost(n, address, *port, row < serverTls_.size() ? serverTls_[row] : TlsSettings{});
    }
    // Without a host no worker runs and no end notice would come back.
    if (Checker().HostCount() == 0) return;
    Checker().SetListener(adapter_.get());
    Checker().StartCheck(static_cast<uint16_t>(Checker().HostCount()));
    interrupted_ = false;
    SetRunning(true);
}

void TfrmTestSpeed::btnStopClick() {
    Checker().StopCheck();
    interrupted_ = true;
    SetRunning(false);
}

void TfrmTestSpeed::btnExitClick() { close(); }

void TfrmTestSpeed::CheckStatus(int hostId) {
    const auto host = Checker().FindHost(hostId);
    if (!host || host->HostID < 1 || host->HostID >= SGrid->rowCount()) return;
    const int row = host->HostID;
    auto set = [&](int column, const QString& text) { SGrid->item(row, column)->setText(text); };
    if (interrupted_) {
        set(4, QStringLiteral("---"));
        set(5, QStringLiteral("---"));
        set(6, Text(THostRespondCheck::StatusText(hsInterrupted)));
        return;
    }
    set(4, QString::number(host->Tries));
    set(5, host->RespondTime > 0 ? QStringLiteral("%1 ms").arg(host->RespondTime) : QStringLiteral("<1 ms"));
    set(6, Text(THostRespondCheck::StatusText(host->State)));
}

void TfrmTestSpeed::CheckEnd() {
    interrupted_ = false;
    SetRunning(false);
}

QColor TfrmTestSpeed::CellTextColor(const QString& text) {
    if (text == QStringLiteral("开始检测")) return QColor(0x00, 0x80, 0x00);
    if (text == QStringLiteral("正在检测")) return QColor(0x00, 0x40, 0x80);
    if (text == QStringLiteral("连接超时") || text == QStringLiteral("该主机未测试") ||
        text == QStringLiteral("检测中断"))
        return QColor(0xFF, 0x00, 0x00);
    if (text == QStringLiteral("连接成功")) return kTitleColor;
    return QPalette().color(QPalette::WindowText);
}

QColor TfrmTestSpeed::CellBackground(int row, bool selected) {
    if (row == 0) return kTitleColor;
    if (selected) return kSelectedColor;
    return row % 2 == 1 ? QColor(Qt::white) : kEvenRowColor;
}

void TfrmTestSpeed::SGridDrawCell(QPainter* painter, const QRect& rect, int row, int column, bool selected) const {
    const QTableWidgetItem* item = SGrid->item(row, column);
    const QString text = item ? item->text() : QString();
    painter->save();
    painter->fillRect(rect, CellBackground(row, selected && row > 0));
    if (row == 0) {
        painter->setPen(Qt::white);
        painter->drawText(rect, Qt::AlignCenter | Qt::TextSingleLine, text);
        // Lines around the title cells.
        painter->setPen(kTitleColor.darker(130));
        painter->drawRect(rect.adjusted(0, 0, -1, -1));
    } else {
        painter->setPen(CellTextColor(text));
        painter->drawText(rect.adjusted(2, 2, 0, 0), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text);
        // Horizontal lines between rows.
        painter->setPen(kTitleColor);
        painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    }
    painter->restore();
}

}  // namespace vantrel
