#include "grid/GridExport.h"

#ifdef VANTREL_HAVE_XLSX

#include <xlsxwriter.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <vector>

namespace vantrel {

namespace {

constexpr std::size_t kMaxRows = 1048576;
constexpr std::size_t kMaxColumns = 16384;

// libxlsxwriter takes 0 as "no colour"; black has a value of its own.
lxw_color_t Colour(uint32_t rgb) { return rgb == 0 ? lxw_color_t{LXW_COLOR_BLACK} : rgb & 0xFFFFFFu; }

uint8_t Align(ColumnAlign align) {
    switch (align) {
    case ColumnAlign::Center: return LXW_ALIGN_CENTER;
    case ColumnAlign::Right: return LXW_ALIGN_RIGHT;
    default: return LXW_ALIGN_LEFT;
    }
}

// Mirrors the HTML page: the font, the alignment, the cell colour and the
// grid lines as thin borders.
lxw_format* CellFormat(lxw_workbook* book, const ExportSheet& sheet, const GridFont& font, ColumnAlign align,
                       uint32_t background, bool money) {
    lxw_format* format = workbook_add_format(book);
    format_set_font_name(format, font.name.c_str());
    format_set_font_size(format, font.size > 0 ? font.size : 9);
    format_set_font_color(format, Colour(static_cast<uint32_t>(font.color)));
    if (font.bold) format_set_bold(format);
    if (font.italic) format_set_italic(format);
    if (font.underline) format_set_underline(format, LXW_UNDERLINE_SINGLE);
    if (font.strikeOut) format_set_font_strikeout(format);
    format_set_align(format, Align(align));
    format_set_bg_color(format, Colour(background));
    if (sheet.lines) format_set_border(format, LXW_BORDER_THIN);
    if (money) format_set_num_format(format, "0.00");
    return format;
}

struct ColumnFormats {
    lxw_format* title;
    lxw_format* data;
    lxw_format* footer;
};

std::string Place(std::size_t row, std::size_t col, const ExportSheet& sheet) {
    return "row " + std::to_string(row + 1) + ", column " + std::to_string(col + 1) + " (\"" +
           sheet.columns[col].title + "\")";
}

std::filesystem::path TemporaryWorkbook() {
    static std::atomic<unsigned> counter{0};
    static const unsigned seed = std::random_device{}();
    std::error_code error;
    const auto folder = std::filesystem::temp_directory_path(error);
    for (;;) {
        auto path = folder / ("vantrel-export-" + std::to_string(seed) + "-" + std::to_string(counter++) + ".xlsx");
        if (!std::filesystem::exists(path, error)) return path;
    }
}

// Removes the temporary workbook however the export ends.
struct RemoveOnExit {
    std::filesystem::path path;
    ~RemoveOnExit() {
        std::error_code error;
        std::filesystem::remove(path, error);
    }
};

}  // namespace

bool XlsxExportAvailable() { return true; }

Result<std::string> XlsxBytes(const ExportSheet& sheet) {
    SheetRows rows(sheet);
    return XlsxBytes(sheet, rows);
}

Result<std::string> XlsxBytes(const ExportSheet& sheet, ExportRows& rows) {
    const std::size_t sheetRows = 1 + rows.size() + (sheet.footer ? 1 : 0);
    if (sheetRows > kMaxRows || sheet.columns.size() > kMaxColumns)
        return Error{"an Excel 2007 worksheet holds at most 1048576 rows and 16384 columns; this export has " +
                     std::to_string(sheetRows) + " rows and " + std::to_string(sheet.columns.size()) + " columns"};

    // libxlsxwriter writes only to files: a private temporary one, read back.
    RemoveOnExit temporary{TemporaryWorkbook()};
    const std::string name = temporary.path.string();
    // Rows are written in order, so the sheet need not stay in memory.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    lxw_workbook* book = workbook_new_opt(name.c_str(), &options);
    if (!book) return Error{"cannot create the workbook " + name};
    lxw_worksheet* worksheet = workbook_add_worksheet(book, nullptr);
    auto fail = [&](const std::string& error) -> Result<std::string> {
        workbook_close(book);
        return Error{error};
    };
    if (!worksheet) return fail("cannot add a worksheet");

    std::vector<ColumnFormats> formats;
    std::vector<lxw_format*> moneyData, moneyFooter;
    for (std::size_t c = 0; c < sheet.columns.size(); ++c) {
        const ExportColumn& column = sheet.columns[c];
        formats.push_back({CellFormat(book, sheet, column.titleFont, column.titleAlign, sheet.fixedColor, false),
                           CellFormat(book, sheet, column.font, column.align, column.color, false),
                           CellFormat(book, sheet, column.footerFont, column.footerAlign, sheet.footerColor, false)});
        moneyData.push_back(column.money ? CellFormat(book, sheet, column.font, column.align, column.color, true)
                                         : formats.back().data);
        moneyFooter.push_back(column.money ? CellFormat(book, sheet, column.footerFont, column.footerAlign,
                                                        sheet.footerColor, true)
                                           : formats.back().footer);
        const auto col = static_cast<lxw_col_t>(c);
        worksheet_set_column_pixels(worksheet, col, col, static_cast<uint32_t>(std::max(column.width, 0)), nullptr);
    }

    auto put = [&](std::size_t row, std::size_t c, const ExportCell& cell, lxw_format* format,
                   lxw_format* money) -> Status {
        const auto r = static_cast<lxw_row_t>(row);
        const auto col = static_cast<lxw_col_t>(c);
        lxw_error error = LXW_NO_ERROR;
        switch (cell.kind) {
        case ExportCellKind::Blank: error = worksheet_write_blank(worksheet, r, col, format); break;
        case ExportCellKind::Integer:
            error = worksheet_write_number(worksheet, r, col, static_cast<double>(cell.integer), format);
            break;
        case ExportCellKind::Number: error = worksheet_write_number(worksheet, r, col, cell.number, money); break;
        case ExportCellKind::Text: {
            const std::string text(cell.shown());  // the writer takes a C string
            error = worksheet_write_string(worksheet, r, col, text.c_str(), format);
            break;
        }
        }
        if (error == LXW_ERROR_MAX_STRING_LENGTH_EXCEEDED)
            return Error{"the text of " + Place(row, c, sheet) + " is longer than a worksheet cell can hold"};
        if (error != LXW_NO_ERROR) return Error{"writing " + Place(row, c, sheet) + ": " + lxw_strerror(error)};
        return Status::success();
    };

    for (std::size_t c = 0; c < sheet.columns.size(); ++c)
        if (auto done = put(0, c, {ExportCellKind::Text, sheet.columns[c].title, 0, 0}, formats[c].title,
                            formats[c].title);
            !done)
            return fail(done.error());
    std::size_t row = 1;
    for (std::size_t r = 0, count = rows.size(); r < count; ++r) {
        const auto& record = rows.row(r);
        for (std::size_t c = 0; c < record.size(); ++c)
            if (auto done = put(row, c, record[c], formats[c].data, moneyData[c]); !done) return fail(done.error());
        ++row;
    }
    if (sheet.footer)
        for (std::size_t c = 0; c < sheet.footer->size(); ++c)
            if (auto done = put(row, c, (*sheet.footer)[c], formats[c].footer, moneyFooter[c]); !done)
                return fail(done.error());

    if (const lxw_error error = workbook_close(book); error != LXW_NO_ERROR)
        return Error{std::string("writing the workbook: ") + lxw_strerror(error)};
    std::ifstream in(temporary.path, std::ios::binary);
    if (!in.is_open()) return Error{"reading back the workbook " + name};
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace vantrel

#else

namespace vantrel {

bool XlsxExportAvailable() { return false; }

Result<std::string> XlsxBytes(const ExportSheet&) {
    return Error{"this build has no Excel 2007 export (built without libxlsxwriter)"};
}

Result<std::string> XlsxBytes(const ExportSheet& sheet, ExportRows&) { return XlsxBytes(sheet); }

}  // namespace vantrel

#endif
