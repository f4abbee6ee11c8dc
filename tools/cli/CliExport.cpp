#include "CliExport.h"

#include <filesystem>
#include <optional>

#include "common/AppPaths.h"
#include "common/Profile.h"
#include "common/TextUtil.h"
#include "grid/GridCodeTables.h"
#include "grid/GridLayout.h"
#include "grid/TGridParam.h"

namespace vantrel::cli {

const std::vector<ExportTarget>& ExportTargets() {
    // The main window's grids for the queries it shows; the answers it shows
    // in no grid (accounts, parameters, order id) have sections of their own.
    static const std::vector<ExportTarget> targets = {
        {"login", "Cli", "DBBankGrid", false},
        {"transfers", "Money", "DBMoreGrid", false},
        {"supervision", "Money", "DBMoneyGrid", true},
        {"card-balance", "Money", "DBCardMoneyGrid", true},
        {"market-funds", "Money", "DBMarketGrid", true},
        {"forex-records", "Money", "DBRateMoreGrid", true},
        {"sys-params", "Cli", "DBSysParamGrid", false},
        {"order-id", "Cli", "DBOrderIDGrid", false},
    };
    return targets;
}

const ExportTarget* FindExportTarget(std::string_view command) {
    for (const auto& target : ExportTargets())
        if (target.command == command) return &target;
    return nullptr;
}

Result<ExportFormat> CheckExportPath(const std::string& path) {
    std::optional<ExportFormat> format;
    for (const auto candidate : {ExportFormat::Excel, ExportFormat::Html, ExportFormat::Text, ExportFormat::Xlsx}) {
        if (candidate == ExportFormat::Xlsx && !XlsxExportAvailable()) continue;
        const std::string ending = std::string(".") + ExportExtension(candidate);
        const std::string_view name(path);
        if (name.size() > ending.size() && EqualsNoCase(name.substr(name.size() - ending.size()), ending))
            format = candidate;
    }
    if (!format)
        return Error{std::string("--export: the file name must end in ") +
                     (XlsxExportAvailable() ? ".xls, .xlsx, .htm or .txt" : ".xls, .htm or .txt") + ", not '" + path +
                     "'"};
    std::error_code ec;
    const auto file = PathFromUtf8(path);
    if (std::filesystem::is_directory(file, ec)) return Error{"--export: " + path + " is a folder"};
    auto folder = file.parent_path();
    if (folder.empty()) folder = ".";
    if (!std::filesystem::is_directory(folder, ec))
        return Error{"--export: the folder of " + path + " does not exist"};
    return *format;
}

Result<std::string> ExportQueryResult(const ExportTarget& target, const std::string& path, const MemoryTable& table,
                                      std::vector<std::string>& warnings) {
    auto format = CheckExportPath(path);
    if (!format.ok()) return Error{format.error()};
    auto param = TGridParam::Load();
    if (!param.ok()) return Error{param.error()};
    const Profile ini = Profile::Load(PathFromUtf8(BankIniPath()));
    const GridTexts texts = LoadGridTexts(ini, param.value());

    // As the main window formats its grids: by field name, menu on.
    GridFormatOptions options;
    options.form = GridForm::ByFieldName;
    options.showMenu = true;
    options.spaceColFlag = target.spaceColFlag;
    GridLayout layout = FormatGridLayout(target.section(), options, param.value(), texts, nullptr);
    for (const auto& line : layout.logLines) warnings.push_back(line);

    bool hasColumns = false;
    for (auto& column : layout.columns) {
        // A grid hides a column of width 0 (the filler once the columns fill it).
        if (column.width <= 0) column.visible = false;
        if (!column.isFiller()) hasColumns = true;
    }
    if (!hasColumns) return Error{"Bank.ini has no columns in the grid section [" + target.section() + "]"};
    if (auto attached = AttachCodeTables(ini, target.gridName, layout); !attached.ok())
        return Error{attached.error()};

    ExportOptions exportOptions;
    exportOptions.gridName = target.gridName;
    return ExportGridToFile(format.value(), path, layout, param.value(), table, exportOptions);
}

}  // namespace vantrel::cli
