#include "grid/ExportOutput.h"
#include "grid/ExportWriters.h"

#include <cstring>

namespace vantrel {

namespace {

constexpr std::size_t kMaxWorksheetText = 0xFFFF - 8;
constexpr std::size_t kTextHead = 12;    // a text record before its bytes
constexpr std::size_t kLongestRecord = 18;  // a number record

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

// The most bytes a cell's record takes: GBK never needs more than UTF-8.
std::size_t RecordBound(const ExportCell& cell) {
    return cell.kind == ExportCellKind::Text ? kTextHead + cell.shown().size() : kLongestRecord;
}

// Writes the cell's record at `to` and returns its end; null, with `error`
// set, for a text the record cannot hold.
char* PutCell(char* to, const ExportSheet& sheet, std::size_t row, std::size_t col, const ExportCell& cell,
              std::string& error) {
    switch (cell.kind) {
    case ExportCellKind::Blank: return PutRecordHead(to, 0x0201, 6, row, col, 23);
    case ExportCellKind::Integer: {
        const auto rk = static_cast<uint32_t>(cell.integer * 4 + 2);
        to = PutRecordHead(to, 0x027E, 10, row, col, 0);
        return PutWord(PutWord(to, rk & 0xFFFF), rk >> 16);
    }
    case ExportCellKind::Number: {
        uint64_t bits = 0;
        std::memcpy(&bits, &cell.number, sizeof bits);
        to = PutRecordHead(to, 0x0203, 14, row, col, 0);
        for (int shift = 0; shift < 64; shift += 16) to = PutWord(to, static_cast<uint32_t>((bits >> shift) & 0xFFFF));
        return to;
    }
    case ExportCellKind::Text: {
        // The text goes in first; the lengths in the head follow its GBK size.
        const std::string_view text = cell.shown();
        bool ok = true;
        char* const end = PutGbk(to + kTextHead, text, ok);
        if (!ok) {
            error = CellGbk(sheet, row, col, text).error();
            return nullptr;
        }
        const auto size = static_cast<std::size_t>(end - to) - kTextHead;
        if (size > kMaxWorksheetText) {
            error = "the text of " + CellPlace(row, col, sheet) + " is longer than a worksheet cell can hold";
            return nullptr;
        }
        PutWord(PutRecordHead(to, 0x0204, 8 + size, row, col, 0), static_cast<uint32_t>(size));
        return end;
    }
    }
    return to;
}

Status PutRow(OutputRoom& out, const ExportSheet& sheet, std::size_t row, const std::vector<ExportCell>& cells) {
    std::size_t bound = 0;
    for (const auto& cell : cells) bound += RecordBound(cell);
    char* to = out.room(bound);
    std::string error;
    for (std::size_t c = 0; c < cells.size(); ++c)
        if (!(to = PutCell(to, sheet, row, c, cells[c], error))) return Error{error};
    out.used(to);
    return Status::success();
}

}  // namespace

Result<std::string> WriteExcel(const ExportSheet& sheet, ExportRows& rows) {
    const std::size_t sheetRows = 1 + rows.size() + (sheet.footer ? 1 : 0);
    if (sheetRows > 0x10000 || sheet.columns.size() > 0x10000)
        return Error{"a worksheet holds at most 65536 rows and columns; this export has " + std::to_string(sheetRows) +
                     " rows and " + std::to_string(sheet.columns.size()) + " columns"};
    std::string out;
    out.reserve(TextBytesOf(sheet, rows) + 14 * CellCount(sheet, rows) + 32);
    out.append("\x09\x08\x08\x00\x00\x00\x10\x00\x00\x00\x00\x00", 12);  // BOF: a BIFF2 worksheet
    OutputRoom room(out);
    std::vector<ExportCell> titles;
    for (const auto& column : sheet.columns) titles.push_back(ExportCell{ExportCellKind::Text, column.title, 0, 0});
    if (auto done = PutRow(room, sheet, 0, titles); !done) return Error{done.error()};
    std::size_t row = 1;
    for (std::size_t r = 0, count = rows.size(); r < count; ++r, ++row)
        if (auto done = PutRow(room, sheet, row, rows.row(r)); !done) return Error{done.error()};
    if (sheet.footer)
        if (auto done = PutRow(room, sheet, row, *sheet.footer); !done) return Error{done.error()};
    room.finish();
    out.append("\x0A\x00\x00\x00", 4);  // EOF
    return out;
}

}  // namespace vantrel
