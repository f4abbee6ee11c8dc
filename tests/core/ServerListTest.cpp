#include "servers/ServerList.h"

#include "common/MemoryTable.h"
#include "common/Profile.h"
#include "common/TextCodec.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace vantrel {
namespace {

using test::ScopedAppPath;
using test::TestFolder;

class ServerListStore : public ::testing::Test {
protected:
    ServerListStore() : app_(folder_) {
        EXPECT_TRUE(table_.defineFields({{"Col1"}, {"Col2"}, {"Col3"}, {"Col4"}}).ok());
    }
    void WriteIni(const std::string& utf8) { folder_.write("Bank.ini", Utf8ToGbk(utf8).value()); }
    Profile Ini() const { return Profile::Load(folder_.path() / "Bank.ini"); }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (int r = 0; r < table_.recordCount(); ++r) names.push_back(table_.text(r, sfName));
        return names;
    }

    TestFolder folder_;
    ScopedAppPath app_;
    MemoryTable table_;
};

constexpr const char* kGappedList =
    "[system]\nHost=10.0.0.1\n"
    "[MoneyServer]\nCount=3\n"
    "[MoneyServer0]\nServerName=零号\nServerIP=1.1.1.1\nPort=1\n"
    "[MoneyServer1]\nServerName= 甲 \nServerIP=127.0.0.1\nPort=9001\n"
    "[MoneyServer3]\nServerName=丙\nServerIP=127.0.0.3\nPort=\n"
    "[MoneyServer4]\nServerName=丁\nServerIP=127.0.0.4\nPort=9004\n";

TEST_F(ServerListStore, LoadListsNamedSectionsUpToCountOnly) {
    WriteIni(kGappedList);
    ASSERT_TRUE(LoadServerTable(table_, ServerSectionHead).ok());
    // [MoneyServer2] missing, [MoneyServer0] and [MoneyServer4] outside 1..Count.
    EXPECT_EQ(Names(), (std::vector<std::string>{"甲", "丙"}));  // the reader trims values
    EXPECT_EQ(table_.text(1, sfIP), "127.0.0.3");
    EXPECT_EQ(table_.text(1, sfPort), "");

    const auto sections = ReadServerSections(Ini(), ServerSectionHead);
    ASSERT_TRUE(sections.ok());
    ASSERT_EQ(sections->size(), 3u);
    EXPECT_FALSE((*sections)[1].Present);
    EXPECT_EQ(NamedServers(*sections).size(), 2u);
}

TEST_F(ServerListStore, MissingFileOrBrokenCount) {
    ASSERT_TRUE(LoadServerTable(table_, ServerSectionHead).ok());
    EXPECT_EQ(table_.recordCount(), 0);

    WriteIni("[MoneyServer]\nCount=2000000000\n");
    EXPECT_FALSE(LoadServerTable(table_, ServerSectionHead).ok());
    EXPECT_FALSE(ReadServerSections(Ini(), ServerSectionHead).ok());
}

TEST_F(ServerListStore, SaveRenumbersAndDropsGaps) {
    WriteIni(kGappedList);
    ASSERT_TRUE(LoadServerTable(table_, ServerSectionHead).ok());
    ASSERT_TRUE(SaveServerList(table_, ServerSectionHead).ok());

    const auto ini = Ini();
    EXPECT_EQ(ini.readInteger("MoneyServer", "Count", -1), 2);
    EXPECT_EQ(ini.readString("MoneyServer1", "ServerName", ""), "甲");  // the reader trims values
    EXPECT_EQ(ini.readString("MoneyServer2", "ServerName", ""), "丙");
    EXPECT_EQ(ini.readString("MoneyServer2", "ServerIP", ""), "127.0.0.3");
    EXPECT_TRUE(ini.value("MoneyServer2", "Port").has_value());
    EXPECT_FALSE(ini.hasSection("MoneyServer3"));
    // Other sections and the hand-written ones outside the list stay.
    EXPECT_EQ(ini.readString("system", "Host", ""), "10.0.0.1");
    EXPECT_TRUE(ini.hasSection("MoneyServer0"));
}

TEST_F(ServerListStore, SavesKeepEachServersOtherKeysThroughEditsAndRenumbering) {
    WriteIni("[MoneyServer]\nCount=3\n"
             "[MoneyServer1]\nServerName=甲\nServerIP=10.0.0.1\nPort=1\nTls=1\nTlsPin=AB:CD\n"
             "[MoneyServer2]\nServerName=乙\nServerIP=10.0.0.2\nPort=2\n"
             "[MoneyServer3]\nServerName=丙\nServerIP=10.0.0.3\nPort=3\nTls=1\nTlsCaFile=certs/ca.pem\n"
             "TlsServerName=mw.example\n");
    ASSERT_TRUE(LoadServerTable(table_, ServerSectionHead).ok());
    ASSERT_TRUE(table_.setText(2, sfIP, "10.0.0.33").ok());  // edited in the dialog
    ASSERT_TRUE(DeleteServerRow(table_, 0).ok());
    ASSERT_TRUE(table_.appendRow({"", "丁", "10.0.0.4", "4"}).ok());  // added in the dialog
    ASSERT_TRUE(SaveServerList(table_, ServerSectionHead).ok());
    // A second save from the same table, after the first renumbered the file.
    ASSERT_TRUE(DeleteServerRow(table_, 0).ok());
    ASSERT_TRUE(SaveServerList(table_, ServerSectionHead).ok());

    const auto ini = Ini();
    EXPECT_EQ(ini.readInteger("MoneyServer", "Count", -1), 2);
    EXPECT_EQ(ini.readString("MoneyServer1", "ServerName", ""), "丙");
    EXPECT_EQ(ini.readString("MoneyServer1", "ServerIP", ""), "10.0.0.33");
    EXPECT_EQ(ini.readString("MoneyServer1", "Tls", ""), "1");
    EXPECT_EQ(ini.readString("MoneyServer1", "TlsCaFile", ""), "certs/ca.pem");
    EXPECT_EQ(ini.readString("MoneyServer1", "TlsServerName", ""), "mw.example");
    EXPECT_EQ(ini.readString("MoneyServer2", "ServerName", ""), "丁");
    EXPECT_EQ(ini.sectionKeys("MoneyServer2"), (std::vector<std::string>{"ServerName", "ServerIP", "Port"}));
    // 甲's keys left with 甲 and did not land on the server now numbered 1.
    EXPECT_FALSE(ini.value("MoneyServer1", "TlsPin").has_value());
    EXPECT_FALSE(ini.hasSection("MoneyServer3"));
}

TEST_F(ServerListStore, SavingAnEmptyTableLeavesNoPhantomCount) {
    WriteIni(kGappedList);
    ASSERT_TRUE(LoadServerTable(table_, ServerSectionHead).ok());
    ASSERT_TRUE(DeleteServerRow(table_, 0).ok());
    EXPECT_EQ(Names(), (std::vector<std::string>{"丙"}));
    ASSERT_TRUE(DeleteServerRow(table_, 0).ok());
    EXPECT_FALSE(DeleteServerRow(table_, 0).ok());

    // SaveServerTable alone writes nothing for an empty table...
    ASSERT_TRUE(SaveServerTable(table_, ServerSectionHead).ok());
    EXPECT_EQ(Ini().readInteger("MoneyServer", "Count", -1), 3);
    // ...the list save erases the sections and stores Count 0.
    ASSERT_TRUE(SaveServerList(table_, ServerSectionHead).ok());
    const auto ini = Ini();
    EXPECT_EQ(ini.readInteger("MoneyServer", "Count", -1), 0);
    EXPECT_FALSE(ini.hasSection("MoneyServer1"));
    EXPECT_FALSE(ini.hasSection("MoneyServer3"));
    MemoryTable again;
    ASSERT_TRUE(again.defineFields({{"a"}, {"b"}, {"c"}, {"d"}}).ok());
    ASSERT_TRUE(LoadServerTable(again, ServerSectionHead).ok());
    EXPECT_EQ(again.recordCount(), 0);
}

TEST_F(ServerListStore, EraseKeepsTheHeadSection) {
    WriteIni(kGappedList);
    ASSERT_TRUE(EraseServerSections(ServerSectionHead).ok());
    const auto ini = Ini();
    EXPECT_EQ(ini.readInteger("MoneyServer", "Count", -1), 3);
    EXPECT_FALSE(ini.hasSection("MoneyServer1"));
    EXPECT_TRUE(ini.hasSection("MoneyServer4"));
}

TEST_F(ServerListStore, AFailedSaveLeavesThePreviousFileWhole) {
    // Large enough that the new file goes out in several blocks.
    std::string filler = "[Values]\n";
    for (int i = 0; i < 600; ++i) filler += "key" + std::to_string(i) + "=value\n";
    WriteIni(kGappedList + filler);
    const std::string before = folder_.read("Bank.ini");
    ASSERT_GT(before.size(), 4096u);
    ASSERT_TRUE(LoadServerTable(table_, ServerSectionHead).ok());
    ASSERT_TRUE(table_.appendRow({"", "乙", "127.0.0.2", "9002"}).ok());

    // The write dies after some bytes of the new file have gone out.
    SetProfileWriteFaultForTesting([](std::size_t written) { return written >= 4096; });
    const auto failed = SaveServerList(table_, ServerSectionHead);
    SetProfileWriteFaultForTesting({});
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(folder_.read("Bank.ini"), before);

    // A value the file cannot hold refuses the whole save, not half of it.
    ASSERT_TRUE(table_.setText(0, sfName, "a\nb").ok());
    EXPECT_FALSE(SaveServerList(table_, ServerSectionHead).ok());
    EXPECT_EQ(folder_.read("Bank.ini"), before);
}

TEST_F(ServerListStore, TableWithoutServerFieldsIsRefused) {
    WriteIni(kGappedList);
    MemoryTable bare;
    ASSERT_TRUE(bare.defineFields({{"only"}}).ok());
    EXPECT_FALSE(LoadServerTable(bare, ServerSectionHead).ok());
    ASSERT_TRUE(bare.appendRow({"x"}).ok());
    EXPECT_FALSE(SaveServerList(bare, ServerSectionHead).ok());
    EXPECT_EQ(Ini().readInteger("MoneyServer", "Count", -1), 3);
}

}  // namespace
}  // namespace vantrel
