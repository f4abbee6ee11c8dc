#pragma once
// What the export writers share: naming a cell in an error, sizing an
// output, and the writers that live in files of their own.
#include "common/Result.h"
#include "grid/GridExport.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

// "row 3, column 2 ("Title")"; row is the sheet row: 0 the titles, then the
// records, then the footer.
std::string CellPlace(std::size_t row, std::size_t col, const ExportSheet& sheet);
// The cell text in GBK, or an error naming the cell and the character.
Result<std::string> CellGbk(const ExportSheet& sheet, std::size_t row, std::size_t col, std::string_view text);
// The UTF-8 bytes of every cell text (about), to size an output once.
std::size_t TextBytesOf(const ExportSheet& sheet, ExportRows& rows);
std::size_t CellCount(const ExportSheet& sheet, const ExportRows& rows);

// The worksheet as BIFF records.
Result<std::string> WriteExcel(const ExportSheet& sheet, ExportRows& rows);
// Tab-separated text, a line a sheet row.
Result<std::string> WriteText(const ExportSheet& sheet, ExportRows& rows);

}  // namespace vantrel
