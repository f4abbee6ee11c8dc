#pragma once
// The wall clock behind every dated file name and log line; tests replace it.
#include <chrono>
#include <functional>
#include <string>
#include <string_view>

namespace vantrel {

std::chrono::system_clock::time_point Now();
// An empty function restores the real clock.
void SetClockForTesting(std::function<std::chrono::system_clock::time_point()> clock);

struct LocalDateTime {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

// The time point in the machine's local time zone.
LocalDateTime ToLocal(std::chrono::system_clock::time_point time);
// "yyyymmdd"
std::string FormatYmd(const LocalDateTime& time);
// "yyyy-mm-dd" + betweenDateAndTime + "hh:mm:ss"
std::string FormatDateTime(const LocalDateTime& time, std::string_view betweenDateAndTime);

}  // namespace vantrel
