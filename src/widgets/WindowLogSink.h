#pragma once
// The owner window of a request, seen from the request: forwards each logged
// event to the window synchronously, on the request's (the window's) thread.
#include <QString>

#include "protocol/LogSink.h"

namespace vantrel {

// What a window does with the events of its requests.
class LogReceiver {
public:
    virtual ~LogReceiver() = default;
    virtual void LogBlockMessage(const QString& block, int level) = 0;
    virtual void LogTextMessage(const QString& message, int level) = 0;
};

class WindowLogSink final : public LogSink {
public:
    explicit WindowLogSink(LogReceiver& window) : window_(window) {}
    // The texts are copied into QStrings before the window sees them.
    void LogBlock(const std::string& block, int level) override;
    void LogText(const std::string& message, int level) override;

private:
    LogReceiver& window_;
};

}  // namespace vantrel
