#include "grid/GridExport.h"

#include "common/MemoryTable.h"
#include "common/TextCodec.h"
#include "common/TextUtil.h"
#include "grid/GridColor.h"
#include "grid/GridDisplay.h"
#include "grid/GridLog.h"

#include <algorithm>
#include <array>
#include <charconv>
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

// An integer cell where the value fits one; too wide, a number cell keeps it.
void SetIntegerValue(ExportCell& cell, int64_t number) {
    if (number >= kMinRkInteger && number <= kMaxRkInteger) {
        cell.kind = ExportCellKind::Integer;
        cell.integer = number;
    } else {
        cell.kind = ExportCellKind::Number;
        cell.number = static_cast<double>(number);
    }
}

ExportCell DataCell(const GridColumn& column, const MemoryTable& table, int row, int col) {
    ExportCell cell;
    if (col < 0) return cell;  // blank: no field
    cell.text = CellDisplayText(column, table, row, col);
    if (column.mapsCodes()) {
        cell.kind = ExportCellKind::Text;
        return cell;
    }
    const FieldValue& value = table.value(row, col);
    if (value.isNull()) return cell;
    switch (table.fields()[static_cast<std::size_t>(col)].type) {
    case FieldType::Integer: SetIntegerValue(cell, std::get<int64_t>(value.storage())); break;
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
Status ForEachText(const ExportSheet& sheet, ExportRows& rows, Visit visit) {
    for (std::size_t c = 0; c < sheet.columns.size(); ++c)
        if (auto done = visit(0, c, sheet.columns[c].title); !done) return done;
    std::size_t row = 1;
    for (std::size_t r = 0, count = rows.size(); r < count; ++r) {
        const auto& record = rows.row(r);
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
    const char bytes[2] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF)};
    out.append(bytes, 2);
}

// A record is put together in a small array and appended once.
char* PutWord(char* to, uint32_t value) {
    to[0] = static_cast<char>(value & 0xFF);
    to[1] = static_cast<char>((value >> 8) & 0xFF);
    return to + 2;
}
char* PutRecordHead(char* to, uint16_t number, std::size_t length, std::size_t row, std::size_t col,
                    uint16_t format) {
    to = PutWord(to, number);
    to = PutWord(to, static_cast<uint32_t>(length));
    to = PutWord(to, static_cast<uint32_t>(row));
    to = PutWord(to, static_cast<uint32_t>(col));
    return PutWord(to, format);
}

Status PutCell(std::string& out, const ExportSheet& sheet, std::size_t row, std::size_t col, const ExportCell& cell) {
    char record[18];
    char* to = record;
    switch (cell.kind) {
    case ExportCellKind::Blank: to = PutRecordHead(to, 0x0201, 6, row, col, 23); break;
    case ExportCellKind::Integer: {
        const auto rk = static_cast<uint32_t>(cell.integer * 4 + 2);
        to = PutRecordHead(to, 0x027E, 10, row, col, 0);
        to = PutWord(PutWord(to, rk & 0xFFFF), rk >> 16);
        break;
    }
    case ExportCellKind::Number: {
        uint64_t bits = 0;
        std::memcpy(&bits, &cell.number, sizeof bits);
        to = PutRecordHead(to, 0x0203, 14, row, col, 0);
        for (int shift = 0; shift < 64; shift += 16) to = PutWord(to, static_cast<uint32_t>((bits >> shift) & 0xFFFF));
        break;
    }
    case ExportCellKind::Text: {
        // The head is written first and its lengths filled in once the
        // text's GBK size is known: no string per cell.
        const std::size_t head = out.size();
        to = PutWord(PutRecordHead(to, 0x0204, 0, row, col, 0), 0);
        out.append(record, static_cast<std::size_t>(to - record));
        if (!AppendUtf8AsGbk(out, cell.text)) {
            out.resize(head);
            return Error{CellGbk(sheet, row, col, cell.text).error()};
        }
        const std::size_t size = out.size() - head - 12;
        if (size > kMaxWorksheetText) {
            out.resize(head);
            return Error{"the text of " + CellPlace(row, col, sheet) + " is longer than a worksheet cell can hold"};
        }
        PutWord(out.data() + head + 2, static_cast<uint32_t>(8 + size));
        PutWord(out.data() + head + 10, static_cast<uint32_t>(size));
        return Status::success();
    }
    }
    out.append(record, static_cast<std::size_t>(to - record));
    return Status::success();
}

// The UTF-8 bytes of every cell text, to size an output once.
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

// A cell text on one line of a text export: TAB, CR and LF would start a
// new cell or line, so they become blanks.
void OneTextCell(std::string& out, std::size_t from) {
    for (std::size_t i = from; i < out.size(); ++i)
        if (out[i] == '\t' || out[i] == '\r' || out[i] == '\n') out[i] = ' ';
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

std::vector<int> FieldNumbers(const std::vector<const GridColumn*>& shown, const MemoryTable& table) {
    std::vector<int> fieldOf;
    for (const GridColumn* column : shown)
        fieldOf.push_back(column->fieldName.empty() ? -1 : table.fieldIndex(column->fieldName));
    return fieldOf;
}

// A column's cells as a writer needs them, with what a cell's kind and text
// depend on decided once per column: the same cells DataCell makes, written
// into one reused record instead of a string per cell.
class TableRows : public ExportRows {
public:
    // numberTexts: whether a writer reads the text of a number cell too (the
    // worksheets take the number alone).
    TableRows(const std::vector<const GridColumn*>& shown, const MemoryTable& table, bool numberTexts)
        : table_(table), numberTexts_(numberTexts) {
        const std::vector<int> fieldOf = FieldNumbers(shown, table);
        for (std::size_t c = 0; c < shown.size(); ++c) {
            Column column{shown[c], fieldOf[c], FieldType::Text, false, {}};
            if (column.field >= 0) column.type = table.fields()[static_cast<std::size_t>(column.field)].type;
            column.hasPicture = !shown[c]->displayFormat.empty();
            if (column.hasPicture) column.picture = ParseNumberPicture(shown[c]->displayFormat);
            columns_.push_back(std::move(column));
        }
        record_.resize(columns_.size());
        rows_ = static_cast<std::size_t>(table.recordCount());
    }
    std::size_t size() const override { return rows_; }
    const std::vector<ExportCell>& row(std::size_t row) override {
        for (std::size_t c = 0; c < columns_.size(); ++c) fill(record_[c], columns_[c], static_cast<int>(row));
        return record_;
    }
    // From about 64 records spread over the table.
    std::size_t textBytesHint() override {
        if (rows_ == 0) return 0;
        const std::size_t step = std::max<std::size_t>(1, rows_ / 64);
        std::size_t sampled = 0, bytes = 0;
        for (std::size_t r = 0; r < rows_; r += step, ++sampled)
            for (const auto& cell : row(r)) bytes += cell.text.size();
        const std::size_t estimate = bytes * rows_ / sampled;
        return estimate + estimate / 8;
    }

private:
    struct Column {
        const GridColumn* column;
        int field;  // -1: none
        FieldType type;
        bool hasPicture;
        NumberPicture picture;
    };

    void fill(ExportCell& cell, const Column& c, int row) const {
        cell.kind = ExportCellKind::Blank;
        cell.text.clear();
        cell.integer = 0;
        cell.number = 0;
        if (c.field < 0) return;
        if (c.column->mapsCodes()) {
            cell = DataCell(*c.column, table_, row, c.field);
            return;
        }
        if (c.type == FieldType::Text) {
            const std::string_view text = table_.storedText(row, c.field);
            if (text.empty()) return;  // null
            cell.kind = ExportCellKind::Text;
            if (c.hasPicture)
                if (const auto number = ReadDecimal(text)) {
                    AppendNumberPicture(cell.text, *number, c.picture);
                    return;
                }
            cell.text.assign(text);
            return;
        }
        const FieldValue value = table_.value(row, c.field);
        if (value.isNull()) return;
        const auto& stored = value.storage();
        switch (c.type) {
        case FieldType::Integer: {
            const int64_t number = std::get<int64_t>(stored);
            SetIntegerValue(cell, number);
            if (!numberTexts_) return;
            if (c.hasPicture) {
                AppendNumberPicture(cell.text, static_cast<double>(number), c.picture);
            } else {
                char digits[24];
                const auto end = std::to_chars(digits, digits + sizeof digits, number).ptr;
                cell.text.append(digits, end);
            }
            return;
        }
        case FieldType::Float: {
            const double number = std::get<double>(stored);
            cell.kind = ExportCellKind::Number;
            cell.number = number;
            if (!numberTexts_) return;
            if (c.hasPicture)
                AppendNumberPicture(cell.text, number, c.picture);
            else
                cell.text = FormatDouble(number);
            return;
        }
        case FieldType::Text: return;  // above
        case FieldType::Date:
            cell.kind = ExportCellKind::Text;
            cell.text = FormatDate(std::get<DateValue>(stored));
            return;
        }
    }

    const MemoryTable& table_;
    bool numberTexts_;
    std::vector<Column> columns_;
    std::vector<ExportCell> record_;
    std::size_t rows_ = 0;
};

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

Result<std::string> WriteExcel(const ExportSheet& sheet, ExportRows& rows) {
    const std::size_t sheetRows = 1 + rows.size() + (sheet.footer ? 1 : 0);
    if (sheetRows > 0x10000 || sheet.columns.size() > 0x10000)
        return Error{"a worksheet holds at most 65536 rows and columns; this export has " + std::to_string(sheetRows) +
                     " rows and " + std::to_string(sheet.columns.size()) + " columns"};
    std::string out;
    out.reserve(TextBytesOf(sheet, rows) + 14 * CellCount(sheet, rows) + 32);
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
    for (std::size_t r = 0, count = rows.size(); r < count; ++r)
        if (auto done = putRow(rows.row(r)); !done) return Error{done.error()};
    if (sheet.footer)
        if (auto done = putRow(*sheet.footer); !done) return Error{done.error()};
    Put16(out, 0x000A);
    Put16(out, 0);
    return out;
}

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
            if (!sink.cell(cells[c].text, row, c)) return false;
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

Result<std::string> WriteText(const ExportSheet& sheet, ExportRows& rows) {
    std::string out;
    out.reserve(TextBytesOf(sheet, rows) + 2 * CellCount(sheet, rows));
    std::size_t lastRow = 0;
    auto done = ForEachText(sheet, rows, [&](std::size_t r, std::size_t c, std::string_view text) -> Status {
        if (r != lastRow) out += "\r\n";
        else if (c > 0) out += '\t';
        lastRow = r;
        const std::size_t at = out.size();
        if (!AppendUtf8AsGbk(out, text)) return Error{CellGbk(sheet, r, c, text).error()};
        OneTextCell(out, at);
        return Status::success();
    });
    if (!done) return Error{done.error()};
    return out;
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
