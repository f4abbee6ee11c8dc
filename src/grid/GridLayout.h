#pragma once
// The layout of one result grid as its Bank.ini section describes it: plain
// structs that the Qt grid view applies, built by the parser below.
//
// A grid section has nine header lines (ColWidth, ColTotal, ColVisual,
// ColTag, ColAlign, ColColor, ColStyle, ColDBWidth, ColDataType; their keys
// are not looked at), each a list of entries separated by ",", entry k for
// the k-th column; then one line per column, in display order, whose value
// is the title. Form 1 binds column k to field "Col" + tag; form 2 to the
// field named by the line's key. See docs/grid.md.
#include "common/FieldValue.h"
#include "common/Result.h"
#include "grid/TGridParam.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class MemoryTable;
class Profile;

// Column tags with a fixed meaning.
inline constexpr int kCheckBoxColTag = 97;
inline constexpr int kSpaceColTag = 98;
inline constexpr int kEditButtonColTag = 99;

enum class GridForm {
    ByTag,        // form 1: fields "Col" + tag, field definitions always
    ByFieldName,  // form 2: fields named by the column lines' keys
};

enum class ColumnAlign { Default, Left, Center, Right };

enum class FooterKind { None, StaticText, Count, Sum, Average };

struct GridFooter {
    FooterKind kind = FooterKind::None;
    ColumnAlign align = ColumnAlign::Left;
    std::string text;  // the static text of StaticText footers
    GridFont font;     // the footer row's font, with this column's colour
};

struct GridColumn {
    std::string fieldName;  // "" for the filler column
    std::string caption;
    std::string hint;
    bool showTitleHint = false;
    bool titleButton = true;  // the title sorts when clicked
    ColumnAlign titleAlign = ColumnAlign::Center;
    int width = 80;
    bool visible = true;
    int tag = 0;
    ColumnAlign align = ColumnAlign::Default;  // Default: by the field's type
    std::string displayFormat;                 // number-format picture
    int32_t color = kWhiteColor;               // data cells' background
    GridFont font;                             // data cells' font
    bool readOnly = true;
    // Check-box mode (ColAlign "E"): the texts of a checked and an unchecked box.
    bool checkBox = false;
    std::string checkedValue;
    std::string uncheckedValue;
    // Edit-button column (ColTotal "99" on a visible column).
    bool editButton = false;
    std::string buttonGlyphFile;  // "" or a file that existed when formatting
    GridFooter footer;
    // Code table: a stored key shows as the pick-list text at the key's
    // position. The main window fills these after formatting.
    std::vector<std::string> keyList;
    std::vector<std::string> pickList;

    bool isFiller() const { return tag == kSpaceColTag; }
    bool mapsCodes() const { return !keyList.empty(); }
};

// A field of the formatter's own table. No type means the ColDataType code
// was not one of 0-3; creating the table then fails.
struct GridFieldDef {
    int number = 0;
    std::string name;
    std::optional<FieldType> type;
    int size = 0;
    std::string typeCode;  // as written, for the error text
};

// The default index from section NodeName + "Index".
struct GridIndexDef {
    std::string name;
    std::string fields;
    int direction = 0;  // 0 ascending, 1 descending, anything else: no index added
};

struct GridMenuItem {
    std::string name;  // "p05", "p0501", "p0502", "p0503", "p06"
    std::string caption;
    int imageIndex = -1;
};

// [GridMenu]: the export sub-menu "p05" holding p0501 (Excel), p0502 (HTML),
// p0503 (text), then the print item "p06".
struct GridMenu {
    GridMenuItem exportMenu;
    std::vector<GridMenuItem> exportItems;
    GridMenuItem printItem;
};

// The formatter's own texts from [GridParam]; both "" without Bank.ini.
struct GridTexts {
    std::string totalCaption;         // TotalCN, default "合计"
    std::string buttonGlyphFileName;  // ResPath + ButtonBMPFile, or ""
};
GridTexts LoadGridTexts(const Profile& ini, const TGridParam& param);

struct GridFormatOptions {
    GridForm form = GridForm::ByFieldName;
    bool buildColumns = true;  // form 1: false keeps the grid's own columns
    bool createFields = true;  // form 2: define the table's fields
    bool showMenu = false;
    bool spaceColFlag = true;  // add the filler column
    int hideColTag = -1;       // ColVisual value that hides a column
    int screenWidth = 1024;    // pixels, for the filler's first width
};

struct GridLayout {
    std::string nodeName;
    // InitGrid ran (false: no section, or it failed before the columns).
    bool columnsBuilt = false;
    std::vector<GridColumn> columns;
    std::vector<GridFieldDef> fields;
    bool tableCreated = false;
    std::optional<GridIndexDef> index;
    bool indexSelected = false;
    bool showHints = false;
    std::optional<int> frozenCols;  // form 1, when below the column count
    std::optional<GridMenu> menu;
    bool processFlag = false;        // InitGrid ran to its end
    bool createProcessFlag = false;  // formatting completed without a logged failure
    // The lines for the formatter log, in the order the failures happened.
    std::vector<std::string> logLines;

    // First check-box column (tag 97); "" / 0 when there is none.
    std::string checkBoxFieldName() const;
    int checkBoxFieldIndex() const;
    // Sum of the widths of the visible columns other than the filler.
    int visibleWidth() const;
};

// The pure parser: formats from a snapshot of Bank.ini. When `table` is
// given it becomes the formatter's own table (fields and default index);
// failures are collected in logLines, nothing is written anywhere.
GridLayout BuildGridLayout(const Profile& ini, std::string_view nodeName, const GridFormatOptions& options,
                           const TGridParam& param, const GridTexts& texts, MemoryTable* table);

// Reads Bank.ini afresh, formats, and writes logLines with WriteGridLog.
GridLayout FormatGridLayout(std::string_view nodeName, const GridFormatOptions& options, const TGridParam& param,
                            const GridTexts& texts, MemoryTable* table);

// CreateDefaultIndex: section NodeName + "Index" (name, field list,
// direction) added to `table` and selected; failures go to logLines.
void CreateDefaultIndex(const Profile& ini, GridLayout& layout, MemoryTable& table);
// ApplyColumnHints: with ColumnsHintFlag, every column's title hint from
// section "Hint" + NodeName, key field name + "Hint", default the caption.
void ApplyColumnHints(const Profile& ini, const TGridParam& param, GridLayout& layout);

// A section's values in file order and the keys of its lines (text before
// the first "=", trimmed; "" for a line without one).
struct GridSection {
    std::vector<std::string> keys;
    std::vector<std::string> values;
};
GridSection ReadGridSection(const Profile& ini, std::string_view section);

// The [GridMenu] menu: exactly ten values, or none.
std::optional<GridMenu> BuildGridMenu(const Profile& ini);

// The first width of the filler column for a screen width and a visible
// width sum: |screen - sum - 20| while the sum is below the screen, else 0.
int InitialSpaceColWidth(int screenWidth, int visibleWidth);
// The filler's width when the grid resizes, for its parent's client width.
int ResizedSpaceColWidth(int parentWidth, int visibleWidth);

// Splits a header value at every ",", each entry trimmed; "" gives none.
std::vector<std::string> SplitGridList(std::string_view value);

}  // namespace vantrel
