#include "TextTable.h"

#include <algorithm>
#include <ostream>

#include "common/MemoryTable.h"
#include "common/SafeFormat.h"
#include "common/TextCodec.h"

namespace vantrel::cli {
namespace {

// Tabs and line breaks would break the columns of both text formats.
std::string OneLine(const std::string& text) {
    std::string line = text;
    for (auto& c : line)
        if (c == '\t' || c == '\n' || c == '\r') c = ' ';
    return line;
}

void WriteAligned(std::ostream& out, const TextTable& table) {
    const auto count = table.columns.size();
    std::vector<std::size_t> widths(count, 0);
    auto measure = [&](const std::vector<std::string>& cells) {
        for (std::size_t c = 0; c < count && c < cells.size(); ++c)
            widths[c] = std::max(widths[c], DisplayColumns(OneLine(cells[c])));
    };
    measure(table.columns);
    for (const auto& row : table.rows) measure(row);

    auto line = [&](const std::vector<std::string>& cells) {
        std::string text;
        for (std::size_t c = 0; c < count; ++c) {
            const auto cell = c < cells.size() ? OneLine(cells[c]) : std::string();
            if (c > 0) text += "  ";
            text += cell;
            if (c + 1 < count) text.append(widths[c] - DisplayColumns(cell), ' ');
        }
        while (!text.empty() && text.back() == ' ') text.pop_back();
        out << text << '\n';
    };
    line(table.columns);
    std::string rule;
    for (std::size_t c = 0; c < count; ++c) {
        if (c > 0) rule += "  ";
        rule.append(widths[c], '-');
    }
    out << rule << '\n';
    for (const auto& row : table.rows) line(row);
}

void WriteTsv(std::ostream& out, const TextTable& table) {
    auto line = [&](const std::vector<std::string>& cells) {
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            if (c > 0) out << '\t';
            if (c < cells.size()) out << OneLine(cells[c]);
        }
        out << '\n';
    };
    line(table.columns);
    for (const auto& row : table.rows) line(row);
}

void WriteJson(std::ostream& out, const TextTable& table) {
    out << '[';
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        out << (r == 0 ? "\n  {" : ",\n  {");
        const auto& row = table.rows[r];
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            if (c > 0) out << ", ";
            out << JsonString(table.columns[c]) << ": " << JsonString(c < row.size() ? row[c] : std::string());
        }
        out << '}';
    }
    out << (table.rows.empty() ? "]\n" : "\n]\n");
}

}  // namespace

TextTable FromMemoryTable(const MemoryTable& table) {
    TextTable text;
    for (const auto& field : table.fields()) text.columns.push_back(field.name);
    const int count = table.fieldCount();
    for (int row = 0; row < table.recordCount(); ++row) {
        std::vector<std::string> cells;
        cells.reserve(static_cast<std::size_t>(count));
        for (int col = 0; col < count; ++col) cells.push_back(table.text(row, col));
        text.rows.push_back(std::move(cells));
    }
    return text;
}

void WriteTable(std::ostream& out, const TextTable& table, OutputFormat format) {
    if (format == OutputFormat::Json) return WriteJson(out, table);
    if (table.columns.empty()) return;
    if (format == OutputFormat::Tsv) return WriteTsv(out, table);
    WriteAligned(out, table);
}

std::string JsonString(const std::string& text) {
    static const char* const kHex = "0123456789abcdef";
    std::string json = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c >= 0x80) {
            if (const auto point = DecodeUtf8At(text, i)) {
                json.append(text, i, point->length);
                i += point->length;
            } else {
                json += "\\ufffd";
                ++i;
            }
            continue;
        }
        switch (c) {
        case '"': json += "\\\""; break;
        case '\\': json += "\\\\"; break;
        case '\n': json += "\\n"; break;
        case '\r': json += "\\r"; break;
        case '\t': json += "\\t"; break;
        case '\b': json += "\\b"; break;
        case '\f': json += "\\f"; break;
        default:
            if (c < 0x20) {
                json += "\\u00";
                json += kHex[c >> 4];
                json += kHex[c & 0xF];
            } else {
                json += static_cast<char>(c);
            }
        }
        ++i;
    }
    return json + "\"";
}

}  // namespace vantrel::cli
