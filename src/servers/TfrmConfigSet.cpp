#include "servers/TfrmConfigSet.h"

#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/MemoryTable.h"
#include "grid/DBGrid.h"
#include "grid/TFormatDBGrid.h"
#include "servers/ServerList.h"
#include "widgets/ControlMakers.h"
#include "servers/TfrmConfig.h"
#include "servers/TfrmTestSpeed.h"

namespace vantrel {
namespace {

const QSize kButtonSize(66, 24);

// The columns the grid section is meant to define; used when it does not.
std::vector<GridColumn> DefaultColumns() {
    const std::pair<const char*, int> titles[] = {{"选择", 35}, {"服务器名称", 109}, {"服务器IP", 116}, {"端口", 69}};
    std::vector<GridColumn> columns;
    int n = 1;
    for (const auto& [title, width] : titles) {
        GridColumn column;
        column.fieldName = "Col" + std::to_string(n++);
        column.caption = title;
        column.width = width;
        column.titleButton = false;
        columns.push_back(std::move(column));
    }
    return columns;
}

}  // namespace

TfrmConfigSet::TfrmConfigSet(QWidget* parent) : TfrmNoneForm(parent, true) {
    setObjectName("frmConfigSet");
    setWindowTitle(QStringLiteral("系统配置"));
    SetDesignSize(472, 308);

    auto* layout = new QVBoxLayout(ClientArea());
    layout->setContentsMargins(0, 0, 0, 0);
    PanMain = new QFrame(ClientArea());
    PanMain->setObjectName("PanMain");
    layout->addWidget(PanMain);
    auto* mainLayout = new QVBoxLayout(PanMain);
    mainLayout->setContentsMargins(0, 0, 0, 0);
    DBGrid4 = new DBGrid(PanMain);
    DBGrid4->setObjectName("DBGrid4");
    DBGrid4->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid4->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid4->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid4->setStyleSheet(QStringLiteral("QTableView { background: white; }"));
    QFont titleFont(QStringLiteral("宋体"));
    titleFont.setPixelSize(12);
    DBGrid4->setTitleFont(titleFont);
    mainLayout->addWidget(DBGrid4);

    auto* buttons = MakeButtonStrip(PanStatu, 30);
    buttons->setSpacing(8);
    btnAdd = MakeButton(PanStatu, "btnAdd", QStringLiteral("添 加"), kButtonSize);
    btnModi = MakeButton(PanStatu, "btnModi", QStringLiteral("修 改"), kButtonSize);
    btnDel = MakeButton(PanStatu, "btnDel", QStringLiteral("删 除"), kButtonSize);
    btnCheck = MakeButton(PanStatu, "btnCheck", QStringLiteral("测 速"), kButtonSize);
    btnOk = MakeButton(PanStatu, "btnOk", QStringLiteral("应 用"), kButtonSize);
    btnOk->setDefault(true);
    btnExit = MakeButton(PanStatu, "btnExit", QStringLiteral("返 回"), kButtonSize);
    for (QPushButton* button : {btnAdd, btnModi, btnDel, btnCheck, btnOk, btnExit}) buttons->addWidget(button);
    buttons->addStretch(1);

    connect(btnAdd, &QPushButton::clicked, this, &TfrmConfigSet::btnAddClick);
    connect(btnModi, &QPushButton::clicked, this, &TfrmConfigSet::btnModiClick);
    connect(btnDel, &QPushButton::clicked, this, &TfrmConfigSet::btnDelClick);
    connect(btnCheck, &QPushButton::clicked, this, &TfrmConfigSet::btnCheckClick);
    connect(btnOk, &QPushButton::clicked, this, &TfrmConfigSet::btnOkClick);
    connect(btnExit, &QPushButton::clicked, this, &TfrmConfigSet::btnExitClick);
    connect(DBGrid4, &QAbstractItemView::doubleClicked, this, [this] { btnModiClick(); });
}

TfrmConfigSet::~TfrmConfigSet() {
    // The grid goes with the window; it must not outlive its table's owner
    // with the table still bound.
    DBGrid4->setTable(nullptr);
}

MemoryTable& TfrmConfigSet::ServerTable() {
    if (formatter_) return formatter_->ClientDataSet();
    if (!fallback_) fallback_ = std::make_unique<MemoryTable>();
    return *fallback_;
}

void TfrmConfigSet::showEvent(QShowEvent* event) {
    TfrmNoneForm::showEvent(event);
    if (shown_) return;
    shown_ = true;
    SetUpGrid();
}

void TfrmConfigSet::SetUpGrid() {
    auto created = TFormatDBGrid::Create(this);
    if (created) {
        formatter_ = std::move(created).value();
        formatter_->setDBGrid(DBGrid4);
        formatter_->setNodeHead(QStringLiteral("Set"));
        formatter_->SpaceColFlag = false;
        formatter_->ColumnResize = false;
        formatter_->GridParam().setFooterCountFlag(false);
        // A failure is in the formatter's log; the fallback below keeps the
        // list usable and, above all, keeps a save from wiping it.
        (void)formatter_->FormatDBGrid(false, true);
    }
    MemoryTable& table = ServerTable();
    if (table.fieldCount() <= sfPort) {
        table.clear();
        (void)table.defineFields({{"Col1"}, {"Col2"}, {"Col3"}, {"Col4"}});
        DBGrid4->setColumns(DefaultColumns());
        DBGrid4->setTable(&table);
    }
    DBGrid4->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    if (auto loaded = LoadServerTable(table, SectionPrefix.toStdString()); !loaded)
        ShowMsg(QString::fromStdString(loaded.error()), MbOk, SystemPromptTitle());
    else
        listLoaded_ = true;
    table.first();
}

bool TfrmConfigSet::HasRows() { return ServerTable().fieldCount() > sfPort && ServerTable().recordCount() > 0; }

void TfrmConfigSet::Refresh() { DBGrid4->viewport()->update(); }

bool TfrmConfigSet::SaveServerList() {
    // A list that could not be read (or was never shown) is not written
    // back: saving its empty picture would erase the stored one.
    if (!listLoaded_) return true;
    const auto saved = vantrel::SaveServerList(ServerTable(), SectionPrefix.toStdString());
    if (saved) return true;
    ShowMsg(QStringLiteral("服务器列表保存失败：") + QString::fromStdString(saved.error()), MbOk,
            SystemPromptTitle());
    return false;
}

void TfrmConfigSet::btnAddClick() { EditServer(false); }

void TfrmConfigSet::btnModiClick() {
    if (HasRows()) EditServer(true);
}

void TfrmConfigSet::EditServer(bool existing) {
    auto dialog = CreateForm<TfrmConfig>(this);
    dialog->EditServer(&ServerTable(), existing);
    dialog->exec();
    Refresh();
}

void TfrmConfigSet::btnDelClick() {
    if (!HasRows()) return;
    if (ShowMsg(QStringLiteral("确定要删除吗?"), MbYesNo, SystemPromptTitle()) != IdYes) return;
    MemoryTable& table = ServerTable();
    if (auto deleted = DeleteServerRow(table, std::max(0, table.recNo())); !deleted) return;
    SaveServerList();
    Refresh();
}

void TfrmConfigSet::btnCheckClick() {
    if (!SaveServerList()) return;
    auto speed = CreateForm<TfrmTestSpeed>(this);
    speed->LoadServers(SectionPrefix);
    speed->exec();
}

void TfrmConfigSet::btnOkClick() {
    if (!SaveServerList()) return;
    accept();
}

void TfrmConfigSet::btnExitClick() {
    if (!SaveServerList()) return;
    reject();
}

}  // namespace vantrel
