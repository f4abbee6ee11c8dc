// Exports read back by real programs: the worksheet by a spreadsheet
// program (LibreOffice), the HTML page by Python's html.parser. Both must give
// the cells the grid shows.
#include "TestFolder.h"
#include "common/MemoryTable.h"
#include "common/Profile.h"
#include "common/TextCodec.h"
#include "common/TextUtil.h"
#include "grid/GridExport.h"
#include "grid/GridLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>

namespace vantrel {
namespace {

const char* const kIni = R"([GridParam]
FooterCountFlag=1
[ReadBackGrid]
ColWidth=80,80,80,80,80
ColTotal=1,2,0,3,0
ColVisual=1,1,1,1,1
ColTag=1,2,3,4,5
ColAlign=C,0,D,0.00,C
ColColor=clWhite,clWhite,clWhite,clWhite,clWhite
ColStyle=0,0,0,0,0
ColDBWidth=20,0,10,0,30
ColDataType=0,1,0,2,0
Name=名称
Count=笔数
Bank=银行
Money=金额
Memo=备注
)";

bool HaveProgram(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

std::string RunCommand(const std::string& command) {
    std::string out;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe) return out;
    std::array<char, 4096> buffer;
    while (std::size_t n = fread(buffer.data(), 1, buffer.size(), pipe)) out.append(buffer.data(), n);
    pclose(pipe);
    return out;
}

std::string ReadAll(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// RFC 4180 fields of one CSV text; `quotedFields`, when given, tells for
// every field whether it was quoted.
std::vector<std::vector<std::string>> ParseCsv(const std::string& text,
                                               std::vector<std::vector<bool>>* quotedFields = nullptr) {
    std::vector<std::vector<std::string>> rows(1);
    std::vector<std::vector<bool>> quotes(1);
    std::string field;
    bool quoted = false, any = false, wasQuoted = false;
    auto endField = [&] {
        rows.back().push_back(field), field.clear();
        quotes.back().push_back(wasQuoted), wasQuoted = false;
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') field += '"', ++i;
            else if (c == '"') quoted = false;
            else field += c;
        } else if (c == '"') {
            quoted = wasQuoted = true;
        } else if (c == ',') {
            endField();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
            endField();
            rows.emplace_back();
            quotes.emplace_back();
        } else {
            field += c;
        }
        any = true;
    }
    if (!field.empty() || (any && !rows.back().empty())) endField();
    if (rows.back().empty()) rows.pop_back(), quotes.pop_back();
    if (quotedFields) *quotedFields = std::move(quotes);
    return rows;
}

class GridExportReadBack : public ::testing::Test {
protected:
    void SetUp() override {
        const Profile ini = Profile::Parse(Utf8ToGbk(kIni).value());
        param_ = TGridParam::Load(ini, folder_.appPath()).value();
        GridFormatOptions options;
        options.spaceColFlag = false;
        layout_ = BuildGridLayout(ini, "ReadBackGrid", options, *param_, LoadGridTexts(ini, *param_), &table_);
        ASSERT_TRUE(layout_.tableCreated);
        ASSERT_TRUE(table_.appendRow({"工商银行 & <分行>", "12", "01", "1234.5", "引号\"在内"}));
        ASSERT_TRUE(table_.appendRow({"", "-7", "", "0.125", ""}));
        ASSERT_TRUE(table_.appendRow({"建设", "536870911", "9", "-3", "末行"}));
        ExportOptions options2;
        options2.gridName = "ReadBackGrid";
        sheet_ = BuildExportSheet(layout_, *param_, table_, options2).value();
    }

    // The sheet as rows of texts: titles, records, footer.
    std::vector<std::vector<ExportCell>> Rows() const {
        std::vector<std::vector<ExportCell>> rows;
        std::vector<ExportCell> titles;
        for (const auto& column : sheet_.columns) titles.push_back({ExportCellKind::Text, column.title});
        rows.push_back(titles);
        rows.insert(rows.end(), sheet_.rows.begin(), sheet_.rows.end());
        if (sheet_.footer) rows.push_back(*sheet_.footer);
        return rows;
    }

    std::filesystem::path Write(ExportFormat format, const std::string& name) {
        const auto bytes = ExportBytes(format, sheet_);
        EXPECT_TRUE(bytes) << bytes.error();
        return folder_.write(name, bytes.value());
    }

    // LibreOffice's UTF-8 CSV of the file's first sheet; with `quoteTexts`
    // every text cell is quoted, so that numbers can be told from texts.
    std::filesystem::path ConvertToCsv(const std::filesystem::path& file, bool quoteTexts = false) {
        const auto out = folder_.path() / "out";
        // A private profile folder: the test must not meet a running office.
        RunCommand("cd '" + folder_.path().string() + "' && HOME='" + folder_.path().string() +
                   "' timeout 300 soffice --headless -env:UserInstallation=file://" + folder_.path().string() +
                   "/profile --convert-to 'csv:Text - txt - csv (StarCalc):44,34,76" +
                   (quoteTexts ? ",1,,0,true" : "") + "' --outdir '" + out.string() +
                   "' '" + file.string() + "' 2>&1");
        return out / (file.stem().string() + ".csv");
    }

    test::TestFolder folder_;
    std::optional<TGridParam> param_;
    GridLayout layout_;
    MemoryTable table_;
    ExportSheet sheet_;
};

// LibreOffice reads a worksheet without a code page record as Windows-1252;
// undo that to get the GBK bytes back.
std::string Cp1252TextToBytes(const std::string& utf8) {
    static const std::array<std::pair<char32_t, unsigned char>, 27> kSpecials = {{
        {0x20AC, 0x80}, {0x201A, 0x82}, {0x0192, 0x83}, {0x201E, 0x84}, {0x2026, 0x85}, {0x2020, 0x86},
        {0x2021, 0x87}, {0x02C6, 0x88}, {0x2030, 0x89}, {0x0160, 0x8A}, {0x2039, 0x8B}, {0x0152, 0x8C},
        {0x017D, 0x8E}, {0x2018, 0x91}, {0x2019, 0x92}, {0x201C, 0x93}, {0x201D, 0x94}, {0x2022, 0x95},
        {0x2013, 0x96}, {0x2014, 0x97}, {0x02DC, 0x98}, {0x2122, 0x99}, {0x0161, 0x9A}, {0x203A, 0x9B},
        {0x0153, 0x9C}, {0x017E, 0x9E}, {0x0178, 0x9F}}};
    std::string bytes;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto point = DecodeUtf8At(utf8, i);
        if (!point) return {};
        char32_t cp = point->value;
        i += point->length;
        if (cp < 0x100) {
            bytes.push_back(static_cast<char>(cp));
            continue;
        }
        const auto* special = std::find_if(kSpecials.begin(), kSpecials.end(),
                                           [&](const auto& entry) { return entry.first == cp; });
        if (special == kSpecials.end()) return {};
        bytes.push_back(static_cast<char>(special->second));
    }
    return bytes;
}

TEST_F(GridExportReadBack, SpreadsheetProgramReadsTheSameCells) {
    if (!HaveProgram("soffice")) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    const auto csv = ConvertToCsv(Write(ExportFormat::Excel, "grid.xls"));
    ASSERT_TRUE(std::filesystem::exists(csv)) << "LibreOffice wrote nothing";
    const auto gbk = Cp1252TextToBytes(ReadAll(csv));
    const auto text = GbkToUtf8(gbk);
    ASSERT_TRUE(text.ok()) << text.error();
    const auto cells = ParseCsv(text.value());
    const auto expected = Rows();
    ASSERT_EQ(cells.size(), expected.size()) << text.value();
    for (std::size_t r = 0; r < expected.size(); ++r) {
        ASSERT_EQ(cells[r].size(), expected[r].size()) << "row " << r << ": " << text.value();
        for (std::size_t c = 0; c < expected[r].size(); ++c) {
            const ExportCell& cell = expected[r][c];
            const std::string& got = cells[r][c];
            if (cell.kind == ExportCellKind::Integer)
                EXPECT_EQ(std::stoll(got), cell.integer) << r << "," << c;
            else if (cell.kind == ExportCellKind::Number)
                EXPECT_DOUBLE_EQ(std::stod(got), cell.number) << r << "," << c;
            else
                EXPECT_EQ(got, cell.text) << r << "," << c;
        }
    }
}

// The workbook holds Unicode and number formats: the spreadsheet program's
// texts are the text export's, cell for cell.
TEST_F(GridExportReadBack, SpreadsheetProgramReadsTheWorkbookAsTheTextExport) {
    if (!XlsxExportAvailable()) GTEST_SKIP() << "built without libxlsxwriter";
    if (!HaveProgram("soffice")) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    const auto csv = ConvertToCsv(Write(ExportFormat::Xlsx, "book.xlsx"));
    ASSERT_TRUE(std::filesystem::exists(csv)) << "LibreOffice wrote nothing";
    const auto cells = ParseCsv(ReadAll(csv));
    const auto text = GbkToUtf8(TextBytes(sheet_).value()).value();
    std::vector<std::vector<std::string>> expected;
    std::stringstream lines(ReplaceAll(text, "\r\n", "\n"));
    for (std::string line; std::getline(lines, line);) {
        expected.emplace_back();
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');) expected.back().push_back(field);
        if (!line.empty() && line.back() == '\t') expected.back().emplace_back();
    }
    ASSERT_EQ(cells.size(), expected.size()) << ReadAll(csv);
    for (std::size_t r = 0; r < expected.size(); ++r) EXPECT_EQ(cells[r], expected[r]) << "row " << r;
    EXPECT_EQ(cells[1][0], "工商银行 & <分行>");
}

// At scale, through the export to a file: a workbook of 100 000 rows reads
// back as the text export, cell for cell, and its money cells are numbers.
TEST_F(GridExportReadBack, AWorkbookOf100000RowsReadsBackAsTheTextExport) {
    if (!XlsxExportAvailable()) GTEST_SKIP() << "built without libxlsxwriter";
    if (!HaveProgram("soffice")) GTEST_SKIP() << "LibreOffice (soffice) is not installed";
    constexpr int kRows = 100000;
    table_.beginUpdate();
    table_.emptyTable();
    for (int r = 0; r < kRows; ++r) {
        const std::string n = std::to_string(r);
        ASSERT_TRUE(table_.appendRow({"分行 " + n, std::to_string(r % 1000 - 500), "0" + std::to_string(r % 97),
                                      (r % 5 ? "" : "-") + std::to_string(r * 37 % 100000) + "." + std::to_string(r % 10),
                                      "备注 & <" + n + ">"}));
    }
    table_.endUpdate();
    ExportOptions options;
    options.gridName = "ReadBackGrid";
    const auto book = ExportGridToFile(ExportFormat::Xlsx, (folder_.path() / "big").string(), layout_, *param_,
                                       table_, options);
    ASSERT_TRUE(book) << book.error();
    const auto txt = ExportGridToFile(ExportFormat::Text, (folder_.path() / "big").string(), layout_, *param_,
                                      table_, options);
    ASSERT_TRUE(txt) << txt.error();

    const auto csv = ConvertToCsv(*book, true);
    ASSERT_TRUE(std::filesystem::exists(csv)) << "LibreOffice wrote nothing";
    std::vector<std::vector<bool>> quoted;
    const auto cells = ParseCsv(ReadAll(csv), &quoted);
    const auto text = GbkToUtf8(ReadAll(*txt)).value();
    std::stringstream lines(ReplaceAll(text, "\r\n", "\n"));
    std::size_t r = 0;
    for (std::string line; std::getline(lines, line); ++r) {
        std::vector<std::string> expected;
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, '\t');) expected.push_back(field);
        if (!line.empty() && line.back() == '\t') expected.emplace_back();
        ASSERT_LT(r, cells.size());
        ASSERT_EQ(cells[r], expected) << "row " << r;
        if (r > 0 && r <= kRows) {
            ASSERT_FALSE(quoted[r][3]) << "row " << r << ": the money cell is a text";
        }
    }
    EXPECT_EQ(r, std::size_t{kRows} + 2);  // titles and footer
    EXPECT_EQ(cells.size(), r);
    EXPECT_TRUE(quoted[1][0]) << "texts are quoted";
}

TEST_F(GridExportReadBack, HtmlParserReadsTheSameTable) {
    if (!HaveProgram("python3")) GTEST_SKIP() << "python3 is not installed";
    const auto htm = Write(ExportFormat::Html, "grid.htm");
    const std::string script = std::string(VANTREL_SOURCE_DIR) + "/tests/tools/html_table.py";
    const std::string out = RunCommand("python3 '" + script + "' '" + htm.string() + "'");
    std::vector<std::vector<std::string>> cells;
    std::stringstream lines(out);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> row;
        std::size_t start = 0;
        for (;;) {
            const auto tab = line.find('\t', start);
            row.push_back(line.substr(start, tab == std::string::npos ? std::string::npos : tab - start));
            if (tab == std::string::npos) break;
            start = tab + 1;
        }
        cells.push_back(row);
    }
    const auto expected = Rows();
    ASSERT_EQ(cells.size(), expected.size()) << out;
    for (std::size_t r = 0; r < expected.size(); ++r) {
        ASSERT_EQ(cells[r].size(), expected[r].size()) << "row " << r;
        for (std::size_t c = 0; c < expected[r].size(); ++c) EXPECT_EQ(cells[r][c], expected[r][c].text) << r << "," << c;
    }
    EXPECT_EQ(cells[1][0], "工商银行 & <分行>");
    EXPECT_EQ(cells[1][4], "引号\"在内");
}

}  // namespace
}  // namespace vantrel
