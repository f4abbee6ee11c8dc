#include "common/Profile.h"

#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace vantrel {
namespace {

using Strings = std::vector<std::string>;

TEST(ProfileRead, NamesIgnoreCaseAndTheFirstKeyWins) {
    auto profile = Profile::Parse(
        "Orphan=before any section\r\n"
        "[System]\r\n"
        "  Host = 10.0.0.1  \r\n"
        "host=10.0.0.2\r\n"
        "; Port=1\r\n"
        "[other]\n"
        "Port=2\n"
        "[SYSTEM]\n"
        "Port=3\n"
        "Host=10.0.0.3\n");
    EXPECT_TRUE(profile.fileExists());
    EXPECT_EQ(profile.loadError(), "");
    EXPECT_EQ(profile.readString("system", "HOST", "x"), "10.0.0.1");
    // Repeated headers continue one section; its first Port is in the second block.
    EXPECT_EQ(profile.readInteger("system", "port", 0), 3);
    EXPECT_EQ(profile.readInteger("Other", "Port", 0), 2);
    EXPECT_EQ(profile.sectionNames(), (Strings{"System", "other"}));
    EXPECT_FALSE(profile.value("system", "Orphan"));
    EXPECT_FALSE(profile.hasSection("missing"));
    EXPECT_EQ(profile.readString("missing", "Host", "dflt"), "dflt");
}

TEST(ProfileRead, ValuesAreTrimmedAndLoseOnePairOfQuotes) {
    auto profile = Profile::Parse(
        "[v]\n"
        "a=\"  spaced  \"\n"
        "b='single'\n"
        "c=\"\"twice\"\"\n"
        "d=\"unbalanced'\n"
        "e=\t\n"
        "f=x=y\n");
    EXPECT_EQ(profile.value("v", "a"), "  spaced  ");
    EXPECT_EQ(profile.value("v", "b"), "single");
    EXPECT_EQ(profile.value("v", "c"), "\"twice\"");
    EXPECT_EQ(profile.value("v", "d"), "\"unbalanced'");
    EXPECT_EQ(profile.value("v", "e"), "");
    EXPECT_EQ(profile.value("v", "f"), "x=y");
}

TEST(ProfileRead, IntegersBooleansAndGridIntegers) {
    auto profile = Profile::Parse(
        "[system]\n"
        "TimeOut=abc\nConnectStyle=2\nNetBank=0\nPort= -12 \nPlus=+7\nBig=2147483648\nMixed=12abc\n"
        "Blue=$FF0000\nGreen=0xC0DCC0\nFace=-16777201\nDollar=$\nFrac=1.5\nBad=$-1\n");
    EXPECT_EQ(profile.readInteger("system", "TimeOut", 5000), 5000);
    EXPECT_TRUE(profile.readBool("system", "ConnectStyle", false));
    EXPECT_FALSE(profile.readBool("system", "NetBank", true));
    EXPECT_TRUE(profile.readBool("system", "TimeOut", true));
    EXPECT_FALSE(profile.readBool("system", "TimeOut", false));
    EXPECT_EQ(profile.readInteger("system", "Port", 0), -12);
    EXPECT_EQ(profile.readInteger("system", "Plus", 0), 7);
    EXPECT_EQ(profile.readInteger("system", "Big", 1), 1);
    EXPECT_EQ(profile.readInteger("system", "Mixed", 1), 1);
    EXPECT_EQ(profile.readInteger("system", "Blue", 1), 1);  // hexadecimal is for grid integers only

    EXPECT_EQ(profile.readGridInteger("system", "Blue"), 0xFF0000);
    EXPECT_EQ(profile.readGridInteger("system", "Green"), 0xC0DCC0);
    EXPECT_EQ(profile.readGridInteger("system", "Face"), -16777201);
    EXPECT_EQ(profile.readGridInteger("system", "Dollar"), std::nullopt);
    EXPECT_EQ(profile.readGridInteger("system", "Frac"), std::nullopt);
    EXPECT_EQ(profile.readGridInteger("system", "Bad"), std::nullopt);
    EXPECT_EQ(profile.readGridInteger("system", "Absent"), std::nullopt);
}

TEST(ProfileRead, GbkTrailBytesThatLookLikeBracketsDoNotEndASection) {
    // "[乗乚]" and "名=乚]乗" in GBK: 0x81 0x5C / 0x81 0x5D inside the names.
    auto profile = Profile::Parse(
        "[\x81\x5C\x81\x5D]\r\n"
        "\xC3\xFB=\x81\x5D]\x81\x5C\r\n");
    EXPECT_EQ(profile.loadError(), "");
    EXPECT_EQ(profile.sectionNames(), (Strings{"乗乚"}));
    EXPECT_EQ(profile.value("乗乚", "名"), "乚]乗");
}

TEST(ProfileRead, BomFileIsUtf8AndBadLinesAreSkippedAndReported) {
    auto utf8 = Profile::Parse("\xEF\xBB\xBF[名称]\nkey=资金划转\n");
    EXPECT_EQ(utf8.value("名称", "key"), "资金划转");

    auto gbk = Profile::Parse("[s]\r\na=1\r\nb=\x81\x20\r\nc=3\r\n");
    EXPECT_EQ(gbk.value("s", "a"), "1");
    EXPECT_FALSE(gbk.value("s", "b"));
    EXPECT_EQ(gbk.value("s", "c"), "3");
    EXPECT_NE(gbk.loadError().find("line 3"), std::string::npos) << gbk.loadError();
}

TEST(ProfileRead, SectionListsKeepFileOrderAndEmptyValues) {
    auto profile = Profile::Parse(
        "[MoneyFieldsList]\r"
        "f1=Amount\r"
        "\r"
        "; a comment\r"
        "Balance\r"
        "f3=\r"
        " f4 = Fee \r"
        "[next]\r"
        "x=1\r");
    EXPECT_EQ(profile.sectionValues("moneyfieldslist"), (Strings{"Amount", "Balance", "", "Fee"}));
    EXPECT_EQ(profile.sectionLines("MoneyFieldsList"), (Strings{"f1=Amount", "Balance", "f3=", "f4 = Fee"}));
    EXPECT_EQ(profile.sectionKeys("MoneyFieldsList"), (Strings{"f1", "f3", "f4"}));
    EXPECT_TRUE(profile.sectionValues("absent").empty());
}

TEST(ProfileRead, MissingFileIsEmpty) {
    test::TestFolder folder;
    auto profile = Profile::Load(folder.path() / "Bank.ini");
    EXPECT_FALSE(profile.fileExists());
    EXPECT_EQ(profile.readInteger("system", "TimeOut", 5000), 5000);

    folder.write("Bank.ini", "[system]\nTimeOut=7000\n");
    EXPECT_EQ(Profile::Load(folder.path() / "Bank.ini").readInteger("system", "TimeOut", 5000), 7000);
}

// ------------------------------------------------------------------ writing

class ProfileWrite : public ::testing::Test {
protected:
    std::filesystem::path file() const { return folder.path() / "Bank.ini"; }
    std::string bytes() const { return folder.read("Bank.ini"); }
    void TearDown() override { SetProfileWriteFaultForTesting({}); }

    test::TestFolder folder;
};

// Comments, odd spacing, GBK text and a line that does not decode.
const std::string kOriginal =
    "; Bank.ini\r\n"
    "[system]\r\n"
    "Host = 127.0.0.1 \r\n"
    "Port=12345\r\n"
    "\r\n"
    "[Values]\n"
    "hn0001=\xC1\xAC\xBD\xD3\xCA\xA7\xB0\xDC\n"
    "raw=\x81\x20\n"
    "\n"
    "\n"
    "[system]\r\n"
    "TimeOut=5000";

TEST_F(ProfileWrite, ReplacesTheFirstKeyInPlaceAndKeepsEveryOtherByte) {
    folder.write("Bank.ini", kOriginal);
    ASSERT_TRUE(WriteProfileString(file(), "SYSTEM", "port", "9000"));
    std::string expected = kOriginal;
    expected.replace(expected.find("Port=12345"), 10, "port=9000");
    EXPECT_EQ(bytes(), expected);

    // A key in the second block of a repeated section is found there.
    ASSERT_TRUE(WriteProfileString(file(), "system", "TimeOut", "800"));
    expected.replace(expected.find("TimeOut=5000"), 12, "TimeOut=800");
    EXPECT_EQ(bytes(), expected);
}

TEST_F(ProfileWrite, NewKeyGoesAfterTheLastNonBlankLineOfItsSection) {
    folder.write("Bank.ini", kOriginal);
    ASSERT_TRUE(WriteProfileString(file(), "values", "hn0002", "连接成功"));
    std::string expected = kOriginal;
    expected.insert(expected.find("raw=\x81\x20\n") + 7, "hn0002=\xC1\xAC\xBD\xD3\xB3\xC9\xB9\xA6\r\n");
    EXPECT_EQ(bytes(), expected);
    EXPECT_EQ(Profile::Load(file()).value("Values", "hn0002"), "连接成功");
}

TEST_F(ProfileWrite, NewSectionIsAppendedAndAMissingFileCreated) {
    folder.write("Bank.ini", kOriginal);
    ASSERT_TRUE(WriteProfileString(file(), "GridParam", "SelectColor", "$C0DCC0"));
    EXPECT_EQ(bytes(), kOriginal + "\r\n[GridParam]\r\nSelectColor=$C0DCC0\r\n");

    auto fresh = folder.path() / "new.ini";
    ASSERT_TRUE(WriteProfileString(fresh, "表", "名", "值"));
    EXPECT_EQ(folder.read("new.ini"), "[\xB1\xED]\r\n\xC3\xFB=\xD6\xB5\r\n");
}

TEST_F(ProfileWrite, BomFileGetsUtf8AndLineEndsFollowTheFile) {
    folder.write("Bank.ini", "\xEF\xBB\xBF[s]\na=1\n");
    ASSERT_TRUE(WriteProfileString(file(), "s", "b", "😀"));
    EXPECT_EQ(bytes(), "\xEF\xBB\xBF[s]\na=1\nb=😀\n");
    EXPECT_FALSE(WriteProfileString(file(), "s", "c", "bad \xFF"));
    EXPECT_EQ(bytes(), "\xEF\xBB\xBF[s]\na=1\nb=😀\n");
}

TEST_F(ProfileWrite, ValuesReadBackExactlyAsWritten) {
    for (const std::string value : {"  padded ", "\"quoted\"", "'x'", "\"", "a=b", ""}) {
        ASSERT_TRUE(WriteProfileString(file(), "s", "k", value));
        EXPECT_EQ(Profile::Load(file()).value("s", "k"), value) << bytes();
    }
}

TEST_F(ProfileWrite, RefusedWritesLeaveTheFileAlone) {
    folder.write("Bank.ini", kOriginal);
    EXPECT_FALSE(WriteProfileString(file(), "system", "Host", "😀"));
    EXPECT_FALSE(WriteProfileString(file(), "system", "Host", "a\nb"));
    EXPECT_FALSE(WriteProfileString(file(), "system", "Ho\rst", "x"));
    EXPECT_FALSE(WriteProfileString(file(), "sys]tem", "Host", "x"));
    EXPECT_FALSE(WriteProfileString(file(), "system", "a=b", "x"));
    EXPECT_FALSE(WriteProfileString(file(), "system", "[x", "x"));
    EXPECT_FALSE(WriteProfileString(file(), "system", " ", "x"));
    EXPECT_EQ(bytes(), kOriginal);
    EXPECT_FALSE(WriteProfileString(folder.path() / "absent" / "Bank.ini", "s", "k", "v"));
}

TEST_F(ProfileWrite, DeletesKeysAndErasesSections) {
    folder.write("Bank.ini", "[a]\r\nk=1\r\nK=2\r\nj=3\r\n[b]\r\nk=4\r\n[A]\r\nk=5\r\n");
    ASSERT_TRUE(DeleteProfileKey(file(), "A", "k"));
    EXPECT_EQ(bytes(), "[a]\r\nj=3\r\n[b]\r\nk=4\r\n[A]\r\n");
    EXPECT_FALSE(Profile::Load(file()).value("a", "k"));

    ASSERT_TRUE(EraseProfileSection(file(), "a"));
    EXPECT_EQ(bytes(), "[b]\r\nk=4\r\n");

    // Nothing to remove: nothing written, no file created.
    ASSERT_TRUE(EraseProfileSection(file(), "absent"));
    ASSERT_TRUE(DeleteProfileKey(folder.path() / "none.ini", "s", "k"));
    EXPECT_FALSE(folder.exists("none.ini"));
}

TEST_F(ProfileWrite, InterruptedWriteLeavesTheOldFileAndNoTemporaryFile) {
    std::string large = "[big]\r\n";
    for (int i = 0; i < 2000; ++i) large += "key" + std::to_string(i) + "=value\r\n";
    folder.write("Bank.ini", large);

    std::size_t calls = 0;
    SetProfileWriteFaultForTesting([&](std::size_t written) {
        ++calls;
        return written > 0;  // the first block goes through, the next fails
    });
    auto failed = WriteProfileString(file(), "big", "key5", "changed");
    EXPECT_FALSE(failed);
    EXPECT_NE(failed.error().find("Bank.ini"), std::string::npos) << failed.error();
    EXPECT_EQ(calls, 2u);
    EXPECT_EQ(bytes(), large);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path()))
        names.push_back(entry.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"Bank.ini"});

    SetProfileWriteFaultForTesting({});
    ASSERT_TRUE(WriteProfileString(file(), "big", "key5", "changed"));
    EXPECT_EQ(Profile::Load(file()).value("big", "key5"), "changed");
}

TEST_F(ProfileWrite, ReplacementKeepsThePermissionsOfTheFile) {
#ifdef _WIN32
    GTEST_SKIP() << "POSIX mode bits; a Windows file has none to carry over";
#endif
    folder.write("Bank.ini", "[s]\r\nk=1\r\n");
    std::filesystem::permissions(file(), std::filesystem::perms(0640));
    ASSERT_TRUE(WriteProfileString(file(), "s", "k", "2"));
    EXPECT_EQ(Profile::Load(file()).value("s", "k"), "2");
    EXPECT_EQ(std::filesystem::status(file()).permissions(), std::filesystem::perms(0640));
}

TEST(ProfileEditBytes, EditedBytesParseBackToTheWrittenValue) {
    const std::string start = "x\r[s]\r\n\r\n;c\r\n[t]\nk=\"old\"";
    for (const char* section : {"s", "t", "u"}) {
        for (const char* key : {"k", "K", "new"}) {
            auto edited = EditProfileBytes(start, {ProfileEdit::Kind::Write, section, key, " v "});
            ASSERT_TRUE(edited && edited.value()) << edited.error();
            auto profile = Profile::Parse(*edited.value());
            EXPECT_EQ(profile.value(section, key), " v ") << *edited.value();
            auto expected = std::string(section) == "u" ? Strings{"s", "t", "u"} : Strings{"s", "t"};
            EXPECT_EQ(profile.sectionNames(), expected);
        }
    }
}

}  // namespace
}  // namespace vantrel
