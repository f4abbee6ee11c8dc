#include "common/AppPaths.h"
#include "common/BankIni.h"
#include "common/Environment.h"

#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace vantrel {
namespace {

using Strings = std::vector<std::string>;

TEST(AppPaths, OverrideWinsAndGetsItsDelimiter) {
    test::TestFolder folder;
    {
        test::ScopedAppPath app(folder);
        EXPECT_EQ(AppPath(), folder.appPath());
        EXPECT_EQ(LogPath(), folder.appPath() + "logs" + kPathDelimiter);
        EXPECT_EQ(BankIniPath(), folder.appPath() + "Bank.ini");
#ifdef _WIN32
        const std::string other = "C:\\host";
#else
        const std::string other = "/opt/host";
#endif
        SetEnvironmentUtf8("VANTREL_APP_PATH", other);  // read afresh on every call
        EXPECT_EQ(AppPath(), other + kPathDelimiter);
    }
    if (!GetEnvironmentUtf8("VANTREL_APP_PATH")) {
        EXPECT_EQ(AppPath(), ExecutablePath());
#ifndef _WIN32
        auto exe = std::filesystem::read_symlink("/proc/self/exe");
        EXPECT_EQ(AppPath(), exe.parent_path().string() + "/");
#endif
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

TEST(BankIni, CaptionForTakesLabelCaptionOrTheDefault) {
    test::TestFolder folder;
    test::ScopedAppPath app(folder);
    EXPECT_EQ(CaptionFor("frmVantrel", "design"), "design");
    folder.write("Bank.ini", "[LabelCaption]\nfrmVantrel=\xBF\xCD\xBB\xA7\n=blank\n");  // 客户 in GBK
    EXPECT_EQ(CaptionFor("frmVantrel", "design"), "客户");
    EXPECT_EQ(CaptionFor("frmConfig", "design"), "design");
    EXPECT_EQ(CaptionFor("", "design"), "design");
}

}  // namespace
}  // namespace vantrel
