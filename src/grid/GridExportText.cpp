#include "grid/ExportOutput.h"
#include "grid/ExportWriters.h"

namespace vantrel {

namespace {

// One line of the text export: cells separated by TAB, lines by CR LF. A
// cell's TAB, CR and LF would start a new cell or line, so they become blanks.
template <class TextAt>
Status PutLine(OutputRoom& out, const ExportSheet& sheet, std::size_t row, std::size_t cells, TextAt textAt) {
    std::size_t bound = 2 + cells;  // CR LF and the TABs
    for (std::size_t c = 0; c < cells; ++c) bound += textAt(c).size();
    char* to = out.room(bound);
    for (std::size_t c = 0; c < cells; ++c) {
        if (c > 0) {
            *to++ = '\t';
        } else if (row > 0) {
            *to++ = '\r';
            *to++ = '\n';
        }
        const std::string_view text = textAt(c);
        bool ok = true;
        char* const end = PutGbk(to, text, ok);
        if (!ok) return Error{CellGbk(sheet, row, c, text).error()};
        for (; to != end; ++to)
            if (*to == '\t' || *to == '\r' || *to == '\n') *to = ' ';
    }
    out.used(to);
    return Status::success();
}

}  // namespace

Result<std::string> WriteText(const ExportSheet& sheet, ExportRows& rows) {
    std::string out;
    out.reserve(TextBytesOf(sheet, rows) + 2 * CellCount(sheet, rows));
    OutputRoom room(out);
    const auto& columns = sheet.columns;
    if (auto done = PutLine(room, sheet, 0, columns.size(), [&](std::size_t c) { return std::string_view(columns[c].title); });
        !done)
        return Error{done.error()};
    std::size_t row = 1;
    for (std::size_t r = 0, count = rows.size(); r < count; ++r, ++row) {
        const auto& record = rows.row(r);
        if (auto done = PutLine(room, sheet, row, record.size(), [&](std::size_t c) { return record[c].shown(); }); !done)
            return Error{done.error()};
    }
    if (const auto& footer = sheet.footer)
        if (auto done = PutLine(room, sheet, row, footer->size(), [&](std::size_t c) { return std::string_view((*footer)[c].text); });
            !done)
            return Error{done.error()};
    room.finish();
    return out;
}

}  // namespace vantrel
