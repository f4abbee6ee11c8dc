// vantrel --export against the scripted server: the file holds what the
// result grid would export (its titles, pictures, code tables, footers),
// and bad paths are refused before anything is sent.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "CliRunner.h"
#include "EngineFixture.h"
#include "ScriptedServer.h"
#include "TestFolder.h"
#include "common/TextCodec.h"
#include "grid/GridExport.h"

namespace vantrel::test {
namespace {

// A transfer grid with a picture, a code table, a count and a sum footer;
// the window's other code-table columns are there but hidden.
const char* const kGridSections = R"(
[GridParam]
FooterCountFlag=1
TotalCN=合计
[TradeTypeID]
0=1
1=0
[TradeTypeValue]
0=入金
1=出金
[MoneyDBMoreGrid]
ColWidth=60,90,100,50,40,1,1,1,1,1,1
ColTotal=1,2,3,0,0,0,0,0,0,0,0
ColVisual=1,1,1,1,1,0,0,0,0,0,0
ColTag=1,2,3,4,5,6,7,8,9,10,11
ColAlign=D,D,0.00,D,C,D,D,D,D,D,D
ColColor=0,0,0,0,0,0,0,0,0,0,0
ColStyle=0,0,0,0,0,0,0,0,0,0,0
ColDBWidth=10,10,10,1,20,1,1,1,1,1,1
ColDataType=0,0,2,0,0,0,0,0,0,0,0
SerialNo=流水号
TradeDate=日期
ChangeMoney=金额
TradeType=类型
Memo=备注
CardIDType=a
BusinType=b
MoneySty=c
WaterState=d
CheckState=e
MoneyType=f
)";

const std::vector<std::string> kAccountAnswer = {"BankID", "BankName", "CustBankAcctNo", "MoneyType", "CompId",
                                                 "BankType", "Url", "005", "建设银行", "6222001", "0", "C01", "0", ""};

struct Outcome {
    int status;
    std::string out, err;
};

class CliExport : public ::testing::Test {
protected:
    void SetUp() override { WriteIni(std::string(kStandardBankIni) + kGridSections); }

    void WriteIni(const std::string& text) { folder.write("Bank.ini", Utf8ToGbk(text).value()); }

    Outcome Vantrel(std::vector<std::string> rest) {
        std::vector<std::string> args = {"vantrel", "--app-path", folder.appPath(), "--server",
                                         "127.0.0.1:" + std::to_string(server.port()), "--trade", "8001234",
                                         "--password-stdin", "--format", "tsv"};
        args.insert(args.end(), rest.begin(), rest.end());
        std::vector<const char*> argv;
        for (const auto& arg : args) argv.push_back(arg.c_str());
        std::ostringstream out, err;
        std::istringstream in("123456\n");
        const int status = cli::RunCli(static_cast<int>(argv.size()), argv.data(), out, err, in);
        return {status, out.str(), err.str()};
    }

    // Login, then two transfers in cents (the query shows them in yuan).
    void ExpectTransfers(const std::string& memo = "工资") {
        server.enqueue({AnswerFrame(kAccountAnswer, 7)});
        server.enqueue({AnswerFrame({"SerialNo", "TradeDate", "ChangeMoney", "TradeType", "Memo", "State",  //
                                     "7", "20240305", "1000050", "1", memo, "0",                             //
                                     "8", "20240306", "20000", "0", "", "0"},
                                    6)});
    }

    std::string Path(const std::string& name) const { return (folder.path() / name).string(); }
    std::string Decoded(const std::string& name) const { return GbkToUtf8(folder.read(name)).valueOr("<not GBK>"); }

    TestFolder folder;
    ScopedAppPath appPath{folder};
    ScriptedServer server;
};

TEST_F(CliExport, TextExportIsTheGridsDisplayWithFooter) {
    ExpectTransfers();
    const auto outcome = Vantrel({"transfers", "--export", Path("t.txt")});
    ASSERT_EQ(outcome.status, 0) << outcome.err;
    EXPECT_EQ(outcome.err, "");
    // The rows are still printed as asked.
    EXPECT_NE(outcome.out.find("SerialNo\tTradeDate"), std::string::npos) << outcome.out;
    // Titles from the section, the picture on money, the code table on the
    // type, hidden columns left out; count and sum over the rows.
    EXPECT_EQ(Decoded("t.txt"),
              "流水号\t日期\t金额\t类型\t备注\r\n"
              "7\t2024-03-05\t10000.50\t入金\t工资\r\n"
              "8\t2024-03-06\t200.00\t出金\t\r\n"
              "合计\t2\t10200.50\t\t");
}

TEST_F(CliExport, HtmlAndExcelFollowTheExtensionInAnyCase) {
    ExpectTransfers();
    ASSERT_EQ(Vantrel({"transfers", "--export", Path("t.HTM")}).status, 0);
    const auto html = Decoded("t.HTM");
    EXPECT_NE(html.find("<TITLE>\r\nDBMoreGrid\r\n</TITLE>"), std::string::npos) << html;
    EXPECT_NE(html.find("ALIGN=\"RIGHT\""), std::string::npos);
    EXPECT_NE(html.find(">10000.50</FONT>"), std::string::npos);
    EXPECT_NE(html.find(">出金</FONT>"), std::string::npos);
    EXPECT_FALSE(folder.exists("t.HTM.htm"));

    ExpectTransfers();
    ASSERT_EQ(Vantrel({"transfers", "--export", Path("t.xls")}).status, 0);
    const auto xls = folder.read("t.xls");
    ASSERT_GE(xls.size(), 16u);
    EXPECT_EQ(xls.substr(0, 4), std::string("\x09\x08\x08\x00", 4));
    EXPECT_EQ(xls.substr(xls.size() - 4), std::string("\x0A\x00\x00\x00", 4));
    // The code table's text is a text cell in GBK: "入金".
    EXPECT_NE(xls.find(Utf8ToGbk("入金").value()), std::string::npos);
    EXPECT_NE(xls.find(Utf8ToGbk("流水号").value()), std::string::npos);
}

TEST_F(CliExport, WorkbookByItsExtensionInAnyCase) {
    if (!XlsxExportAvailable()) GTEST_SKIP() << "built without libxlsxwriter";
    ExpectTransfers();
    ASSERT_EQ(Vantrel({"transfers", "--export", Path("t.XLSX")}).status, 0);
    EXPECT_EQ(folder.read("t.XLSX").substr(0, 2), "PK");  // a zip container
    EXPECT_FALSE(folder.exists("t.XLSX.xls"));
}

TEST_F(CliExport, BadPathsAndCommandsAreUsageErrorsBeforeAnythingIsSent) {
    const std::string kMustEnd =
        XlsxExportAvailable() ? "must end in .xls, .xlsx, .htm or .txt" : "must end in .xls, .htm or .txt";
    struct Case {
        std::vector<std::string> args;
        std::string says;
    };
    const std::vector<Case> cases = {
        {{"transfers", "--export", Path("t.csv")}, kMustEnd},
        {{"transfers", "--export", Path("xls")}, kMustEnd},
        {{"transfers", "--export", Path("no/such/t.txt")}, "does not exist"},
        {{"transfers", "--export", folder.appPath()}, "must end in"},
        {{"deposit", "--bank", "005", "--account", "6222001", "--amount", "1", "--export", Path("d.txt")},
         "--export does not apply to deposit"},
        {{"commission", "deposit", "--bank", "005", "--amount", "1", "--export", Path("c.txt")},
         "--export does not apply to commission"},
    };
    for (const auto& c : cases) {
        const auto outcome = Vantrel(c.args);
        EXPECT_EQ(outcome.status, 2) << c.args.back();
        EXPECT_NE(outcome.err.find(c.says), std::string::npos) << outcome.err;
    }
    std::filesystem::create_directory(folder.path() / "dir.txt");
    const auto folderAsFile = Vantrel({"transfers", "--export", Path("dir.txt")});
    EXPECT_EQ(folderAsFile.status, 2);
    EXPECT_NE(folderAsFile.err.find("is a folder"), std::string::npos) << folderAsFile.err;
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(CliExport, FailuresAfterTheQueryExitOneAndLeaveNoFile) {
    // A file the system cannot create (the name is too long even for root).
    ExpectTransfers();
    const std::string longName(300, 'a');
    const auto unwritable = Vantrel({"transfers", "--export", Path(longName + ".txt")});
    EXPECT_EQ(unwritable.status, 1);
    EXPECT_NE(unwritable.err.find("cannot export to"), std::string::npos) << unwritable.err;
    EXPECT_NE(unwritable.out.find("SerialNo"), std::string::npos);

    // A grid without a section has nothing to lay the answer out with.
    server.enqueue({AnswerFrame(kAccountAnswer, 7)});
    server.enqueue({AnswerFrame({"CustTradeID", "MarketMoney", "8001234", "500"}, 2)});
    const auto noSection = Vantrel({"market-funds", "--export", Path("m.txt")});
    EXPECT_EQ(noSection.status, 1);
    EXPECT_NE(noSection.err.find("[MoneyDBMarketGrid]"), std::string::npos) << noSection.err;
    EXPECT_FALSE(folder.exists("m.txt"));

    // A window code-table column missing from the layout is named.
    WriteIni(std::string(kStandardBankIni) + "[MoneyDBMoreGrid]\n1=80\n2=0\n3=1\n4=1\n5=C\n6=0\n7=0\n8=9\n9=0\n"
                                             "SerialNo=流水号\n");
    ExpectTransfers();
    const auto noColumn = Vantrel({"transfers", "--export", Path("n.txt")});
    EXPECT_EQ(noColumn.status, 1);
    EXPECT_NE(noColumn.err.find("no column CardIDType"), std::string::npos) << noColumn.err;

    // A failed query writes nothing.
    server.enqueue({AnswerFrame(kAccountAnswer, 7)});
    server.enqueue({AnswerFrame({"Code", "Message", "E1002", "资金密码错误"}, 2, "E1002")});
    const auto failed = Vantrel({"transfers", "--export", Path("f.txt")});
    EXPECT_EQ(failed.status, 1);
    EXPECT_FALSE(folder.exists("f.txt"));
}

}  // namespace
}  // namespace vantrel::test
