// The file step of an export: the name the file gets, the atomic write and
// the grid log line of a failure.
#include "grid/GridExport.h"

#include "common/AppPaths.h"
#include "common/AtomicFile.h"
#include "common/TextUtil.h"
#include "grid/GridLog.h"

namespace vantrel {
namespace {

std::string_view LogPrefix(ExportFormat format) {
    switch (format) {
    case ExportFormat::Excel:
    case ExportFormat::Xlsx: return grid_log::kExcelFailed;
    case ExportFormat::Html: return grid_log::kHtmlFailed;
    default: return grid_log::kTextFailed;
    }
}

}  // namespace

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
    auto bytes = ExportTableBytes(format, layout, param, table, options);
    if (!bytes) return fail(bytes.error());
    if (auto written = ReplaceFileAtomically(PathFromUtf8(path), *bytes); !written) return fail(written.error());
    return path;
}

}  // namespace vantrel
