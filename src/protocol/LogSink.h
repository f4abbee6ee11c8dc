#pragma once
// The owner window of a request: receives every logged event synchronously,
// on the request's thread, before LogEvent returns. Receivers copy the texts.
#include <string>

namespace vantrel {

class LogSink {
public:
    virtual ~LogSink() = default;
    // The four-line transfer-log block, each line ended by CR LF.
    virtual void LogBlock(const std::string& block, int level) = 0;
    // The bare message as the request reported it, line breaks kept.
    virtual void LogText(const std::string& message, int level) = 0;
};

// Levels of a logged event.
enum LogLevel : int { LogInfo = 0, LogWarning = 1, LogError = 2 };

}  // namespace vantrel
