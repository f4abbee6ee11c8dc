#include "grid/GridExport.h"

#include "common/AppPaths.h"
#include "common/AtomicFile.h"
#include "common/MemoryTable.h"
#include "common/TextCodec.h"
#include "common/TextUtil.h"
#include "grid/GridColor.h"
#include "grid/GridDisplay.h"
#include "grid/GridLog.h"

#include <array>
#include <cstdio>
#include <cstring>

namespace vantrel {

namespace {

// The usual desktop values (0xRRGGBB) of system colours 0-30.
constexpr std::array<uint32_t, 31> kSystemColors{
    0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x0078D7, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xFFFFE1, 0x000000, 0x0066CC, 0xB9D1EA, 0xD7E4F2, 0x3399FF, 0xF0F0F0,
};

// An integer cell stores value * 4 + 2 in 32 bits, so only 30-bit values fit.
constexpr int64_t kMinRkInteger = -(int64_t{1} << 29);
constexpr int64_t kMaxRkInteger = (int64_t{1} << 29) - 1;
constexpr std::size_t kMaxWorksheetText = 0xFFFF - 8;

ColumnAlign ResolveAlign(ColumnAlign align, std::optional<FieldType> type) {
    if (align != ColumnAlign::Default) return align;
    return type && (*type == FieldType::Integer || *type == FieldType::Float) ? ColumnAlign::Right : ColumnAlign::Left;
}

GridFont WithRgb(GridFont font, const std::function<uint32_t(int)>& systemColor) {
    font.color = static_cast<int32_t>(HtmlRgb(font.color, systemColor));
    return font;
}

ExportCell DataCell(const GridColumn& column, const MemoryTable& table, int row) {
    ExportCell cell;
    const int col = column.fieldName.empty() ? -1 : table.fieldIndex(column.fieldName);
    if (col < 0) return cell;  // blank: no field
    cell.text = CellDisplayText(column, table, row);
    if (column.mapsCodes()) {
        cell.kind = ExportCellKind::Text;
        return cell;
    }
    const FieldValue& value = table.value(row, col);
    if (value.isNull()) return cell;
    switch (table.fields()[static_cast<std::size_t>(col)].type) {
    case FieldType::Integer: {
        const int64_t number = std::get<int64_t>(value.storage());
        if (number >= kMinRkInteger && number <= kMaxRkInteger) {
            cell.kind = ExportCellKind::Integer;
            cell.integer = number;
        } else {
            // Too wide for an integer cell: a number cell keeps the value.
            cell.kind = ExportCellKind::Number;
            cell.number = static_cast<double>(number);
        }
        break;
    }
    case FieldType::Float:
        cell.kind = ExportCellKind::Number;
        cell.number = std::get<double>(value.storage());
        break;
    default:
        cell.kind = ExportCellKind::Text;
    }
    return cell;
}

std::string CellPlace(std::size_t row, std::size_t col, const ExportSheet& sheet) {
    return "row " + std::to_string(row + 1) + ", column " + std::to_string(col + 1) + " (\"" +
           sheet.columns[col].title + "\")";
}

// row is the sheet row: 0 the titles, then the records, then the footer.
Result<std::string> CellGbk(const ExportSheet& sheet, std::size_t row, std::size_t col, std::string_view text) {
    auto gbk = Utf8ToGbk(text);
    if (!gbk) return Error{"the text of " + CellPlace(row, col, sheet) + " cannot be written in GBK: " + gbk.error()};
    return gbk;
}

// Visits every cell of the sheet as a sheet row, column and text.
template <class Visit>
Status ForEachText(const ExportSheet& sheet, Visit visit) {
    for (std::size_t c = 0; c < sheet.columns.size(); ++c)
        if (auto done = visit(0, c, sheet.columns[c].title); !done) return done;
    std::size_t row = 1;
    for (const auto& record : sheet.rows) {
        for (std::size_t c = 0; c < record.size(); ++c)
            if (auto done = visit(row, c, record[c].text); !done) return done;
        ++row;
    }
    if (sheet.footer)
        for (std::size_t c = 0; c < sheet.footer->size(); ++c)
            if (auto done = visit(row, c, (*sheet.footer)[c].text); !done) return done;
    return Status::success();
}

void Put16(std::string& out, uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}
void Put32(std::string& out, uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

void PutRecordHead(std::string& out, uint16_t number, std::size_t length, std::size_t row, std::size_t col,
                   uint16_t format) {
    Put16(out, number);
    Put16(out, static_cast<uint32_t>(length));
    Put16(out, static_cast<uint32_t>(row));
    Put16(out, static_cast<uint32_t>(col));
    Put16(out, format);
}

Status PutCell(std::string& out, const ExportSheet& sheet, std::size_t row, std::size_t col, const ExportCell& cell) {
    switch (cell.kind) {
    case ExportCellKind::Blank:
        PutRecordHead(out, 0x0201, 6, row, col, 23);
        return Status::success();
    case ExportCellKind::Integer:
        PutRecordHead(out, 0x027E, 10, row, col, 0);
        Put32(out, static_cast<uint32_t>(cell.integer * 4 + 2));
        return Status::success();
    case ExportCellKind::Number: {
        PutRecordHead(out, 0x0203, 14, row, col, 0);
        uint64_t bits = 0;
        std::memcpy(&bits, &cell.number, sizeof bits);
        Put32(out, static_cast<uint32_t>(bits));
        Put32(out, static_cast<uint32_t>(bits >> 32));
        return Status::success();
    }
    case ExportCellKind::Text: {
        auto gbk = CellGbk(sheet, row, col, cell.text);
        if (!gbk) return Error{gbk.error()};
        if (gbk->size() > kMaxWorksheetText)
            return Error{"the text of " + CellPlace(row, col, sheet) + " is longer than a worksheet cell can hold"};
        PutRecordHead(out, 0x0204, 8 + gbk->size(), row, col, 0);
        Put16(out, static_cast<uint32_t>(gbk->size()));
        out += *gbk;
        return Status::success();
    }
    }
    return Status::success();
}

const char* AlignWord(ColumnAlign align) {
    switch (align) {
    case ColumnAlign::Center: return "CENTER";
    case ColumnAlign::Right: return "RIGHT";
    default: return "LEFT";
    }
}

std::string Hex6(uint32_t rgb) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%06X", rgb & 0xFFFFFFu);
    return buffer;
}

std::string HtmlEscape(std::string_view text) {
    if (text.empty()) return "&nbsp";
    std::string out = ReplaceAll(text, "&", "&amp");
    out = ReplaceAll(out, "<", "&lt");
    out = ReplaceAll(out, ">", "&gt");
    return ReplaceAll(out, "\"", "&quot");
}

// Font texts are UTF-8 here; the whole page is converted at the end.
std::string HtmlFontText(const GridFont& font, std::string_view text) {
    std::string out = "<FONT STYLE=\"font-family: " + font.name + "; font-size: " + std::to_string(font.size) +
                      "pt; color: #" + Hex6(static_cast<uint32_t>(font.color)) + "\">";
    if (font.bold) out += "<B>";
    if (font.italic) out += "<I>";
    if (font.underline) out += "<U>";
    if (font.strikeOut) out += "<STRIKE>";
    out += HtmlEscape(text);
    if (font.bold) out += "</B>";
    if (font.italic) out += "</I>";
    if (font.underline) out += "</U>";
    if (font.strikeOut) out += "</STRIKE>";
    return out + "</FONT>";
}

// A cell text on one line of a text export: TAB, CR and LF would start a
// new cell or line, so they become blanks.
std::string OneTextCell(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c == '\t' || c == '\r' || c == '\n') c = ' ';
    return out;
}

std::string_view LogPrefix(ExportFormat format) {
    switch (format) {
    case ExportFormat::Excel:
    case ExportFormat::Xlsx: return grid_log::kExcelFailed;
    case ExportFormat::Html: return grid_log::kHtmlFailed;
    default: return grid_log::kTextFailed;
    }
}

}  // namespace

uint32_t HtmlRgb(int32_t color, const std::function<uint32_t(int)>& systemColor) {
    if (color == 0x1FFFFFFF) return 0;  // clNone
    if (IsSystemColor(color)) {
        const int index = SystemColorIndex(color);
        if (systemColor) return systemColor(index) & 0xFFFFFFu;
        return index < static_cast<int>(kSystemColors.size()) ? kSystemColors[static_cast<std::size_t>(index)] : 0;
    }
    const auto bgr = static_cast<uint32_t>(color);
    return ((bgr & 0xFF) << 16) | (bgr & 0xFF00) | ((bgr >> 16) & 0xFF);
}

Result<ExportSheet> BuildExportSheet(const GridLayout& layout, const TGridParam& param, const MemoryTable& table,
                                     const ExportOptions& options) {
    const auto& sys = options.systemColor;
    ExportSheet sheet;
    sheet.gridName = options.gridName;
    sheet.fixedColor = HtmlRgb(options.fixedColor.value_or(param.headerStyle().Color), sys);
    sheet.footerColor = HtmlRgb(param.footerStyle().Color, sys);
    sheet.lines = param.linesFlag();
    sheet.fixed3D = param.fixed3DFlag();

    std::vector<const GridColumn*> shown;
    for (const auto& column : layout.columns)
        if (column.visible) shown.push_back(&column);
    for (const GridColumn* column : shown) {
        std::optional<FieldType> type;
        if (const int col = column->fieldName.empty() ? -1 : table.fieldIndex(column->fieldName); col >= 0)
            type = table.fields()[static_cast<std::size_t>(col)].type;
        ExportColumn out;
        out.title = column->caption;
        out.width = column->width;
        out.titleAlign = ResolveAlign(column->titleAlign, std::nullopt);
        out.align = ResolveAlign(column->align, type);
        out.footerAlign = ResolveAlign(column->footer.align, std::nullopt);
        out.color = HtmlRgb(column->color, sys);
        out.font = WithRgb(column->font, sys);
        out.titleFont = WithRgb(param.headerStyle().Font, sys);
        out.footerFont = WithRgb(column->footer.font, sys);
        out.money = type == FieldType::Float;
        sheet.columns.push_back(std::move(out));
    }
    const int rows = table.recordCount();
    sheet.rows.reserve(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        std::vector<ExportCell> record;
        for (const GridColumn* column : shown) record.push_back(DataCell(*column, table, row));
        sheet.rows.push_back(std::move(record));
    }
    if (param.footerCountFlag()) {
        std::vector<ExportCell> footer;
        for (const GridColumn* column : shown) {
            auto value = ComputeFooter(*column, table);
            if (!value) return Error{value.error()};
            ExportCell cell;
            cell.text = value->text;
            const FooterKind kind = column->footer.kind;
            if ((kind == FooterKind::Sum || kind == FooterKind::Count) && value->number) {
                cell.kind = ExportCellKind::Number;
                cell.number = *value->number;
            } else {
                cell.kind = ExportCellKind::Text;
            }
            footer.push_back(std::move(cell));
        }
        sheet.footer = std::move(footer);
    }
    return sheet;
}

Result<std::string> ExcelBytes(const ExportSheet& sheet) {
    const std::size_t sheetRows = 1 + sheet.rows.size() + (sheet.footer ? 1 : 0);
    if (sheetRows > 0x10000 || sheet.columns.size() > 0x10000)
        return Error{"a worksheet holds at most 65536 rows and columns; this export has " + std::to_string(sheetRows) +
                     " rows and " + std::to_string(sheet.columns.size()) + " columns"};
    std::string out;
    Put16(out, 0x0809);
    Put16(out, 8);
    out.append("\x00\x00\x10\x00\x00\x00\x00\x00", 8);
    for (std::size_t c = 0; c < sheet.columns.size(); ++c) {
        ExportCell title{ExportCellKind::Text, sheet.columns[c].title, 0, 0};
        if (auto done = PutCell(out, sheet, 0, c, title); !done) return Error{done.error()};
    }
    std::size_t row = 1;
    auto putRow = [&](const std::vector<ExportCell>& cells) -> Status {
        for (std::size_t c = 0; c < cells.size(); ++c)
            if (auto done = PutCell(out, sheet, row, c, cells[c]); !done) return done;
        ++row;
        return Status::success();
    };
    for (const auto& record : sheet.rows)
        if (auto done = putRow(record); !done) return Error{done.error()};
    if (sheet.footer)
        if (auto done = putRow(*sheet.footer); !done) return Error{done.error()};
    Put16(out, 0x000A);
    Put16(out, 0);
    return out;
}

Result<std::string> HtmlBytes(const ExportSheet& sheet) {
    // Every text is checked first so that the error names the cell.
    if (auto checked = ForEachText(sheet, [&](std::size_t r, std::size_t c, std::string_view text) -> Status {
            if (auto gbk = CellGbk(sheet, r, c, text); !gbk) return Error{gbk.error()};
            return Status::success();
        });
        !checked)
        return Error{checked.error()};

    std::string page;
    auto line = [&](std::string_view text) { page.append(text).append("\r\n"); };
    line("<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 3.2//EN\">");
    line("<HTML>");
    line("<HEAD>");
    line("<TITLE>");
    line(sheet.gridName);
    line("</TITLE>");
    line("</HEAD>");
    std::string table = "<TABLE ";
    if (!sheet.lines)
        table += "BORDER=0 CELLSPACING=0 CELLPADDING=";
    else if (sheet.fixed3D)
        table += "BORDER=1 CELLSPACING=0 CELLPADDING=";
    else
        table += "BORDER=0 CELLSPACING=1 CELLPADDING=";
    table += "1";  // the grid is always flat
    table += " BGCOLOR=#" + Hex6(sheet.fixedColor) + ">";
    line(table);
    line("");

    line("<TR>");
    for (const auto& column : sheet.columns)
        line("  <TD WIDTH=" + std::to_string(column.width) + " ALIGN=\"" + AlignWord(column.titleAlign) + "\">" +
             HtmlFontText(column.titleFont, column.title) + "</TD>");
    line("</TR>");
    auto cellsRow = [&](const std::vector<ExportCell>& cells, bool footer) {
        line("<TR>");
        for (std::size_t c = 0; c < cells.size(); ++c) {
            const ExportColumn& column = sheet.columns[c];
            line("  <TD WIDTH=" + std::to_string(column.width) + " ALIGN=\"" +
                 AlignWord(footer ? column.footerAlign : column.align) + "\" BGCOLOR=#" +
                 Hex6(footer ? sheet.footerColor : column.color) + ">" +
                 HtmlFontText(footer ? column.footerFont : column.font, cells[c].text) + "</TD>");
        }
        line("</TR>");
    };
    for (const auto& record : sheet.rows) cellsRow(record, false);
    if (sheet.footer) cellsRow(*sheet.footer, true);
    line("</TABLE>");
    line("</BODY>");
    line("</HTML>");

    auto gbk = Utf8ToGbk(page);
    if (!gbk) return Error{"the page cannot be written in GBK: " + gbk.error()};  // grid or font name
    return gbk;
}

Result<std::string> TextBytes(const ExportSheet& sheet) {
    std::string out;
    std::size_t lastRow = 0;
    auto done = ForEachText(sheet, [&](std::size_t r, std::size_t c, std::string_view text) -> Status {
        auto gbk = CellGbk(sheet, r, c, text);
        if (!gbk) return Error{gbk.error()};
        if (r != lastRow) out += "\r\n";
        else if (c > 0) out += '\t';
        lastRow = r;
        out += OneTextCell(*gbk);
        return Status::success();
    });
    if (!done) return Error{done.error()};
    return out;
}

Result<std::string> ExportBytes(ExportFormat format, const ExportSheet& sheet) {
    switch (format) {
    case ExportFormat::Excel: return ExcelBytes(sheet);
    case ExportFormat::Html: return HtmlBytes(sheet);
    case ExportFormat::Xlsx: return XlsxBytes(sheet);
    default: return TextBytes(sheet);
    }
}

const char* ExportExtension(ExportFormat format) {
    switch (format) {
    case ExportFormat::Excel: return "xls";
    case ExportFormat::Html: return "htm";
    case ExportFormat::Xlsx: return "xlsx";
    default: return "txt";
    }
}

std::string ExportFileName(const std::string& chosenPath, ExportFormat format) {
    const std::string_view ext = ExportExtension(format);
    if (chosenPath.size() >= ext.size() &&
        EqualsNoCase(std::string_view(chosenPath).substr(chosenPath.size() - ext.size()), ext))
        return chosenPath;
    return chosenPath + "." + std::string(ext);
}

Result<std::string> ExportGridToFile(ExportFormat format, const std::string& chosenPath, const GridLayout& layout,
                                     const TGridParam& param, const MemoryTable& table, const ExportOptions& options) {
    const std::string path = ExportFileName(chosenPath, format);
    auto fail = [&](const std::string& error) -> Result<std::string> {
        (void)WriteGridLog(std::string(LogPrefix(format)) + error);
        return Error{error};
    };
    auto sheet = BuildExportSheet(layout, param, table, options);
    if (!sheet) return fail(sheet.error());
    auto bytes = ExportBytes(format, *sheet);
    if (!bytes) return fail(bytes.error());
    if (auto written = ReplaceFileAtomically(PathFromUtf8(path), *bytes); !written) return fail(written.error());
    return path;
}

}  // namespace vantrel
