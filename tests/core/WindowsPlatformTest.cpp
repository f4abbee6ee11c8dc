// The Win32 side of the platform layer: code page 936 through the code-page
// API, the program folder from GetModuleFileNameW, the wide environment and
// wide paths, and Bank.ini replaced with MoveFileExW. Built for Windows only
// (./run.sh windows runs it under Wine); the Linux build has its own paths.
#ifdef _WIN32

#include "common/AppPaths.h"
#include "common/BankIni.h"
#include "common/DailyLog.h"
#include "common/Environment.h"
#include "common/ErrorLog.h"
#include "common/Profile.h"
#include "common/TextCodec.h"
#include "common/WideText.h"
#include "protocol/TProxyTCPClient.h"
#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <asio.hpp>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "common/Win32.h"
#include <winsock2.h>
// <windows.h> maps this name to its own WriteProfileStringA/W.
#undef WriteProfileString

namespace vantrel {
namespace {

using namespace std::chrono_literals;

// 工商银行 in GBK, and 乗怺歖, whose trail bytes are '\\', '[' and ']'.
const std::string kBankGbk = "\xB9\xA4\xC9\xCC\xD2\xF8\xD0\xD0";
const std::string kTrailGbk = "\x81\x5C\x90\x5B\x9A\x5D";

std::string ReadBytes(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::vector<std::wstring> Names(const std::filesystem::path& folder) {
    std::vector<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().wstring());
    return names;
}

// Clears VANTREL_APP_PATH for the life of the object, then restores it.
class NoAppPathOverride {
public:
    NoAppPathOverride() : saved_(GetEnvironmentUtf8("VANTREL_APP_PATH")) { UnsetEnvironment("VANTREL_APP_PATH"); }
    ~NoAppPathOverride() {
        if (saved_) SetEnvironmentUtf8("VANTREL_APP_PATH", *saved_);
    }

private:
    std::optional<std::string> saved_;
};

TEST(WindowsCodePage, BankIniIsReadThroughCodePage936) {
    test::TestFolder folder;
    test::ScopedAppPath app(folder);
    folder.write("Bank.ini", "[system]\r\nBankName=" + kBankGbk + "\r\nTrail=" + kTrailGbk +
                                 "\r\nPrice=\x80" "100\r\n[\x9A\x5D]\r\nCount=3\r\n");
    EXPECT_EQ(IniReadString("system", "BankName", ""), "工商银行");
    EXPECT_EQ(IniReadString("system", "Trail", ""), "乗怺歖");
    EXPECT_EQ(IniReadString("system", "Price", ""), "€100");
    // A section whose name ends in the byte ']' is found by its decoded name.
    EXPECT_EQ(IniReadInteger("歖", "Count", 0), 3);

    EXPECT_EQ(Utf8ToGbk("工商银行€").valueOr(""), kBankGbk + "\x80");
    const auto outside = Utf8ToGbk("银行😀");
    ASSERT_FALSE(outside);
    EXPECT_NE(outside.error().find("U+1F600"), std::string::npos) << outside.error();
    const auto broken = GbkToUtf8(kBankGbk + "\x81\x30");
    ASSERT_FALSE(broken);
    EXPECT_NE(broken.error().find("at byte 8"), std::string::npos) << broken.error();
}

TEST(WindowsPaths, AppPathIsTheFolderOfThisProgram) {
    NoAppPathOverride plain;
    const std::string app = AppPath();
    ASSERT_FALSE(app.empty());
    EXPECT_EQ(app, ExecutablePath());
    EXPECT_TRUE(PathFromUtf8(app).is_absolute()) << app;
    EXPECT_EQ(app.back(), '\\') << app;
    EXPECT_EQ(app.find('/'), std::string::npos) << app;
    EXPECT_TRUE(std::filesystem::is_regular_file(PathFromUtf8(app + "vantrel_core_tests.exe"))) << app;
    EXPECT_EQ(LogPath(), app + "logs\\");
    EXPECT_EQ(BankIniPath(), app + "Bank.ini");
}

TEST(WindowsPaths, ChineseFolderNamesGoThroughTheWideApi) {
    NoAppPathOverride restored;
    test::TestFolder folder;
    const auto wide = folder.path() / L"资金划转";
    std::filesystem::create_directory(wide);
    const std::string utf8 = PathToUtf8(wide);
    ASSERT_NE(utf8.find("资金划转"), std::string::npos) << utf8;

    // The override travels through the wide environment, as Windows keeps it.
    SetEnvironmentUtf8("VANTREL_APP_PATH", utf8);
    wchar_t value[MAX_PATH] = {};
    ASSERT_GT(GetEnvironmentVariableW(L"VANTREL_APP_PATH", value, MAX_PATH), 0u);
    EXPECT_EQ(std::filesystem::path(value), wide);
    EXPECT_EQ(AppPath(), utf8 + "\\");

    WriteErrorLog("银行卡余额不足");
    UnsetEnvironment("VANTREL_APP_PATH");
    EXPECT_FALSE(GetEnvironmentUtf8("VANTREL_APP_PATH"));

    const auto logs = wide / L"logs";
    ASSERT_TRUE(std::filesystem::is_directory(logs));
    const auto files = Names(logs);
    ASSERT_EQ(files.size(), 1u);
    const std::string line = ReadBytes(logs / files[0]);
    EXPECT_NE(line.find(Utf8ToGbk("银行卡余额不足").valueOr("?")), std::string::npos);
    EXPECT_EQ(line.substr(line.size() - 2), "\r\n");
}

class WindowsBankIniReplace : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = folder.path() / L"银行";
        std::filesystem::create_directory(folder_);
        file = folder_ / L"Bank.ini";
        std::ofstream(file, std::ios::binary) << "[system]\r\nHost=127.0.0.1\r\n";
    }

    // Only Bank.ini: no temporary file left behind.
    void ExpectOnlyBankIni() { EXPECT_EQ(Names(folder_), std::vector<std::wstring>{L"Bank.ini"}); }

    test::TestFolder folder;
    std::filesystem::path folder_;
    std::filesystem::path file;
};

TEST_F(WindowsBankIniReplace, ChineseValueReplacesTheFileInGbk) {
    ASSERT_TRUE(WriteProfileString(file, "银行", "名称", "工商银行"));
    const std::string bytes = ReadBytes(file);
    EXPECT_NE(bytes.find("[\xD2\xF8\xD0\xD0]\r\n"), std::string::npos);
    EXPECT_NE(bytes.find("=" + kBankGbk + "\r\n"), std::string::npos);
    EXPECT_EQ(Profile::Load(file).value("银行", "名称"), "工商银行");
    ExpectOnlyBankIni();
}

TEST_F(WindowsBankIniReplace, FileHeldOpenByAnotherProgramIsLeftAsItWas) {
    const std::string before = ReadBytes(file);
    // Another program reading Bank.ini without FILE_SHARE_DELETE: the file
    // cannot be replaced while it is open.
    HANDLE other = CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    const Status held = WriteProfileString(file, "system", "Port", "17990");
    CloseHandle(other);
    ASSERT_FALSE(held);
    EXPECT_NE(held.error().find("renaming the temporary file"), std::string::npos) << held.error();
    EXPECT_NE(held.error().find("银行\\Bank.ini"), std::string::npos) << held.error();
    EXPECT_EQ(ReadBytes(file), before);
    ExpectOnlyBankIni();

    ASSERT_TRUE(WriteProfileString(file, "system", "Port", "17990"));
    EXPECT_EQ(Profile::Load(file).value("system", "Port"), "17990");
}

TEST(WindowsErrors, WinsockFailuresAreTheSystemsTextInUtf8) {
    int closedPort = 0;
    {
        asio::io_context io;
        asio::ip::tcp::acceptor gone(io, {asio::ip::make_address("127.0.0.1"), 0});
        closedPort = gone.local_endpoint().port();
    }
    TProxyTCPClient client;
    const Status refused = client.connect("127.0.0.1", closedPort, 2000ms);
    ASSERT_FALSE(refused);
    // FormatMessageW's text, not the ANSI one of std::error_code::message().
    EXPECT_NE(refused.error().find(WindowsErrorText(WSAECONNREFUSED)), std::string::npos) << refused.error();
    const std::string& text = refused.error();
    for (std::size_t pos = 0; pos < text.size();) {
        const auto cp = DecodeUtf8At(text, pos);
        ASSERT_TRUE(cp) << "not UTF-8 at byte " << pos << ": " << text;
        pos += cp->length;
    }
    EXPECT_EQ(WindowsErrorText(0xE0001234u), "error 3758101044");
}

}  // namespace
}  // namespace vantrel

#endif  // _WIN32
