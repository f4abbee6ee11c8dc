#pragma once
// Test fixture for the request engine: a private application folder with a
// Bank.ini, a fresh library state, a scripted server and a recording owner
// window.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ScriptedServer.h"
#include "TestFolder.h"
#include "protocol/LogSink.h"
#include "protocol/TBankLogin.h"

namespace vantrel::test {

struct LoggedEvent {
    std::string text;
    int level;
};

class RecordingSink : public LogSink {
public:
    void LogBlock(const std::string& block, int level) override { blocks.push_back({block, level}); }
    void LogText(const std::string& message, int level) override { texts.push_back({message, level}); }
    // The messages other than the connect notices.
    std::vector<LoggedEvent> outcomes() const {
        std::vector<LoggedEvent> found;
        for (const auto& event : texts)
            if (event.text.rfind("连接服务器 ", 0) != 0) found.push_back(event);
        return found;
    }
    std::vector<LoggedEvent> blocks;
    std::vector<LoggedEvent> texts;
};

// The texts of a typical installation, enough to tell every message apart.
extern const char* const kStandardBankIni;

class EngineFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Writes Bank.ini (UTF-8 text stored as GBK).
    void writeBankIni(const std::string& utf8Text);
    // Logs in to the scripted server with a one-account answer.
    void login(const std::string& tradeId = "8001234");
    // The transfer log of today, decoded.
    std::string transferLog() const;

    std::unique_ptr<TestFolder> folder;
    std::unique_ptr<ScopedAppPath> appPath;
    std::unique_ptr<ScriptedServer> server;
    RecordingSink sink;
};

}  // namespace vantrel::test
