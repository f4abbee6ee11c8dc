// The grid-section parser on arbitrary Bank.ini bytes, in both forms: nothing
// may crash, and the layout must stay consistent with what was logged.
#include "common/MemoryTable.h"
#include "common/Profile.h"
#include "grid/GridDisplay.h"
#include "grid/GridExport.h"
#include "grid/GridLayout.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

using namespace vantrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const Profile ini = Profile::Parse(bytes);
    static const std::string appPath = (std::filesystem::temp_directory_path() / "vantrel-fuzz-grid").string() + "/";
    auto param = TGridParam::Load(ini, appPath);
    if (!param) return 0;  // the res folder cannot be made here: nothing else to check
    const GridTexts texts = LoadGridTexts(ini, *param);
    param.value().setFooterCountFlag(true);
    param.value().setCreateIndexFlag(true);
    param.value().setColumnsHintFlag(true);

    for (GridForm form : {GridForm::ByTag, GridForm::ByFieldName}) {
        GridFormatOptions options;
        options.form = form;
        options.showMenu = true;
        MemoryTable table;
        const GridLayout layout = BuildGridLayout(ini, "G", options, *param, texts, &table);
        // A format that did not complete always says why.
        if (!layout.createProcessFlag && layout.logLines.empty()) std::abort();
        if (layout.tableCreated && table.fieldCount() != static_cast<int>(layout.fields.size())) std::abort();
        for (const auto& column : layout.columns)
            if (!column.visible && column.width != 0) std::abort();
        // A row of the column titles, exported: must not crash whatever the layout.
        if (layout.tableCreated) {
            std::vector<std::string> row;
            for (int i = 0; i < table.fieldCount(); ++i) row.push_back(std::to_string(i));
            (void)table.appendRow(row);
            if (auto sheet = BuildExportSheet(layout, *param, table, {})) {
                for (auto format : {ExportFormat::Excel, ExportFormat::Html, ExportFormat::Text})
                    (void)ExportBytes(format, *sheet);
            }
        }
        for (const auto& column : layout.columns)
            if (!column.displayFormat.empty()) (void)FormatNumberPicture(-1234.5678, column.displayFormat);
    }
    return 0;
}
