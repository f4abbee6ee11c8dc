#pragma once
// A formatted result grid over a private application folder: Bank.ini (GBK)
// with one grid section, the formatter and its log, for the grid tests.
#include "TestFolder.h"
#include "common/TextCodec.h"
#include "grid/TFormatDBGrid.h"

#include <QWidget>

#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace vantrel::test {

// Columns: Name text, Money float "0.00" summed, Bank code (counted),
// Checked check box; the caption column's footer is TotalCN.
inline const char* const kGridIni = R"([GridParam]
FooterCountFlag=1
TotalCN=合计
[MoneyDBMoreGrid]
ColWidth=100,120,90,60
ColTotal=1,3,2,0
ColVisual=1,1,1,1
ColTag=1,2,3,4
ColAlign=C,0.00,0,E
ColColor=clWhite,clWhite,$F0FBFF,clWhite
ColStyle=0,1,0,0
ColDBWidth=20,0,10,1
ColDataType=0,2,0,0
Name=名称
Money=金额
Bank=银行
Checked=选择
[GridMenu]
a1=1
a2=2
a3=3
a4=4
p05=导出
p0501=Excel 文件
p0502=HTML 文件
p0503=文本文件
p06=打印
a10=10
)";

inline std::string Gbk(const std::string& utf8) { return Utf8ToGbk(utf8).value(); }

// Everything the formatter logged so far, as UTF-8.
inline std::string GridLogText(const TestFolder& folder) {
    std::string all;
    const auto logs = folder.path() / "logs";
    if (!std::filesystem::exists(logs)) return all;
    for (const auto& entry : std::filesystem::directory_iterator(logs)) {
        if (entry.path().extension() != ".txt") continue;
        std::ifstream in(entry.path(), std::ios::binary);
        std::stringstream bytes;
        bytes << in.rdbuf();
        all += GbkToUtf8(bytes.str()).valueOr("<not GBK>");
    }
    return all;
}

struct GridFixture {
    explicit GridFixture(const std::string& ini = kGridIni, bool format = true, int parentWidth = 800) : app(folder) {
        folder.write("Bank.ini", Gbk(ini));
        parent.resize(parentWidth, 300);
        grid = new DBGrid(&parent);
        grid->setObjectName("DBMoreGrid");
        grid->setGeometry(0, 0, parentWidth, 300);
        formatter = TFormatDBGrid::Create().value();
        formatter->setNodeHead("Money");
        formatter->ScreenWidth = 1024;
        if (format) (void)formatter->FormatDBGrid(grid, true, false, true);
    }

    MemoryTable& table() { return formatter->ClientDataSet(); }
    void addRow(const std::string& name, const std::string& money, const std::string& bank, const std::string& check) {
        (void)table().appendRow({name, money, bank, check});
    }

    TestFolder folder;
    ScopedAppPath app;
    QWidget parent;
    DBGrid* grid = nullptr;
    std::unique_ptr<TFormatDBGrid> formatter;
};

}  // namespace vantrel::test
