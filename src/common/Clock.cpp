#include "common/Clock.h"

#include <cstdio>
#include <ctime>
#include <mutex>

namespace vantrel {

namespace {

std::mutex clockMutex;
std::function<std::chrono::system_clock::time_point()> testClock;

}  // namespace

std::chrono::system_clock::time_point Now() {
    std::function<std::chrono::system_clock::time_point()> clock;
    {
        std::lock_guard lock(clockMutex);
        clock = testClock;
    }
    return clock ? clock() : std::chrono::system_clock::now();
}

void SetClockForTesting(std::function<std::chrono::system_clock::time_point()> clock) {
    std::lock_guard lock(clockMutex);
    testClock = std::move(clock);
}

LocalDateTime ToLocal(std::chrono::system_clock::time_point time) {
    std::time_t seconds = std::chrono::system_clock::to_time_t(time);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
#else
    localtime_r(&seconds, &local);
#endif
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

std::string FormatYmd(const LocalDateTime& time) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%04d%02d%02d", time.year, time.month, time.day);
    return buffer;
}

std::string FormatDateTime(const LocalDateTime& time, std::string_view betweenDateAndTime) {
    char date[32];
    char clock[32];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", time.year, time.month, time.day);
    std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", time.hour, time.minute, time.second);
    return std::string(date) + std::string(betweenDateAndTime) + clock;
}

}  // namespace vantrel
