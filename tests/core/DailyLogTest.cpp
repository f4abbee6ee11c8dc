#include "common/AppPaths.h"
#include "common/Clock.h"
#include "common/DailyLog.h"
#include "common/ErrorLog.h"

#include "support/TestFolder.h"

#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <stdexcept>

namespace vantrel {
namespace {

// A local wall-clock time as a time point, so expectations do not depend on
// the machine's time zone.
std::chrono::system_clock::time_point LocalTime(int year, int month, int day, int hour, int minute, int second) {
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&tm));
}

class DailyLog : public ::testing::Test {
protected:
    void TearDown() override { SetClockForTesting({}); }
    void setTime(std::chrono::system_clock::time_point time) {
        SetClockForTesting([time] { return time; });
    }

    test::TestFolder folder;
    test::ScopedAppPath app{folder};
};

TEST_F(DailyLog, FormatsDatesWithLeadingZeros) {
    LocalDateTime time{2024, 3, 7, 9, 5, 1};
    EXPECT_EQ(FormatYmd(time), "20240307");
    EXPECT_EQ(FormatDateTime(time, "  "), "2024-03-07  09:05:01");
    EXPECT_EQ(DailyFileName("/x/logs/", ".mlog", time), "/x/logs/20240307.mlog");

    auto local = ToLocal(LocalTime(2024, 12, 31, 23, 59, 58));
    EXPECT_EQ(FormatDateTime(local, " "), "2024-12-31 23:59:58");
}

TEST_F(DailyLog, ErrorLogLineFormatAndANewFileAfterMidnight) {
    setTime(LocalTime(2024, 3, 7, 23, 59, 59));
    WriteErrorLog("uMoneyLogin ->  btnOkClick -> 连接失败");
    WriteErrorLog("two\r\nlines\nhere");
    setTime(LocalTime(2024, 3, 8, 0, 0, 1));
    WriteErrorLog("after midnight");

    EXPECT_EQ(folder.read("logs/20240307.log"),
              "2024-03-07  23:59:59  uMoneyLogin ->  btnOkClick -> \xC1\xAC\xBD\xD3\xCA\xA7\xB0\xDC\r\n"
              "2024-03-07  23:59:59  two lines here\r\n");
    EXPECT_EQ(folder.read("logs/20240308.log"), "2024-03-08  00:00:01  after midnight\r\n");
}

TEST_F(DailyLog, AppendEscapesWhatGbkCannotHold) {
    auto path = (folder.path() / "a.log").string();
    AppendToFile(path, "资😀");
    AppendToFile(path, "\xFF!");
    EXPECT_EQ(folder.read("a.log"), "\xD7\xCA\\u{1F600}\\x{FF}!");
}

TEST_F(DailyLog, AppenderPutsEachBlockInItsFileAtOnceAndFollowsAPathChange) {
    struct Step {
        const char* path;
        const char* text;
        const char* a;  // a.log and b.log right after the append
        const char* b;
    };
    const Step steps[] = {
        {"a.log", "1", "1", nullptr},
        {"a.log", "2", "12", nullptr},
        {"b.log", "3", "12", "3"},
        {"a.log", "4", "124", "3"},  // back to a file closed before: appended, not replaced
    };
    LogAppender appender;
    for (const auto& step : steps) {
        appender.append((folder.path() / step.path).string(), step.text);
        EXPECT_EQ(folder.read("a.log"), step.a) << "after " << step.text;
        if (step.b) {
            EXPECT_EQ(folder.read("b.log"), step.b) << "after " << step.text;
        }
    }
}

TEST_F(DailyLog, FailuresToWriteAreThrown) {
    folder.write("plainfile", "x");
    auto blocked = (folder.path() / "plainfile" / "20240307.log").string();
    try {
        AppendToFile(blocked, "text");
        FAIL() << "no exception";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(blocked), std::string::npos) << error.what();
    }
    EXPECT_THROW(AppendToFile((folder.path() / "missing" / "x.log").string(), "t"), std::runtime_error);

    // The logs folder cannot be created: a file of that name is in the way.
    folder.write("logs", "not a folder");
    EXPECT_THROW(WriteErrorLog("lost?"), std::runtime_error);
    // Where nothing may throw, the same failure comes back.
    const Status tried = TryWriteErrorLog("lost?");
    EXPECT_FALSE(tried.ok());
    EXPECT_FALSE(tried.error().empty());
}

}  // namespace
}  // namespace vantrel
