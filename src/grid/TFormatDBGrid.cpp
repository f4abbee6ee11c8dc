#include "grid/TFormatDBGrid.h"

#include "common/AppPaths.h"
#include "common/Profile.h"
#include "grid/GridLog.h"
#include "grid/TfrmPreview.h"
#include "widgets/UserPrompts.h"

#include <QDir>
#include <QGuiApplication>
#include <QHeaderView>
#include <QMenu>
#include <QPrinter>
#include <QScreen>

#include <filesystem>

namespace vantrel {

namespace {

std::string U(const QString& text) { return text.toStdString(); }

struct FormatSettings {
    const char* extension;
    const char* filter;
    std::string_view logPrefix;
};

FormatSettings SettingsOf(ExportFormat format) {
    switch (format) {
    case ExportFormat::Excel:
        return {"xls", "Excel 文档 (*.xls *.XLS)", grid_log::kExcelFailed};
    case ExportFormat::Html:
        return {"htm", "HTML 文件 (*.htm *.HTM)", grid_log::kHtmlFailed};
    case ExportFormat::Text:
    default:
        return {"txt", "文本文件 (*.txt *.TXT)", grid_log::kTextFailed};
    }
}

Profile LoadBankIni() { return Profile::Load(PathFromUtf8(BankIniPath())); }

// Yes when the file at `path` may be replaced; a path that holds nothing
// (or a folder, which the export then fails to write) needs no question.
bool MayReplace(QWidget* owner, const std::string& path) {
    std::error_code error;
    const auto file = PathFromUtf8(path);
    if (!std::filesystem::exists(file, error) || std::filesystem::is_directory(file, error)) return true;
    const QString name = QDir::toNativeSeparators(QString::fromStdString(path));
    const QString text = QStringLiteral("文件 %1 已存在,要替换它吗?").arg(name);
    return Prompts().messageBox(owner, text, QStringLiteral("系统提示"), MbYesNo) == IdYes;
}

}  // namespace

Result<std::unique_ptr<TFormatDBGrid>> TFormatDBGrid::Create(QObject* parent) {
    auto param = TGridParam::Load();
    if (!param) return Error{param.error()};
    const GridTexts texts = LoadGridTexts(LoadBankIni(), *param);
    return std::make_unique<TFormatDBGrid>(std::move(param).value(), texts, parent);
}

TFormatDBGrid::TFormatDBGrid(TGridParam param, GridTexts texts, QObject* parent)
    : QObject(parent), param_(std::move(param)), texts_(std::move(texts)) {
    ButtonGlyphFileName = texts_.buttonGlyphFileName;
}

TFormatDBGrid::~TFormatDBGrid() {
    // The grid outlives nobody's table: it must not keep watching ours.
    if (grid_ && grid_->table() == &table_) grid_->setTable(nullptr);
    if (grid_ && grid_->popupMenu() == menu_.get()) grid_->setPopupMenu(nullptr);
}

QPrinter& TFormatDBGrid::printer() {
    if (!printer_) printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    return *printer_;
}

void TFormatDBGrid::setNodeHead(const QString& head) {
    nodeHead_ = head;
    nodeName_ = head + nodeName_;
}

void TFormatDBGrid::setDBGrid(DBGrid* grid) { attach(grid, true); }

void TFormatDBGrid::attach(DBGrid* grid, bool route) {
    grid_ = grid;
    routed_ = route && grid;
    if (!grid) return;
    if (route) {
        nodeName_ = nodeHead_ + grid->objectName();
        routeEvents();
    }
}

void TFormatDBGrid::routeEvents() {
    if (!grid_ || !routed_) return;
    grid_->setCheckBoxFlag(CheckBoxFlag, CheckColFlag, &table_);
    grid_->editButtonClick = EditButtonClick;
}

QString TFormatDBGrid::IndexName() const { return QString::fromStdString(table_.activeIndex()); }

void TFormatDBGrid::setIndexName(const QString& name) {
    if (name.trimmed().isEmpty()) return;
    (void)table_.setIndex(U(name));
}

std::string TFormatDBGrid::CheckBoxFieldName() const { return grid_ ? layout_.checkBoxFieldName() : std::string(); }

int TFormatDBGrid::CheckBoxFieldIndex() const { return grid_ ? layout_.checkBoxFieldIndex() : 0; }

GridFormatOptions TFormatDBGrid::options(GridForm form, bool showMenu, bool createFields, bool buildColumns) const {
    GridFormatOptions o;
    o.form = form;
    o.buildColumns = buildColumns;
    o.createFields = createFields;
    o.showMenu = showMenu;
    o.spaceColFlag = SpaceColFlag;
    o.hideColTag = HideColTag;
    o.screenWidth = ScreenWidth > 0 ? ScreenWidth
                    : QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->size().width()
                                                       : 1024;
    return o;
}

// ---- formatting

Status TFormatDBGrid::FormatDBGrid(bool showMenu, bool buildColumns) {
    if (!grid_) return Error{"没有指定要显示的DBGrid!"};
    ApplyGridStyle(grid_);
    CreateProcessFlag = false;
    const Profile ini = LoadBankIni();
    GridFormatOptions o = options(GridForm::ByTag, showMenu, true, buildColumns);
    o.showMenu = false;  // the menu is built below, after the layout is applied
    GridLayout layout = BuildGridLayout(ini, U(nodeName_), o, param_, texts_, &table_);
    for (const auto& line : layout.logLines) (void)WriteGridLog(line);
    const bool failed = !layout.createProcessFlag;
    if (buildColumns || failed) layout_ = std::move(layout);
    else {
        // The grid keeps its own columns; only the frozen count applies.
        layout_.frozenCols = layout.frozenCols;
        layout_.logLines = layout.logLines;
    }
    if (!failed) finishFormat(showMenu);
    return Status::success();
}

Status TFormatDBGrid::FormatDBGrid(DBGrid* grid, bool showMenu, bool keepNode, bool createFields) {
    if (!grid) return Error{"没有指定要显示的DBGrid!"};
    attach(grid, !keepNode);
    if (!keepNode) nodeName_ = nodeHead_ + grid->objectName();
    ApplyGridStyle(grid);
    CreateProcessFlag = false;
    GridFormatOptions o = options(GridForm::ByFieldName, false, createFields, true);
    layout_ = FormatGridLayout(U(nodeName_), o, param_, texts_, &table_);
    if (layout_.createProcessFlag) finishFormat(showMenu);
    return Status::success();
}

void TFormatDBGrid::finishFormat(bool showMenu) {
    applyLayout();
    if (showMenu && BuildGridMenu()) grid_->setPopupMenu(menu_.get());
    routeEvents();
    CreateProcessFlag = true;
    grid_->setFormatted(true);
}

void TFormatDBGrid::applyLayout() {
    if (!grid_) return;
    if (layout_.columnsBuilt) {
        grid_->setColumns(layout_.columns);
        if (layout_.tableCreated) grid_->setTable(&table_);
    }
    if (layout_.frozenCols) grid_->setFrozenColumns(*layout_.frozenCols);
}

Status TFormatDBGrid::InitGrid(GridForm form, bool createFields) {
    GridFormatOptions o = options(form, false, createFields, true);
    layout_ = FormatGridLayout(U(nodeName_), o, param_, texts_, &table_);
    applyLayout();
    for (const auto& line : layout_.logLines)
        if (line.rfind(grid_log::kFormatFailed, 0) == 0) return Error{line.substr(grid_log::kFormatFailed.size())};
    return Status::success();
}

void TFormatDBGrid::CreateDefaultIndex() {
    GridLayout scratch;
    scratch.nodeName = U(nodeName_);
    vantrel::CreateDefaultIndex(LoadBankIni(), scratch, table_);
    for (const auto& line : scratch.logLines) (void)WriteGridLog(line);
    layout_.index = scratch.index;
    layout_.indexSelected = scratch.indexSelected;
}

void TFormatDBGrid::ApplyColumnHints() {
    if (!grid_) return;
    GridLayout current = currentLayout();
    vantrel::ApplyColumnHints(LoadBankIni(), param_, current);
    layout_.columns = current.columns;
    layout_.showHints = current.showHints;
    grid_->setColumns(current.columns);
}

void TFormatDBGrid::ApplyGridStyle(DBGrid* grid) {
    if (!grid) return;
    const TGridStyle& header = param_.headerStyle();
    const TGridStyle& data = param_.dataStyle();
    const TGridStyle& footer = param_.footerStyle();
    grid->setTitleFont(GridQFont(header.Font));
    grid->setTitleHeight(header.RowHeight);
    grid->setFixedColor(header.Color);
    grid->setDataFont(GridQFont(data.Font));
    grid->setRowHeight(data.RowHeight);
    grid->setBackgroundColor(data.Color);
    grid->setFooterFont(GridQFont(footer.Font));
    grid->setFooterColor(footer.Color);
    grid->setFrameShape(QFrame::Box);
    grid->setFixed3D(param_.fixed3DFlag());
    grid->setTabKeyNavigation(true);
    grid->horizontalHeader()->setSectionResizeMode(ColumnResize ? QHeaderView::Interactive : QHeaderView::Fixed);
    grid->setMultilevelSort(MultilevelSort);
    grid->setLinesVisible(param_.linesFlag());
    grid->setSelectionBehavior(param_.rowSelectFlag() ? QAbstractItemView::SelectRows
                                                      : QAbstractItemView::SelectItems);
    grid->setFooterRowCount(param_.footerCountFlag() ? 1 : 0);
    grid->setLineColors(param_.titleLineColor(), param_.dataLineColor());
    grid->setSortFlag(true);
    grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid->setWordWrap(false);
    grid->setAttribute(Qt::WA_InputMethodEnabled, false);
    grid->setEditTriggers(GridEditFlag ? QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed
                                       : QAbstractItemView::NoEditTriggers);
    grid->setTitleFocusColors(param_.changeHeadColorFlag(), param_.titleUpColor(), param_.titleHotColor());
    GridDrawColors colors;
    colors.oldColor = param_.oldColor();
    colors.evenColor = param_.evenColor();
    colors.selectColor = param_.selectColor();
    colors.checkedColor = param_.checkedColor();
    grid->setOwnerDraw(param_.changeDataColorFlag(), colors);
    grid->setChangeRowColor(ChangeRowColorFlag);
    grid->afterDrawCell = AfterDrawCell;
    grid->setSpaceColFlag(SpaceColFlag);
}

// ---- presentation

void TFormatDBGrid::ResizeSpaceCol() {
    if (CreateProcessFlag && grid_) grid_->resizeSpaceCol();
}

void TFormatDBGrid::HideSpaceCol() {
    if (grid_ && SpaceColFlag) grid_->hideSpaceCol();
}

void TFormatDBGrid::ShowSpaceCol() {
    if (grid_ && SpaceColFlag) grid_->showSpaceCol();
}

// ---- menu

bool TFormatDBGrid::BuildGridMenu() {
    auto built = vantrel::BuildGridMenu(LoadBankIni());
    if (!built) return false;
    layout_.menu = built;
    menu_ = std::make_unique<QMenu>();
    menu_->setObjectName(QStringLiteral("GridPopupMenu"));
    auto caption = [](const GridMenuItem& item) { return QString::fromStdString(item.caption); };
    QMenu* sub = menu_->addMenu(caption(built->exportMenu));
    sub->setObjectName(QString::fromStdString(built->exportMenu.name));
    sub->menuAction()->setObjectName(QString::fromStdString(built->exportMenu.name));
    sub->menuAction()->setData(built->exportMenu.imageIndex);
    auto add = [this](QMenu* to, const GridMenuItem& item, const QString& text) {
        QAction* action = to->addAction(text);
        const QString name = QString::fromStdString(item.name);
        action->setObjectName(name);
        action->setData(item.imageIndex);  // the image index is kept; no images are shown
        connect(action, &QAction::triggered, this, [this, name] { MenuItemClick(name); });
    };
    for (const auto& item : built->exportItems) add(sub, item, caption(item));
    add(menu_.get(), built->printItem, caption(built->printItem));
    return true;
}

void TFormatDBGrid::MenuItemClick(const QString& itemName) {
    if (itemName == QLatin1String("p0501")) (void)ExportGridToExcel();
    else if (itemName == QLatin1String("p0502")) (void)ExportGridToHTML();
    else if (itemName == QLatin1String("p0503")) (void)ExportGridToText();
    else if (itemName == QLatin1String("p06")) (void)Print();
}

// ---- export

GridLayout TFormatDBGrid::currentLayout() const {
    GridLayout layout = layout_;
    if (grid_) layout.columns = grid_->columns();
    return layout;
}

ExportOptions TFormatDBGrid::exportOptions() const {
    ExportOptions o;
    o.gridName = grid_ ? U(grid_->objectName()) : std::string();
    if (grid_) o.fixedColor = grid_->fixedColor();
    o.systemColor = PaletteSystemColor;
    return o;
}

bool TFormatDBGrid::ExportGridToExcel(const QString& initialName) { return exportGrid(ExportFormat::Excel, initialName); }
bool TFormatDBGrid::ExportGridToHTML(const QString& initialName) { return exportGrid(ExportFormat::Html, initialName); }
bool TFormatDBGrid::ExportGridToText(const QString& initialName) { return exportGrid(ExportFormat::Text, initialName); }

bool TFormatDBGrid::exportGrid(ExportFormat format, const QString& initialName) {
    const FormatSettings settings = SettingsOf(format);
    SaveFileRequest request;
    request.fileName = initialName;
    request.filter = QString::fromUtf8(settings.filter);
    request.defaultSuffix = QString::fromLatin1(settings.extension);
    // The extension rule may name another file than the dialog did, so the
    // question before replacing one is asked below, about the file written.
    request.confirmOverwrite = false;
    // The worksheet dialog also offers the Excel 2007 workbook; choosing its
    // type or typing its extension picks it.
    if (format == ExportFormat::Excel && XlsxExportAvailable())
        request.filter += QStringLiteral(";;Excel 2007 文档 (*.xlsx *.XLSX)");
    const auto chosen = Prompts().saveFileName(grid_, request);
    if (!chosen) return false;
    if (format == ExportFormat::Excel && XlsxExportAvailable() && chosen->endsWith(".xlsx", Qt::CaseInsensitive))
        format = ExportFormat::Xlsx;
    if (!grid_) {
        (void)WriteGridLog(std::string(settings.logPrefix) + "no grid to export");
        return false;
    }
    const std::string path = ExportFileName(U(*chosen), format);
    if (!MayReplace(grid_, path)) return false;
    MemoryTable none;
    const MemoryTable& table = grid_->table() ? *grid_->table() : none;
    // Logs its own failure with the format's prefix.
    return ExportGridToFile(format, path, currentLayout(), param_, table, exportOptions()).ok();
}

// ---- printing

Result<ExportSheet> TFormatDBGrid::printSheet() {
    if (!grid_) return Error{"no grid to print"};
    MemoryTable none;
    const MemoryTable& table = grid_->table() ? *grid_->table() : none;
    GridLayout layout = currentLayout();
    // The printout never has the filler, hidden or not.
    for (auto& column : layout.columns)
        if (column.isFiller()) column.visible = false;
    return BuildExportSheet(layout, param_, table, exportOptions());
}

void TFormatDBGrid::prepareSettings(const QString& title) {
    printSettings_.color = true;
    printSettings_.optimalColumnWidths = true;
    printSettings_.headerCenter = title;
    printSettings_.footerCenter = QStringLiteral("第 &[Page] 页");
    printSettings_.beforeGrid = BeforeGridStrings;
    printSettings_.afterGrid = AfterGridStrings;
}

Status TFormatDBGrid::PrintTo(QPrinter* target, const QString& title) {
    HideSpaceCol();
    Status done = [&]() -> Status {
        if (!target) return Error{"no printer"};
        prepareSettings(title);
        auto sheet = printSheet();
        if (!sheet) return Error{sheet.error()};
        GridPrinter pages(std::move(sheet).value(), printSettings_, grid_->rowHeight(), grid_->titleHeight());
        return pages.print(target);
    }();
    ShowSpaceCol();
    if (!done) (void)WriteGridLog(std::string(grid_log::kPrintFailed) + done.error());
    return done;
}

bool TFormatDBGrid::Print(const QString& title) {
    HideSpaceCol();
    Status done = [&]() -> Status {
        prepareSettings(title);
        auto sheet = printSheet();
        if (!sheet) return Error{sheet.error()};
        const ExportSheet pages = std::move(sheet).value();
        const int rowHeight = grid_->rowHeight(), titleHeight = grid_->titleHeight();
        TfrmPreview preview(&printer(), &printSettings_,
                            [&](QPrinter* p) {
                                GridPrinter render(pages, printSettings_, rowHeight, titleHeight);
                                return render.print(p);
                            },
                            grid_->window());
        preview.exec();
        return preview.renderStatus();
    }();
    ShowSpaceCol();
    if (!done) {
        (void)WriteGridLog(std::string(grid_log::kPrintFailed) + done.error());
        return false;
    }
    return true;
}

}  // namespace vantrel
