#include "grid/GridExport.h"

#include "common/MemoryTable.h"
#include "common/TextCodec.h"
#include "common/TextUtil.h"
#include "grid/GridColor.h"
#include "grid/ExportTableRows.h"
#include "grid/ExportWriters.h"
#include "grid/GridDisplay.h"
#include "grid/GridLog.h"

#include <array>
#include <cstdio>

namespace vantrel {

namespace {

// The usual desktop values (0xRRGGBB) of system colours 0-30.
constexpr std::array<uint32_t, 31> kSystemColors{
    0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
    0x000000, 0x000000, 0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x0078D7, 0xFFFFFF, 0xF0F0F0,
    0xA0A0A0, 0x6D6D6D, 0x000000, 0x000000, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
    0xFFFFE1, 0x000000, 0x0066CC, 0xB9D1EA, 0xD7E4F2, 0x3399FF, 0xF0F0F0,
};

ColumnAlign ResolveAlign(ColumnAlign align, std::optional<FieldType> type) {
    if (align != ColumnAlign::Default) return align;
    return type && (*type == FieldType::Integer || *type == FieldType::Float) ? ColumnAlign::Right : ColumnAlign::Left;
}

GridFont WithRgb(GridFont font, const std::function<uint32_t(int)>& systemColor) {
    font.color = static_cast<int32_t>(HtmlRgb(font.color, systemColor));
    return font;
}

}  // namespace

std::string CellPlace(std::size_t row, std::size_t col, const ExportSheet& sheet) {
    return "row " + std::to_string(row + 1) + ", column " + std::to_string(col + 1) + " (\"" +
           sheet.columns[col].title + "\")";
}

Result<std::string> CellGbk(const ExportSheet& sheet, std::size_t row, std::size_t col, std::string_view text) {
    auto gbk = Utf8ToGbk(text);
    if (!gbk) return Error{"the text of " + CellPlace(row, col, sheet) + " cannot be written in GBK: " + gbk.error()};
    return gbk;
}

std::size_t TextBytesOf(const ExportSheet& sheet, ExportRows& rows) {
    std::size_t bytes = rows.textBytesHint();
    for (const auto& column : sheet.columns) bytes += column.title.size();
    if (sheet.footer)
        for (const auto& cell : *sheet.footer) bytes += cell.text.size();
    return bytes;
}

std::size_t CellCount(const ExportSheet& sheet, const ExportRows& rows) {
    return sheet.columns.size() * (1 + (sheet.footer ? 1 : 0) + rows.size());
}

namespace {

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

namespace {

// Everything but the records: columns, colours and the footer; `shown`
// receives the visible columns.
Result<ExportSheet> BuildExportHead(const GridLayout& layout, const TGridParam& param, const MemoryTable& table,
                                    const ExportOptions& options, std::vector<const GridColumn*>& shown) {
    const auto& sys = options.systemColor;
    ExportSheet sheet;
    sheet.gridName = options.gridName;
    sheet.fixedColor = HtmlRgb(options.fixedColor.value_or(param.headerStyle().Color), sys);
    sheet.footerColor = HtmlRgb(param.footerStyle().Color, sys);
    sheet.lines = param.linesFlag();
    sheet.fixed3D = param.fixed3DFlag();

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

}  // namespace

std::size_t SheetRows::textBytesHint() {
    std::size_t bytes = 0;
    for (const auto& record : sheet_.rows)
        for (const auto& cell : record) bytes += cell.text.size();
    return bytes;
}

Result<ExportSheet> BuildExportSheet(const GridLayout& layout, const TGridParam& param, const MemoryTable& table,
                                     const ExportOptions& options) {
    std::vector<const GridColumn*> shown;
    auto sheet = BuildExportHead(layout, param, table, options, shown);
    if (!sheet) return sheet;
    // Field numbers are looked up once per column, not per cell.
    const std::vector<int> fieldOf = FieldNumbers(shown, table);
    const int rows = table.recordCount();
    auto& records = sheet.value().rows;
    records.reserve(static_cast<std::size_t>(rows));
    for (int row = 0; row < rows; ++row) {
        std::vector<ExportCell> record;
        record.reserve(shown.size());
        for (std::size_t c = 0; c < shown.size(); ++c) record.push_back(DataCell(*shown[c], table, row, fieldOf[c]));
        records.push_back(std::move(record));
    }
    return sheet;
}

namespace {

// The markup around one cell's text, UTF-8.
struct CellMarkup {
    std::string before;
    std::string after;
};

CellMarkup TdMarkup(int width, ColumnAlign align, std::optional<uint32_t> background, const GridFont& font) {
    CellMarkup m;
    m.before = "  <TD WIDTH=" + std::to_string(width) + " ALIGN=\"" + AlignWord(align) + "\"";
    if (background) m.before += " BGCOLOR=#" + Hex6(*background);
    m.before += "><FONT STYLE=\"font-family: " + font.name + "; font-size: " + std::to_string(font.size) +
                "pt; color: #" + Hex6(static_cast<uint32_t>(font.color)) + "\">";
    if (font.bold) m.before += "<B>";
    if (font.italic) m.before += "<I>";
    if (font.underline) m.before += "<U>";
    if (font.strikeOut) m.before += "<STRIKE>";
    if (font.bold) m.after += "</B>";
    if (font.italic) m.after += "</I>";
    if (font.underline) m.after += "</U>";
    if (font.strikeOut) m.after += "</STRIKE>";
    m.after += "</FONT></TD>\r\n";
    return m;
}

// Writes the page through a sink: piece() gives markup in the sink's code
// (made once per column, not per cell), put() appends it, cell() appends a
// cell text escaped and fails on a text the sink cannot hold.
template <class Sink>
bool WritePage(const ExportSheet& sheet, ExportRows& rows, Sink& sink) {
    auto line = [&](std::string_view text) {
        sink.put(sink.piece(text));
        sink.put("\r\n");
    };
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

    struct Piece {
        std::string before, after;
    };
    auto pieces = [&](const CellMarkup& m) { return Piece{sink.piece(m.before), sink.piece(m.after)}; };
    line("<TR>");
    for (std::size_t c = 0; c < sheet.columns.size(); ++c) {
        const ExportColumn& column = sheet.columns[c];
        const Piece p = pieces(TdMarkup(column.width, column.titleAlign, std::nullopt, column.titleFont));
        sink.put(p.before);
        if (!sink.cell(column.title, 0, c)) return false;
        sink.put(p.after);
    }
    line("</TR>");
    std::size_t row = 1;
    auto cellsRow = [&](const std::vector<ExportCell>& cells, const std::vector<Piece>& markup) {
        line("<TR>");
        for (std::size_t c = 0; c < cells.size(); ++c) {
            sink.put(markup[c].before);
            if (!sink.cell(cells[c].shown(), row, c)) return false;
            sink.put(markup[c].after);
        }
        line("</TR>");
        ++row;
        return true;
    };
    std::vector<Piece> recordMarkup;
    for (const auto& column : sheet.columns)
        recordMarkup.push_back(pieces(TdMarkup(column.width, column.align, column.color, column.font)));
    for (std::size_t r = 0, count = rows.size(); r < count; ++r)
        if (!cellsRow(rows.row(r), recordMarkup)) return false;
    if (sheet.footer) {
        std::vector<Piece> footerMarkup;
        for (const auto& column : sheet.columns)
            footerMarkup.push_back(pieces(TdMarkup(column.width, column.footerAlign, sheet.footerColor, column.footerFont)));
        if (!cellsRow(*sheet.footer, footerMarkup)) return false;
    }
    line("</TABLE>");
    line("</BODY>");
    line("</HTML>");
    return true;
}

// The page as UTF-8, for naming a fault in a grid or font name.
struct Utf8PageSink {
    std::string page;
    std::string piece(std::string_view text) { return std::string(text); }
    void put(std::string_view text) { page += text; }
    bool cell(std::string_view text, std::size_t, std::size_t) {
        page += HtmlEscape(text);
        return true;
    }
};

// The page written straight in GBK.
struct GbkPageSink {
    const ExportSheet& sheet;
    std::string page;
    bool markupFailed = false;
    std::optional<std::string> cellError;

    std::string piece(std::string_view text) {
        std::string out;
        if (!AppendUtf8AsGbk(out, text)) markupFailed = true;
        return out;
    }
    void put(std::string_view text) { page += text; }
    bool cell(std::string_view text, std::size_t row, std::size_t col) {
        if (text.empty()) {
            page += "&nbsp";
            return true;
        }
        std::size_t start = 0;
        for (std::size_t i = 0; i < text.size(); ++i) {
            const char* escaped = nullptr;
            switch (text[i]) {
            case '&': escaped = "&amp"; break;
            case '<': escaped = "&lt"; break;
            case '>': escaped = "&gt"; break;
            case '"': escaped = "&quot"; break;
            default: continue;
            }
            // UTF-8 sequences hold no ASCII bytes: cutting here splits none.
            if (!AppendUtf8AsGbk(page, text.substr(start, i - start))) return failCell(text, row, col);
            page += escaped;
            start = i + 1;
        }
        if (!AppendUtf8AsGbk(page, text.substr(start))) return failCell(text, row, col);
        return true;
    }
    bool failCell(std::string_view text, std::size_t row, std::size_t col) {
        cellError = CellGbk(sheet, row, col, text).error();
        return false;
    }
};

Result<std::string> WriteHtml(const ExportSheet& sheet, ExportRows& rows) {
    GbkPageSink sink{sheet, {}, false, std::nullopt};
    // Each cell line holds the text and about 140 bytes of markup.
    sink.page.reserve(TextBytesOf(sheet, rows) + 150 * CellCount(sheet, rows) + 512);
    // A cell the page cannot hold is named before a grid or font name.
    if (!WritePage(sheet, rows, sink)) return Error{*sink.cellError};
    if (sink.markupFailed) {
        Utf8PageSink utf8;
        WritePage(sheet, rows, utf8);
        return Error{"the page cannot be written in GBK: " + Utf8ToGbk(utf8.page).error()};  // grid or font name
    }
    return std::move(sink.page);
}

}  // namespace

Result<std::string> ExcelBytes(const ExportSheet& sheet) {
    SheetRows rows(sheet);
    return WriteExcel(sheet, rows);
}

Result<std::string> HtmlBytes(const ExportSheet& sheet) {
    SheetRows rows(sheet);
    return WriteHtml(sheet, rows);
}

Result<std::string> TextBytes(const ExportSheet& sheet) {
    SheetRows rows(sheet);
    return WriteText(sheet, rows);
}

Result<std::string> ExportBytes(ExportFormat format, const ExportSheet& head, ExportRows& rows) {
    switch (format) {
    case ExportFormat::Excel: return WriteExcel(head, rows);
    case ExportFormat::Html: return WriteHtml(head, rows);
    case ExportFormat::Xlsx: return XlsxBytes(head, rows);
    default: return WriteText(head, rows);
    }
}

Result<std::string> ExportBytes(ExportFormat format, const ExportSheet& sheet) {
    SheetRows rows(sheet);
    return ExportBytes(format, sheet, rows);
}

Result<std::string> ExportTableBytes(ExportFormat format, const GridLayout& layout, const TGridParam& param,
                                     const MemoryTable& table, const ExportOptions& options) {
    std::vector<const GridColumn*> shown;
    auto head = BuildExportHead(layout, param, table, options, shown);
    if (!head) return Error{head.error()};
    TableRows rows(shown, table, format != ExportFormat::Excel && format != ExportFormat::Xlsx);
    return ExportBytes(format, *head, rows);
}

}  // namespace vantrel
