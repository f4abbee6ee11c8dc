#include "common/AppPaths.h"
#include "common/BankIni.h"

#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace vantrel {
namespace {

using Strings = std::vector<std::string>;

TEST(AppPaths, OverrideWinsAndGetsItsDelimiter) {
    test::TestFolder folder;
    {
        test::ScopedAppPath app(folder);
        EXPECT_EQ(AppPath(), folder.appPath());
        EXPECT_EQ(LogPath(), folder.appPath() + "logs/");
        EXPECT_EQ(BankIniPath(), folder.appPath() + "Bank.ini");
        setenv("VANTREL_APP_PATH", "/opt/host", 1);  // read afresh on every call
        EXPECT_EQ(AppPath(), "/opt/host/");
    }
    if (std::getenv("VANTREL_APP_PATH") == nullptr) {
        auto exe = std::filesystem::read_symlink("/proc/self/exe");
        EXPECT_EQ(AppPath(), exe.parent_path().string() + "/");
    }
}

TEST(AppPaths, EnsureFolderCreatesParentsAndReportsObstacles) {
    test::TestFolder folder;
    auto nested = (folder.path() / "a" / "b" / "logs").string() + "/";
    ASSERT_TRUE(EnsureFolder(nested));
    EXPECT_TRUE(std::filesystem::is_directory(nested));
    EXPECT_TRUE(EnsureFolder(nested));

    folder.write("file", "x");
    auto blocked = EnsureFolder((folder.path() / "file" / "logs").string());
    EXPECT_FALSE(blocked);
    EXPECT_NE(blocked.error().find("file"), std::string::npos) << blocked.error();
}

TEST(BankIni, ReadsTheFileAfreshOnEveryCall) {
    test::TestFolder folder;
    test::ScopedAppPath app(folder);
    EXPECT_EQ(IniReadString("system", "Host", "127.0.0.1"), "127.0.0.1");
    EXPECT_EQ(IniReadInteger("system", "Port", 12345), 12345);

    folder.write("Bank.ini", "[system]\r\nHost=10.1.1.1\r\nPort=7001\r\nConnectStyle=2\r\nTimeOut=abc\r\n");
    EXPECT_EQ(IniReadString("SYSTEM", "host", ""), "10.1.1.1");
    EXPECT_EQ(IniReadInteger("system", "Port", 12345), 7001);
    EXPECT_EQ(IniReadInteger("system", "TimeOut", 5000), 5000);
    EXPECT_TRUE(IniReadBool("system", "ConnectStyle", false));

    folder.write("Bank.ini", "[system]\r\nPort=7002\r\n");
    EXPECT_EQ(IniReadInteger("system", "Port", 12345), 7002);
}

TEST(BankIni, SectionValuesDistinguishAMissingFileFromAnEmptySection) {
    test::TestFolder folder;
    test::ScopedAppPath app(folder);
    EXPECT_EQ(SectionValues("TabSet", "Bank.ini"), std::nullopt);
    Strings list{"kept"};
    LoadSectionValues("DataFieldsList", list);
    EXPECT_EQ(list, Strings{"kept"});

    folder.write("Bank.ini", "[DataFieldsList]\nd1=TransDate\nBankDate\nd3=\n[TabSet]\n");
    folder.write("Other.ini", "[TabSet]\nt0=\xC8\xEB\xBD\xF0\n");  // 入金 in GBK
    EXPECT_EQ(SectionValues("TabSet", "Bank.ini"), Strings{});
    EXPECT_EQ(SectionValues("TabSet", "Other.ini"), Strings{"入金"});
    LoadSectionValues("DataFieldsList", list);
    EXPECT_EQ(list, (Strings{"TransDate", "BankDate", ""}));
    LoadSectionValues("Absent", list);
    EXPECT_TRUE(list.empty());
}

}  // namespace
}  // namespace vantrel
