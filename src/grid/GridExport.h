#pragma once
// Exports of a grid's visible columns and the whole table it shows: an Excel
// worksheet (BIFF records), an HTML page and tab-separated text, all in GBK,
// and an Excel 2007 workbook (Unicode) when built with libxlsxwriter.
#include "common/Result.h"
#include "grid/GridLayout.h"
#include "grid/TGridParam.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

class MemoryTable;

enum class ExportFormat { Excel, Html, Text, Xlsx };

struct ExportOptions {
    std::string gridName;              // the HTML page's title
    std::optional<int32_t> fixedColor; // the title colour; HeaderStyle's when none
    // 0xRRGGBB of system colour n; the usual desktop defaults when empty.
    std::function<uint32_t(int)> systemColor;
};

enum class ExportCellKind { Blank, Integer, Number, Text };

struct ExportCell {
    ExportCellKind kind = ExportCellKind::Blank;
    std::string text;  // the display text (UTF-8)
    int64_t integer = 0;
    double number = 0;
    // A table export lends a stored text instead of copying it into `text`;
    // writers read shown(), which gives whichever holds the cell's text.
    std::string_view lent{};
    std::string_view shown() const { return lent.data() ? lent : std::string_view(text); }
};

struct ExportColumn {
    std::string title;
    int width = 0;
    ColumnAlign titleAlign = ColumnAlign::Left;
    ColumnAlign align = ColumnAlign::Left;  // resolved: never Default
    ColumnAlign footerAlign = ColumnAlign::Left;
    uint32_t color = 0;  // 0xRRGGBB
    GridFont font;       // colours below as 0xRRGGBB
    GridFont titleFont;
    GridFont footerFont;
    bool money = false;  // a floating-point field: numbers shown as 0.00
};

// Everything an export writes, in display order, texts still UTF-8.
struct ExportSheet {
    std::string gridName;
    std::vector<ExportColumn> columns;
    std::vector<std::vector<ExportCell>> rows;
    std::optional<std::vector<ExportCell>> footer;
    uint32_t fixedColor = 0;   // 0xRRGGBB
    uint32_t footerColor = 0;  // 0xRRGGBB
    bool lines = false;
    bool fixed3D = false;
};

// The sheet for the layout's visible columns and every row of the table's
// view, first to last; the table's cursor is not moved. Fails when a footer
// total cannot be computed (see ComputeFooter).
Result<ExportSheet> BuildExportSheet(const GridLayout& layout, const TGridParam& param, const MemoryTable& table,
                                     const ExportOptions& options);

// The records of an export handed to a writer one at a time, so that no
// string per cell need exist for the whole sheet at once.
class ExportRows {
public:
    virtual ~ExportRows() = default;
    virtual std::size_t size() const = 0;
    // The cells of record `row`; valid until the next call.
    virtual const std::vector<ExportCell>& row(std::size_t row) = 0;
    // About how many UTF-8 bytes all the records' texts hold, to size an output.
    virtual std::size_t textBytesHint() = 0;
};

// The records an ExportSheet holds.
class SheetRows : public ExportRows {
public:
    explicit SheetRows(const ExportSheet& sheet) : sheet_(sheet) {}
    std::size_t size() const override { return sheet_.rows.size(); }
    const std::vector<ExportCell>& row(std::size_t row) override { return sheet_.rows[row]; }
    std::size_t textBytesHint() override;

private:
    const ExportSheet& sheet_;
};

// The file bytes. A text GBK cannot hold refuses the export with an error
// naming the cell; so do a worksheet beyond 65536 rows or columns and a
// worksheet text over 65527 bytes, which the records cannot describe.
Result<std::string> ExcelBytes(const ExportSheet& sheet);
Result<std::string> HtmlBytes(const ExportSheet& sheet);
Result<std::string> TextBytes(const ExportSheet& sheet);
// Titles, footer, widths, alignment, fonts and colours; at most 1 048 576
// rows and 16 384 columns; a text over 32 767 characters is refused.
Result<std::string> XlsxBytes(const ExportSheet& sheet);
// False in a build without libxlsxwriter, where XlsxBytes always fails.
bool XlsxExportAvailable();
Result<std::string> ExportBytes(ExportFormat format, const ExportSheet& sheet);
// The same writers over records from `rows`; `head` gives the rest of the
// sheet (its own rows are ignored).
Result<std::string> ExportBytes(ExportFormat format, const ExportSheet& head, ExportRows& rows);
Result<std::string> XlsxBytes(const ExportSheet& head, ExportRows& rows);

// What BuildExportSheet + ExportBytes give, with each record's display
// texts made as it is written: the path of an export to a file.
Result<std::string> ExportTableBytes(ExportFormat format, const GridLayout& layout, const TGridParam& param,
                                     const MemoryTable& table, const ExportOptions& options);

// 0xRRGGBB of a grid colour: system colours resolved, clNone black.
uint32_t HtmlRgb(int32_t color, const std::function<uint32_t(int)>& systemColor = {});

const char* ExportExtension(ExportFormat format);  // "xls", "htm", "txt", "xlsx"
// The chosen path with "." + extension appended unless it already ends in
// the extension (in any case; the last three characters for "xls", so "a.xlsx"
// chosen for a worksheet becomes "a.xlsx.xls").
std::string ExportFileName(const std::string& chosenPath, ExportFormat format);

// Builds the sheet and replaces the file atomically (a failed export leaves
// no half file and an existing file untouched). Returns the path written.
// A failure is logged with the format's prefix and returned.
Result<std::string> ExportGridToFile(ExportFormat format, const std::string& chosenPath, const GridLayout& layout,
                                     const TGridParam& param, const MemoryTable& table, const ExportOptions& options);

}  // namespace vantrel
