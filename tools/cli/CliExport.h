#pragma once
// --export: a query's answer written as the result grid that shows it would
// export it, laid out from that grid's Bank.ini section.
#include <string>
#include <string_view>
#include <vector>

#include "common/Result.h"
#include "grid/GridExport.h"

namespace vantrel {

class MemoryTable;

namespace cli {

// The grid that shows a command's answer: section NodeHead + GridName.
struct ExportTarget {
    std::string command;
    std::string nodeHead;
    std::string gridName;
    bool spaceColFlag = true;  // the grid has a filler column
    std::string section() const { return nodeHead + gridName; }
};

const std::vector<ExportTarget>& ExportTargets();
// None for a command whose answer no grid shows.
const ExportTarget* FindExportTarget(std::string_view command);

// The format by the file's extension (.xls, .htm, .txt, and .xlsx when
// built with libxlsxwriter, in any case); the
// error is a usage line. A missing folder or a folder given as the file is
// refused too, before anything is sent.
Result<ExportFormat> CheckExportPath(const std::string& path);

// Lays the grid out (FormatGridLayout, code tables attached) and writes
// `table` with ExportGridToFile. The layout's logged failures are appended
// to `warnings`. Returns the path written.
Result<std::string> ExportQueryResult(const ExportTarget& target, const std::string& path, const MemoryTable& table,
                                      std::vector<std::string>& warnings);

}  // namespace cli
}  // namespace vantrel
