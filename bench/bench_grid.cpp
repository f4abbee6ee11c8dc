// The grid's Qt-free work on a large result: exporting 100 000 rows x 10
// columns to each format (the .xls at its 65 534-row maximum), against writing the same cell texts line by line;
// loading and sorting the rows in the grid's table (MemoryTable + the
// title-click index), against std::sort of the same strings. Every result
// is also printed as a multiple of its baseline from the same run.
#include "common/MemoryTable.h"
#include "common/Profile.h"
#include "common/TextCodec.h"
#include "grid/GridDisplay.h"
#include "grid/GridExport.h"
#include "grid/GridLayout.h"
#include "grid/TGridParam.h"

#include <benchmark/benchmark.h>

#include "BenchSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace {

using namespace vantrel;

constexpr int kRows = 100000;
// A worksheet holds at most 65536 rows: titles, these records, the footer.
constexpr int kExcelRows = 65534;

const char* const kIni = R"([GridParam]
FooterCountFlag=1
[BenchGrid]
ColWidth=80,80,80,80,80,80,80,80,80,80
ColTotal=2,0,0,0,3,0,0,0,3,0
ColVisual=1,1,1,1,1,1,1,1,1,1
ColTag=1,2,3,4,5,6,7,8,9,10
ColAlign=0,C,C,D,0.00,C,0,C,0.00,C
ColColor=0,0,0,0,0,0,0,0,0,0
ColStyle=0,0,0,0,0,0,0,0,0,0
ColDBWidth=10,10,8,20,0,30,0,8,0,40
ColDataType=1,3,0,0,2,0,1,0,2,0
SerialNo=流水号
TradeDate=日期
TradeTime=时间
BankName=银行
Money=金额
Account=账号
MoneyType=币种
Kind=类型
Fee=手续费
Memo=备注
)";

struct Fixture {
    GridLayout layout;
    std::optional<TGridParam> param;
    MemoryTable table;
    MemoryTable excelTable;  // the first kExcelRows rows
    std::vector<std::vector<std::string>> texts;  // the display texts, for the baselines
    std::vector<std::string> bankNames;

    Fixture() {
        const Profile ini = Profile::Parse(Utf8ToGbk(kIni).value());
        const auto folder = std::filesystem::temp_directory_path() / "vantrel-bench-grid";
        param = TGridParam::Load(ini, folder.string() + "/").value();
        GridFormatOptions options;
        options.spaceColFlag = false;
        layout = BuildGridLayout(ini, "BenchGrid", options, *param, LoadGridTexts(ini, *param), &table);
        const char* banks[] = {"工商银行", "建设银行", "农业银行", "中国银行", "交通银行", "招商银行"};
        table.beginUpdate();
        for (int r = 0; r < kRows; ++r) {
            const std::string bank = std::string(banks[(r * 7) % 6]) + "分行" + std::to_string((r * 7919) % 1000);
            bankNames.push_back(bank);
            (void)table.appendRow({std::to_string(r + 1), "2024-03-" + std::to_string(10 + r % 18),
                                   std::to_string(90000 + r % 5000), bank, std::to_string((r * 37) % 100000) + ".5",
                                   "6222" + std::to_string(100000000 + r), std::to_string(r % 3), r % 2 ? "入金" : "出金",
                                   std::to_string(r % 10) + ".25", "备注 & <" + std::to_string(r) + ">"});
        }
        table.endUpdate();
        (void)excelTable.defineFields(table.fields());
        excelTable.beginUpdate();
        for (int r = 0; r < kExcelRows; ++r) {
            std::vector<std::string> row;
            for (int c = 0; c < table.fieldCount(); ++c) row.push_back(table.text(r, c));
            (void)excelTable.appendRow(row);
        }
        excelTable.endUpdate();
        for (int r = 0; r < kRows; ++r) {
            std::vector<std::string> row;
            for (const auto& column : layout.columns) row.push_back(CellDisplayText(column, table, r));
            texts.push_back(std::move(row));
        }
    }
};

Fixture& Data() {
    static Fixture fixture;
    return fixture;
}

void WriteCellTexts(benchmark::State& state, int rows) {
    const auto& f = Data();
    for (auto _ : state) {
        std::string out;
        for (int r = 0; r < rows; ++r) {
            const auto& row = f.texts[static_cast<std::size_t>(r)];
            for (std::size_t c = 0; c < row.size(); ++c) {
                if (c) out += '\t';
                out += row[c];
            }
            out += "\r\n";
        }
        benchmark::DoNotOptimize(out.data());
    }
}
void BM_Baseline_WriteCellTexts(benchmark::State& state) { WriteCellTexts(state, kRows); }
void BM_Baseline_WriteCellTexts65534(benchmark::State& state) { WriteCellTexts(state, kExcelRows); }
BENCHMARK(BM_Baseline_WriteCellTexts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Baseline_WriteCellTexts65534)->Unit(benchmark::kMillisecond);

void Export(benchmark::State& state, ExportFormat format, const MemoryTable& table) {
    auto& f = Data();
    ExportOptions options;
    options.gridName = "BenchGrid";
    for (auto _ : state) {
        // The path of an export to a file: display texts made as written.
        auto bytes = ExportTableBytes(format, f.layout, *f.param, table, options);
        if (!bytes) {
            state.SkipWithError(bytes.error().c_str());
            break;
        }
        benchmark::DoNotOptimize(bytes->data());
    }
}
// 100 000 rows do not fit a worksheet: the Excel export is refused (measured
// to show the refusal is cheap) and measured again at the largest sheet.
void BM_ExportExcelRefused(benchmark::State& state) {
    auto& f = Data();
    for (auto _ : state) {
        auto bytes = ExportTableBytes(ExportFormat::Excel, f.layout, *f.param, f.table, ExportOptions{});
        if (bytes) state.SkipWithError("100 000 rows were not refused");
    }
}
void BM_ExportExcel(benchmark::State& state) { Export(state, ExportFormat::Excel, Data().excelTable); }
void BM_ExportHtml(benchmark::State& state) { Export(state, ExportFormat::Html, Data().table); }
void BM_ExportText(benchmark::State& state) { Export(state, ExportFormat::Text, Data().table); }
BENCHMARK(BM_ExportExcelRefused)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportExcel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportHtml)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ExportText)->Unit(benchmark::kMillisecond);
// The Excel 2007 workbook takes all 100 000 rows (zipped XML via a temporary file).
void BM_ExportXlsx(benchmark::State& state) {
    if (!XlsxExportAvailable()) {
        state.SkipWithError("built without libxlsxwriter");
        return;
    }
    Export(state, ExportFormat::Xlsx, Data().table);
}
BENCHMARK(BM_ExportXlsx)->Unit(benchmark::kMillisecond);

void BM_Baseline_StdSortStrings(benchmark::State& state) {
    const auto& f = Data();
    for (auto _ : state) {
        auto names = f.bankNames;
        std::sort(names.begin(), names.end());
        benchmark::DoNotOptimize(names.data());
    }
}
BENCHMARK(BM_Baseline_StdSortStrings)->Unit(benchmark::kMillisecond);

// A title click on an already loaded table: drop the indexes, add and
// select BankName_DOWN, read the first row of the new order.
void BM_TitleClickSort(benchmark::State& state) {
    auto& f = Data();
    for (auto _ : state) {
        f.table.deleteIndexes();
        (void)f.table.addIndex("BankName_DOWN", "BankName", false);
        (void)f.table.setIndex("BankName_DOWN");
        benchmark::DoNotOptimize(f.table.text(0, 3));
    }
    f.table.deleteIndexes();
}
BENCHMARK(BM_TitleClickSort)->Unit(benchmark::kMillisecond);

// Loading the answer into a fresh grid table and sorting it once.
void BM_LoadAndSort(benchmark::State& state) {
    auto& f = Data();
    std::vector<std::vector<std::string>> rows;
    for (int r = 0; r < kRows; ++r) {
        std::vector<std::string> row;
        for (int c = 0; c < f.table.fieldCount(); ++c) row.push_back(f.table.text(r, c));
        rows.push_back(std::move(row));
    }
    for (auto _ : state) {
        MemoryTable t;
        (void)t.defineFields(f.table.fields());
        t.beginUpdate();
        for (const auto& row : rows) (void)t.appendRow(row);
        t.endUpdate();
        (void)t.addIndex("BankName_DOWN", "BankName", false);
        (void)t.setIndex("BankName_DOWN");
        benchmark::DoNotOptimize(t.text(0, 3));
    }
}
BENCHMARK(BM_LoadAndSort)->Unit(benchmark::kMillisecond);

// Growth: the sort and each export over the first 1 000, 10 000 and
// 100 000 rows (a worksheet: 65 534); the time per row should not grow.
MemoryTable& FirstRows(int rows) {
    auto& f = Data();
    if (rows == kRows) return f.table;
    if (rows == kExcelRows) return f.excelTable;
    static std::map<int, std::unique_ptr<MemoryTable>> tables;
    auto& table = tables[rows];
    if (!table) {
        table = std::make_unique<MemoryTable>();
        (void)table->defineFields(f.table.fields());
        table->beginUpdate();
        for (int r = 0; r < rows; ++r) {
            std::vector<std::string> row;
            for (int c = 0; c < f.table.fieldCount(); ++c) row.push_back(f.table.text(r, c));
            (void)table->appendRow(row);
        }
        table->endUpdate();
    }
    return *table;
}

void BM_GrowthSort(benchmark::State& state) {
    MemoryTable& table = FirstRows(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        table.deleteIndexes();
        (void)table.addIndex("BankName_DOWN", "BankName", false);
        (void)table.setIndex("BankName_DOWN");
        benchmark::DoNotOptimize(table.text(0, 3));
    }
    table.deleteIndexes();
}
void BM_GrowthExportText(benchmark::State& state) {
    Export(state, ExportFormat::Text, FirstRows(static_cast<int>(state.range(0))));
}
void BM_GrowthExportHtml(benchmark::State& state) {
    Export(state, ExportFormat::Html, FirstRows(static_cast<int>(state.range(0))));
}
void BM_GrowthExportExcel(benchmark::State& state) {
    Export(state, ExportFormat::Excel, FirstRows(static_cast<int>(state.range(0))));
}
void BM_GrowthExportXlsx(benchmark::State& state) {
    if (!XlsxExportAvailable()) {
        state.SkipWithError("built without libxlsxwriter");
        return;
    }
    Export(state, ExportFormat::Xlsx, FirstRows(static_cast<int>(state.range(0))));
}
// std::sort of the first n bank names: how the baseline itself grows.
void BM_GrowthStdSort(benchmark::State& state) {
    const auto& names = Data().bankNames;
    const auto rows = static_cast<std::size_t>(state.range(0));
    for (auto _ : state) {
        std::vector<std::string> copy(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(rows));
        std::sort(copy.begin(), copy.end());
        benchmark::DoNotOptimize(copy.data());
    }
}
// The sheet alone (display texts, footer), which every format writes out.
void BM_BuildExportSheet(benchmark::State& state) {
    auto& f = Data();
    ExportOptions options;
    options.gridName = "BenchGrid";
    for (auto _ : state) {
        auto sheet = BuildExportSheet(f.layout, *f.param, f.table, options);
        benchmark::DoNotOptimize(sheet->rows.data());
    }
}
BENCHMARK(BM_GrowthSort)->Arg(1000)->Arg(10000)->Arg(kRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrowthStdSort)->Arg(1000)->Arg(10000)->Arg(kRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildExportSheet)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrowthExportText)->Arg(1000)->Arg(10000)->Arg(kRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrowthExportHtml)->Arg(1000)->Arg(10000)->Arg(kRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrowthExportExcel)->Arg(1000)->Arg(10000)->Arg(kExcelRows)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GrowthExportXlsx)->Arg(1000)->Arg(10000)->Arg(kRows)->Unit(benchmark::kMillisecond);

// Each export and sort over its baseline, then the growth of the per-row
// runs: time per row over that of the smallest run.
void PrintRatios(const vantrel::bench::Times& times) {
    const auto ratio = [&](const std::string& name, const std::string& base) {
        auto t = times.find(name), b = times.find(base);
        if (t == times.end() || b == times.end() || b->second <= 0) return;
        std::printf("%-22s %7.2fx %s\n", name.c_str(), t->second / b->second, base.c_str());
    };
    ratio("BM_ExportExcel", "BM_Baseline_WriteCellTexts65534");
    ratio("BM_ExportExcelRefused", "BM_Baseline_WriteCellTexts");
    ratio("BM_ExportHtml", "BM_Baseline_WriteCellTexts");
    ratio("BM_ExportText", "BM_Baseline_WriteCellTexts");
    ratio("BM_ExportXlsx", "BM_Baseline_WriteCellTexts");
    ratio("BM_TitleClickSort", "BM_Baseline_StdSortStrings");
    ratio("BM_LoadAndSort", "BM_Baseline_StdSortStrings");
    ratio("BM_BuildExportSheet", "BM_Baseline_WriteCellTexts");
    for (const auto& [group, perRow] : vantrel::bench::GrowthPerRow(times)) {
        std::printf("%-22s per row over %ld rows:", group.c_str(), perRow.begin()->first);
        for (const auto& [rows, time] : perRow) std::printf("  %ld: %.2f", rows, time / perRow.begin()->second);
        std::printf("\n");
    }
}

}  // namespace

int main(int argc, char** argv) {
    vantrel::bench::RatioReporter reporter(vantrel::bench::RatioReporter::Clock::Wall, PrintRatios);
    return vantrel::bench::RunBenchmarks(argc, argv, reporter);
}
