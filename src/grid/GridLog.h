#pragma once
// The grid formatter's own log: LogPath() + "yyyymmdd.txt", one line per
// failure, "yyyymmdd: text". The formatter reports to nobody else.
#include "common/Result.h"

#include <string_view>

namespace vantrel {

// The prefixes the formatter's log lines start with; the error text follows
// directly, without a separator.
namespace grid_log {
inline constexpr std::string_view kFormatFailed = "uQDBGrid -> FormatDBGrid -> 表格初始化失败!";
inline constexpr std::string_view kConfigError = "uQDBGrid -> InitGrid -> 表格配置文件有误!";
inline constexpr std::string_view kFieldDefFailed = "uQDBGrid -> InitGrid -> 数据集创建失败!";
inline constexpr std::string_view kTableFailed = "uQDBGrid -> InitGrid ->";
inline constexpr std::string_view kIndexFailed = "uQDBGrid -> CreateDefaultIndex->索引创建失败";
inline constexpr std::string_view kDrawFailed = "uQDBGrid -> OwnerDrawColumnCell-> 绘制失败";
inline constexpr std::string_view kCheckBoxFailed = "uQDBGrid -> OwnerMouseDown-> CheckBox状态更新失败";
inline constexpr std::string_view kExcelFailed = "uQDBGrid -> ExportGridToExcel ->";
inline constexpr std::string_view kHtmlFailed = "uQDBGrid -> ExportGridToHTML ->";
inline constexpr std::string_view kTextFailed = "uQDBGrid -> ExportGridToText ->";
inline constexpr std::string_view kPrintFailed = "uQDBGrid -> Print -> 数据打印失败!";
}  // namespace grid_log

// Appends one line, creating the logs folder and the file when missing.
// Line breaks inside the text become blanks. Never throws: the formatter
// logs from inside grid events, where an exception has nowhere to go; a
// line that cannot be written is reported in the returned status.
Status WriteGridLog(std::string_view text);

}  // namespace vantrel
