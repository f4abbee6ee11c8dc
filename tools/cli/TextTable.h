#pragma once
// Rows printed by the command-line client, and the three ways to print them.
#include <iosfwd>
#include <string>
#include <vector>

namespace vantrel {

class MemoryTable;

namespace cli {

enum class OutputFormat { Table, Tsv, Json };

struct TextTable {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> rows;  // one text per column
};

// The columns and the rows of the table's current view.
TextTable FromMemoryTable(const MemoryTable& table);

// Table: columns aligned by display width (Chinese characters count two),
// a header, a dashed rule, then the rows; no trailing blanks.
// Tsv: a header line of column names, then one line per row; a tab, CR or
// LF inside a value becomes a blank.
// Json: an array with one object per row, keys in column order.
// A table without columns prints nothing as Table and Tsv, "[]" as Json.
void WriteTable(std::ostream& out, const TextTable& table, OutputFormat format);

// A JSON string literal, quotes included. Invalid UTF-8 bytes become U+FFFD
// so that the output is always valid JSON.
std::string JsonString(const std::string& text);

}  // namespace cli
}  // namespace vantrel
