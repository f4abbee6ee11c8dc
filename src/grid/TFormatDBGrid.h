#pragma once
// The grid formatter: lays one DBGrid out from its Bank.ini section, gives
// it the look of [GridParam] and the style sections, its own empty table,
// the default index, title hints and the export / print pop-up menu.
// Every failure goes to the formatter log (WriteGridLog), never to the user.
#include "common/MemoryTable.h"
#include "common/Result.h"
#include "grid/DBGrid.h"
#include "grid/GridExport.h"
#include "grid/GridLayout.h"
#include "grid/GridPrinter.h"
#include "grid/TGridParam.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

class QMenu;
class QPrinter;

namespace vantrel {

class TFormatDBGrid : public QObject {
    Q_OBJECT
public:
    // Loads TGridParam and the formatter texts from Bank.ini; failing to
    // create the res/ folder is the one error.
    static Result<std::unique_ptr<TFormatDBGrid>> Create(QObject* parent = nullptr);
    TFormatDBGrid(TGridParam param, GridTexts texts, QObject* parent = nullptr);
    ~TFormatDBGrid() override;

    // ---- names
    const QString& NodeHead() const { return nodeHead_; }
    // Stores the head and puts it in front of the current NodeName.
    void setNodeHead(const QString& head);
    const QString& NodeName() const { return nodeName_; }
    void setNodeName(const QString& name) { nodeName_ = name; }

    // ---- the grid and the formatter's own objects
    DBGrid* getDBGrid() const { return grid_; }
    // Routes the grid's clicks to the formatter and sets NodeName to
    // NodeHead + the grid's object name. The grid is never owned.
    void setDBGrid(DBGrid* grid);
    MemoryTable& ClientDataSet() { return table_; }
    TGridParam& GridParam() { return param_; }
    GridPrintSettings& PrintDBGrid() { return printSettings_; }
    QPrinter& printer();
    QMenu* GridPopupMenu() const { return menu_.get(); }
    const GridLayout& layout() const { return layout_; }

    // ---- switches (set before FormatDBGrid)
    bool SpaceColFlag = true;
    bool GridEditFlag = false;
    bool MultilevelSort = false;
    bool ColumnResize = true;
    bool ChangeRowColorFlag = true;
    bool CheckBoxFlag = false;
    int CheckColFlag = 0;
    int HideColTag = -1;
    std::string ButtonGlyphFileName;
    std::function<void(DBGrid* sender, bool& handled)> EditButtonClick;
    std::function<void(QPainter*, const QRect&, int, const GridColumn&, QStyle::State)> AfterDrawCell;
    QStringList BeforeGridStrings;
    QStringList AfterGridStrings;
    bool CreateProcessFlag = false;
    // Screen width for the filler's first width; 0: the primary screen's.
    int ScreenWidth = 0;

    bool ProcessFlag() const { return layout_.processFlag; }
    QString IndexName() const;
    // A blank name is ignored, and so is a name the table cannot select.
    void setIndexName(const QString& name);
    std::string CheckBoxFieldName() const;
    int CheckBoxFieldIndex() const;
    const std::string& TotalCaption() const { return texts_.totalCaption; }

    // ---- formatting
    // Form 1: the grid set in DBGrid, fields "Col" + tag. Without a grid the
    // error "没有指定要显示的DBGrid!" is returned and nothing changes; every
    // other failure is logged and leaves CreateProcessFlag false.
    Status FormatDBGrid(bool showMenu, bool buildColumns);
    // Form 2: attaches `grid` (keepNode: only stores it), fields named by the
    // column lines' keys, createFields: define the table's fields.
    Status FormatDBGrid(DBGrid* grid, bool showMenu, bool keepNode, bool createFields);
    void ApplyGridStyle(DBGrid* grid);
    // The grid section: columns, field definitions, filler, own table and
    // (with CreateIndexFlag) the default index. The error is one that
    // FormatDBGrid logs as "表格初始化失败!".
    Status InitGrid(GridForm form, bool createFields = true);
    void CreateDefaultIndex();
    void ApplyColumnHints();

    // ---- presentation
    void ResizeSpaceCol();
    void HideSpaceCol();
    void ShowSpaceCol();

    // ---- menu, export and printing
    bool BuildGridMenu();
    void MenuItemClick(const QString& itemName);
    bool ExportGridToExcel(const QString& initialName = {});
    bool ExportGridToHTML(const QString& initialName = {});
    bool ExportGridToText(const QString& initialName = {});
    // Opens the preview window "预览" (modal) with the grid's printout.
    bool Print(const QString& title = {});
    // The same printout straight onto `printer` (a PDF file, a real
    // printer), without the preview window; the filler is left out too.
    Status PrintTo(QPrinter* printer, const QString& title = {});

    // The layout with the grid's current widths and visibility.
    GridLayout currentLayout() const;
    ExportOptions exportOptions() const;

private:
    bool exportGrid(ExportFormat format, const QString& initialName);
    Result<ExportSheet> printSheet();
    void prepareSettings(const QString& title);
    void attach(DBGrid* grid, bool route);
    void routeEvents();
    void applyLayout();
    // The steps after a layout that applies: columns, menu, events, the flags.
    void finishFormat(bool showMenu);
    GridFormatOptions options(GridForm form, bool showMenu, bool createFields, bool buildColumns) const;

    TGridParam param_;
    GridTexts texts_;
    MemoryTable table_;
    GridLayout layout_;
    DBGrid* grid_ = nullptr;
    bool routed_ = false;
    QString nodeHead_;
    QString nodeName_;
    std::unique_ptr<QMenu> menu_;
    GridPrintSettings printSettings_;
    std::unique_ptr<QPrinter> printer_;
};

}  // namespace vantrel
