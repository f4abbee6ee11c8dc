// The request engine against a scripted loopback server: frames, answers,
// rows, messages, the transfer log and the shared connection state.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <optional>

#include "EngineFixture.h"
#include "common/Clock.h"
#include "common/TextCodec.h"
#include "ProcessSession.h"
#include "protocol/PacketCodec.h"
#include "protocol/QueryRequests.h"
#include "protocol/TBuyBalanceRate.h"
#include "protocol/TVantrel.h"

namespace vantrel::test {
namespace {

using RequestEngine = EngineFixture;

const std::vector<std::string> kDetailColumns = {"TradeDate", "TradeTime", "ChangeMoney", "TradeType"};

std::vector<std::string> DetailRow(std::string date, std::string time, std::string money, std::string type) {
    return {std::move(date), std::move(time), std::move(money), std::move(type)};
}

std::vector<std::string> Items(std::vector<std::string> columns, std::vector<std::vector<std::string>> rows) {
    for (auto& row : rows) columns.insert(columns.end(), row.begin(), row.end());
    return columns;
}

// The value of a field in a request payload as the server received it.
std::string SentValue(const std::string& payload, const std::string& name) {
    const std::size_t count = static_cast<unsigned char>(payload[kHeaderCountOffset]);
    const auto items = SplitBody(std::string_view(payload).substr(kHeaderSize));
    for (std::size_t i = 0; i < count && count + i < items.size(); ++i)
        if (items[i] == name) return items[count + i];
    return "(not sent)";
}

std::chrono::system_clock::time_point LocalTime(int day, int hour, int minute, int second) {
    std::tm t{};
    t.tm_year = 124; t.tm_mon = 2; t.tm_mday = day; t.tm_hour = hour; t.tm_min = minute; t.tm_sec = second;
    t.tm_isdst = -1;
    return std::chrono::system_clock::from_time_t(std::mktime(&t));
}

TEST_F(RequestEngine, OrderIdRequestMatchesTheWorkedExampleByteForByte) {
    login();
    server->enqueue({AnswerFrame({"OrderID", "20240305000001"}, 1)});
    TQueryOrderID request(Process());
    request.BankCode = "005";
    request.CustTradeID = "8001234";
    ASSERT_TRUE(request.Execute()) << request.LastMessage;

    std::string expected = "120 20" "90007" "  " "20" + std::string(32, ' ') + "20   " "NN" "005" +
                           std::string(5, ' ') + '\x01' + "1   " + std::string(15, ' ') + "2" +
                           std::string(23, ' ') + "CustTradeID\x08" "8001234\x08";
    ASSERT_EQ(server->frames().size(), 2u);
    EXPECT_EQ(server->frames()[1], expected);
    EXPECT_EQ(request.ResultTable.text(0, "OrderID"), "20240305000001");
}

TEST_F(RequestEngine, ThreeFramesGiveAllRowsAndThreeSuccessBlocks) {
    login();
    auto frame = [&](std::vector<std::vector<std::string>> rows, bool last) {
        return AnswerFrame(Items(kDetailColumns, std::move(rows)), 4, "00000", last);
    };
    server->enqueue({frame({DetailRow("20240301", "090000", "100", "1")}, false) +
                     frame({DetailRow("20240302", "100000", "200", "0")}, false) +
                     frame({DetailRow("20240303", "110000", "300", "1"), DetailRow("20240304", "120000", "400", "0")}, true)});
    TQueryTransferMore query(Process());
    query.OwnerWindow = &sink;
    ASSERT_TRUE(query.Execute()) << query.LastMessage;
    ASSERT_EQ(query.ResultTable.recordCount(), 4u);
    EXPECT_EQ(query.ResultTable.text(3, "ChangeMoney"), "4.00");
    EXPECT_EQ(query.LastMessage, "转账明细查询成功");
    ASSERT_EQ(sink.outcomes().size(), 3u);
    for (const auto& event : sink.outcomes()) {
        EXPECT_EQ(event.text, "转账明细查询成功");
        EXPECT_EQ(event.level, LogInfo);
    }
}

TEST_F(RequestEngine, FailureInSecondFrameKeepsResultTrueWithFailureText) {
    login();
    server->enqueue({AnswerFrame(Items(kDetailColumns, {DetailRow("20240301", "090000", "100", "1")}), 4, "00000", false) +
                     AnswerFrame({"Code", "Text", "E2002", "系统繁忙"}, 2, "E2002", true)});
    TQueryTransferMore query(Process());
    EXPECT_TRUE(query.Execute());
    EXPECT_EQ(query.LastMessage, "E2002 : 系统繁忙");
    EXPECT_EQ(query.LastReturnCode, "E2002");
    EXPECT_EQ(query.ResultTable.recordCount(), 1u);
}

TEST_F(RequestEngine, ReturnCodeTextComesFromBankIniBeforeTheServersOwn) {
    login();
    server->enqueue({AnswerFrame({"Code", "Text", "E1002", "password wrong"}, 2, "E1002")});
    server->enqueue({AnswerFrame({"Code", "Text", "E3003", "余额不足"}, 2, "E3003")});
    TQueryMarketMoney query(Process());
    query.OwnerWindow = &sink;
    EXPECT_FALSE(query.Execute());
    EXPECT_EQ(query.LastMessage, "E1002 : 资金密码错误");
    EXPECT_FALSE(query.Execute());
    EXPECT_EQ(query.LastMessage, "E3003 : 余额不足");
    ASSERT_FALSE(sink.texts.empty());
    EXPECT_EQ(sink.texts.back().level, LogInfo);
}

TEST_F(RequestEngine, AFailureDescriptionWithUserDefinedCharactersIsShownNotDropped) {
    login();
    // "张" and a name character from the first user-defined area, as a
    // Windows machine of the bank writes them.
    const auto frame = BuildAnswerFrame({"E2005", true, 2}, "Code\x08Text\x08" "E2005\x08\xD5\xC5\xAA\xA1\x08",
                                        ScrambleFlag::Plain, kDefaultPacketKey);
    ASSERT_TRUE(frame.ok()) << frame.error();
    server->enqueue({frame.value()});
    TQueryMarketMoney query(Process());
    EXPECT_FALSE(query.Execute());
    EXPECT_EQ(query.LastMessage, "E2005 : 张\uE000");
}

TEST_F(RequestEngine, FormattedColumnsFollowTheCellRules) {
    login();
    server->enqueue({AnswerFrame(Items({"TradeDate", "TradeTime", "ChangeMoney", "Balance", "Memo"},
                                       {{"2024030512", "093005", "123456", "20240305", "20240305"},
                                        {"240305", "0930", "-5", "1", "x"},
                                        {"20240305", "093005", " ", "0", ""}}),
                                 5)});
    TQueryTransferMore query(Process());  // formats money, dates and times
    ASSERT_TRUE(query.Execute()) << query.LastMessage;
    const auto& t = query.ResultTable;
    ASSERT_EQ(t.recordCount(), 3u);
    EXPECT_EQ(t.text(0, "TradeDate"), "2024-03-05");  // ten digits: first eight
    EXPECT_EQ(t.text(0, "TradeTime"), "09:30:05");
    EXPECT_EQ(t.text(0, "ChangeMoney"), "1234.56");
    EXPECT_EQ(t.text(0, "Balance"), "202403.05");  // money wins over date
    EXPECT_EQ(t.text(0, "Memo"), "20240305");      // not listed: unchanged
    EXPECT_EQ(t.text(1, "TradeDate"), "240305");   // too short: unchanged
    EXPECT_EQ(t.text(1, "TradeTime"), "0930");
    EXPECT_EQ(t.text(1, "ChangeMoney"), "-0.05");
    EXPECT_EQ(t.text(1, "Balance"), "0.01");
    EXPECT_EQ(t.text(2, "ChangeMoney"), "0");  // blank money is zero
}

TEST_F(RequestEngine, MoneyThatIsNotANumberFailsTheLoadButNotTheRequest) {
    login();
    server->enqueue({AnswerFrame(Items({"ChangeMoney", "Memo"}, {{"100", "a"}, {"abc", "b"}, {"300", "c"}}), 2)});
    TQueryTransferMore query(Process());
    query.OwnerWindow = &sink;
    EXPECT_TRUE(query.Execute());
    EXPECT_EQ(query.LastMessage, "转账明细查询成功");
    EXPECT_EQ(query.ResultTable.recordCount(), 1u);  // rows before the failure stay
    const auto events = sink.outcomes();
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].level, LogWarning);
    EXPECT_EQ(events[0].text.rfind("数据载入失败 : ", 0), 0u) << events[0].text;
}

// The body is decoded whole; one bad pair must still load nothing and name
// the item it sits in.
TEST_F(RequestEngine, AnItemThatIsNotGbkLoadsNothingAndIsNamed) {
    login();
    const auto frame = BuildAnswerFrame({"00000", true, 2}, "Name\x08Memo\x08\xD6\xD0\x08ok\x08" "A\x81\x7F\x08" "b\x08",
                                        ScrambleFlag::Plain, kDefaultPacketKey);
    ASSERT_TRUE(frame.ok()) << frame.error();
    server->enqueue({frame.value()});
    TQueryMarketMoney query(Process());
    query.OwnerWindow = &sink;
    EXPECT_TRUE(query.Execute());
    EXPECT_EQ(query.ResultTable.recordCount(), 0u);
    const auto events = sink.outcomes();
    ASSERT_FALSE(events.empty());
    EXPECT_EQ(events[0].level, LogWarning);
    EXPECT_NE(events[0].text.find("应答含有无效的字符"), std::string::npos) << events[0].text;
    EXPECT_NE(events[0].text.find("0x81 0x7F"), std::string::npos) << events[0].text;
}

TEST_F(RequestEngine, ZeroColumnsWithABodyFailsTheLoad) {
    login();
    server->enqueue({AnswerFrame({"A", "1"}, 0)});
    TQueryMarketMoney query(Process());
    query.OwnerWindow = &sink;
    EXPECT_TRUE(query.Execute());
    ASSERT_FALSE(sink.outcomes().empty());
    EXPECT_EQ(sink.outcomes()[0].level, LogWarning);
}

TEST_F(RequestEngine, UnformattedRequestsKeepValuesAndLaterAnswersReplaceColumns) {
    login();
    server->enqueue({AnswerFrame(Items({"ChangeMoney", "TradeDate"}, {{"123456", "20240305"}}), 2)});
    server->enqueue({AnswerFrame(Items({"Balance"}, {{"5"}, {"6"}}), 1)});
    server->enqueue({AnswerFrame({}, 1)});  // empty body keeps the rows
    TQueryOrderID query(Process());  // format mode 0
    ASSERT_TRUE(query.Execute());
    EXPECT_EQ(query.ResultTable.text(0, "ChangeMoney"), "123456");
    EXPECT_EQ(query.ResultTable.text(0, "TradeDate"), "20240305");
    ASSERT_TRUE(query.Execute());
    ASSERT_EQ(query.ResultTable.fieldCount(), 1u);
    EXPECT_EQ(query.ResultTable.fields()[0].name, "Balance");
    EXPECT_EQ(query.ResultTable.recordCount(), 2u);
    ASSERT_TRUE(query.Execute());
    EXPECT_EQ(query.ResultTable.recordCount(), 2u);
}

TEST_F(RequestEngine, AFirstFrameTooShortToNameItsColumnsKeepsTheRowsBefore) {
    login();
    server->enqueue({AnswerFrame(Items({"A", "B"}, {{"1", "2"}}), 2)});
    server->enqueue({AnswerFrame({"X", "Y"}, 3)});
    TQueryOrderID query(Process());
    query.OwnerWindow = &sink;
    ASSERT_TRUE(query.Execute()) << query.LastMessage;
    ASSERT_TRUE(query.Execute()) << query.LastMessage;
    EXPECT_EQ(query.LastMessage, "订单号查询成功");
    ASSERT_EQ(query.ResultTable.fieldCount(), 2u);
    EXPECT_EQ(query.ResultTable.text(0, "B"), "2");
    for (const auto& event : sink.outcomes()) EXPECT_EQ(event.level, LogInfo) << event.text;
}

TEST_F(RequestEngine, AFailureAnswerWithFramesStillToComeClosesAKeptConnection) {
    auto ini = std::string(kStandardBankIni);
    ini.insert(ini.find("TimeOut="), "ConnectStyle=1\n");
    writeBankIni(ini);
    login();
    server->enqueue({AnswerFrame({"Code", "Text", "E2002", "系统繁忙"}, 2, "E2002", false) +
                     AnswerFrame({"A", "left over"}, 1)});
    server->enqueue({AnswerFrame({"A", "own answer"}, 1)});
    TQueryMarketMoney query(Process());
    EXPECT_FALSE(query.Execute());
    EXPECT_EQ(query.LastMessage, "E2002 : 系统繁忙");
    EXPECT_FALSE(SharedClient().connected());
    ASSERT_TRUE(query.Execute()) << query.LastMessage;
    EXPECT_EQ(query.ResultTable.text(0, "A"), "own answer");
}

TEST_F(RequestEngine, TradeDateAndTimeAreThoseOfSendingNotOfBeforeTheConnect) {
    login();
    // Just before midnight until the connection is made, just after once it is.
    SetClockForTesting([] {
        return SharedClient().connected() ? LocalTime(6, 0, 0, 1) : LocalTime(5, 23, 59, 59);
    });
    server->enqueue({AnswerFrame({"A", "1"}, 1)});
    TQueryMarketMoney query(Process());
    ASSERT_TRUE(query.Execute()) << query.LastMessage;
    const auto sent = server->requests().back();
    EXPECT_EQ(SentValue(sent, "TradeDate"), "20240306");
    EXPECT_EQ(SentValue(sent, "TradeTime"), "000001");
}

TEST_F(RequestEngine, DefaultSettingsConnectAndCloseForEveryRequest) {
    login();
    server->enqueue({AnswerFrame({"A", "1"}, 1)});
    server->enqueue({AnswerFrame({"A", "2"}, 1)});
    TQueryMarketMoney query(Process());
    query.OwnerWindow = &sink;
    ASSERT_TRUE(query.Execute());
    EXPECT_FALSE(SharedClient().connected());
    ASSERT_TRUE(query.Execute());
    EXPECT_EQ(server->connections(), 3);  // login + two queries
    // Connects are logged through the last-built request; no disconnect entries.
    int connects = 0;
    for (const auto& event : sink.texts) {
        EXPECT_EQ(event.text.find("断开"), std::string::npos);
        if (event.text.find("连接服务器 127.0.0.1:") == 0) ++connects;
    }
    EXPECT_EQ(connects, 2);
}

TEST_F(RequestEngine, ARequestWorksOverItsOwnSessionAndLogsToTheWindowItWasGiven) {
    server->enqueue({AnswerFrame({"BankID", "007"}, 1)});
    Session own;
    TBankLogin login(own, &sink);
    login.Settings.Host = "127.0.0.1";
    login.Settings.Port = server->port();
    login.Settings.CustTradeID = "8009999";
    ASSERT_TRUE(login.Execute()) << login.LastMessage;
    EXPECT_EQ(own.ActiveServer.TradeID, "8009999");
    EXPECT_TRUE(ActiveServer().TradeID.empty());  // the library's session is untouched
    ASSERT_FALSE(sink.texts.empty());
    EXPECT_EQ(sink.texts.front().text.find("连接服务器 127.0.0.1:"), 0u);
}

TEST_F(RequestEngine, KeptConnectionIsReusedAndReopenedAfterTheServerClosedIt) {
    auto ini = std::string(kStandardBankIni);
    ini.insert(ini.find("TimeOut="), "ConnectStyle=2\n");
    writeBankIni(ini);
    login();
    EXPECT_TRUE(KeepConnection());
    EXPECT_TRUE(SharedClient().connected());
    server->enqueue({AnswerFrame({"A", "1"}, 1)});
    TQueryMarketMoney query(Process());
    query.OwnerWindow = &sink;
    ASSERT_TRUE(query.Execute()) << query.LastMessage;
    EXPECT_EQ(server->connections(), 1);

    server->closeConnection();
    server->enqueue({AnswerFrame({"A", "2"}, 1)});
    // The first try finds the connection broken; the next one reconnects.
    bool ok = query.Execute();
    if (!ok) ok = query.Execute();
    EXPECT_TRUE(ok) << query.LastMessage;
    EXPECT_EQ(server->connections(), 2);
    EXPECT_EQ(query.ResultTable.text(0, "A"), "2");
}

TEST_F(RequestEngine, KeyFramesAreAdoptedAndTheKeyResetsOnDisconnect) {
    auto ini = std::string(kStandardBankIni);
    ini.insert(ini.find("TimeOut="), "ConnectStyle=1\n");
    writeBankIni(ini);
    login();
    // A flag-2 frame is read as an answer and becomes the key; the next
    // answer is scrambled with it.
    const std::string newKey = AnswerFrame({"K", "v"}, 1).substr(6);
    server->enqueue({AnswerFrame({"K", "v"}, 1, "00000", true, '2')});
    server->enqueue({AnswerFrame({"A", "scrambled"}, 1, "00000", true, '1', newKey)});
    TQueryMarketMoney query(Process());
    ASSERT_TRUE(query.Execute()) << query.LastMessage;
    EXPECT_EQ(query.ResultTable.text(0, "K"), "v");
    EXPECT_EQ(PacketKey(), newKey);
    ASSERT_TRUE(query.Execute()) << query.LastMessage;
    EXPECT_EQ(query.ResultTable.text(0, "A"), "scrambled");

    SharedClient().disconnect();
    EXPECT_EQ(PacketKey(), DefaultPacketKey);
}

TEST_F(RequestEngine, LogBlockIsWrittenExactlyAndTheMessageKeepsItsLineBreaks) {
    SetClockForTesting([] {
        std::tm t{};
        t.tm_year = 124; t.tm_mon = 2; t.tm_mday = 5; t.tm_hour = 9; t.tm_min = 30; t.tm_sec = 5;
        t.tm_isdst = -1;
        return std::chrono::system_clock::from_time_t(std::mktime(&t));
    });
    login("8001234");
    TQueryMarketMoney query(Process());
    query.OwnerWindow = &sink;
    query.LogEvent("第一行\r\n第二行", LogWarning);
    const std::string bar(27, '=');
    const std::string block = bar + "【市场资金查询】" + bar + "\r\n" + "时间：2024-03-05 09:30:05\r\n" +
                              "交易商：8001234\r\n" + "信息：第一行 第二行\r\n";
    ASSERT_EQ(sink.blocks.size(), 1u);
    EXPECT_EQ(sink.blocks[0].text, block);
    EXPECT_EQ(sink.blocks[0].level, LogWarning);
    EXPECT_EQ(sink.texts[0].text, "第一行\r\n第二行");
    const auto log = transferLog();
    EXPECT_NE(log.find(bar + "【登录】" + bar + "\r\n"), std::string::npos);
    EXPECT_EQ(log.substr(log.size() - block.size()), block);
    EXPECT_TRUE(folder->exists("logs/20240305.mlog"));
}

TEST_F(RequestEngine, EditedBankIniTextsShowInTheNextLogBlock) {
    TQueryMarketMoney query(Process());
    query.OwnerWindow = &sink;
    const auto ini = folder->path() / "Bank.ini";
    auto edit = [&](const std::string& label, std::optional<std::chrono::minutes> age) {
        writeBankIni("[Values]\nhn0007=" + label + "\n");
        if (age) std::filesystem::last_write_time(ini, std::filesystem::file_time_type::clock::now() - *age);
        query.LogEvent("x", LogInfo);
        return sink.blocks.back().text;
    };
    // Same size each time: only the file's time or a fresh read tells them apart.
    EXPECT_NE(edit("甲：", std::chrono::minutes(60)).find("甲：x"), std::string::npos);
    EXPECT_NE(edit("乙：", std::chrono::minutes(30)).find("乙：x"), std::string::npos);
    EXPECT_NE(edit("丙：", std::nullopt).find("丙：x"), std::string::npos);
    EXPECT_NE(edit("丁：", std::nullopt).find("丁：x"), std::string::npos) << "two edits within one clock tick";
}

TEST_F(RequestEngine, EventsAfterMidnightGoToTheNewDaysFile) {
    auto at = [](int day, int hour) {
        std::tm t{};
        t.tm_year = 124; t.tm_mon = 2; t.tm_mday = day; t.tm_hour = hour; t.tm_min = 59; t.tm_sec = 59;
        t.tm_isdst = -1;
        return std::chrono::system_clock::from_time_t(std::mktime(&t));
    };
    SetClockForTesting([&] { return at(5, 23); });
    TQueryMarketMoney query(Process());
    query.LogEvent("before", LogInfo);
    SetClockForTesting([&] { return at(6, 0); });
    query.LogEvent("after", LogInfo);
    EXPECT_NE(folder->read("logs/20240305.mlog").find("before"), std::string::npos);
    EXPECT_NE(folder->read("logs/20240306.mlog").find("after"), std::string::npos);
    EXPECT_EQ(folder->read("logs/20240306.mlog").find("before"), std::string::npos);
}

// Three answer frames of one row each: a request that logs four blocks
// (the connect and three successes).
std::string ThreeFrames() {
    std::string frames;
    for (int i = 1; i <= 3; ++i)
        frames += AnswerFrame(Items(kDetailColumns, {DetailRow("20240301", "090000", std::to_string(i), "1")}), 4,
                              "00000", i == 3);
    return frames;
}

std::size_t Count(const std::string& text, const std::string& part) {
    std::size_t count = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
    return count;
}

TEST_F(RequestEngine, TheBlocksOfOneRequestEndTheFileInTheOrderLogged) {
    login();
    server->enqueue({ThreeFrames()});
    TQueryTransferMore query(Process());
    query.OwnerWindow = &sink;
    ASSERT_TRUE(query.Execute()) << query.LastMessage;
    ASSERT_EQ(sink.blocks.size(), 4u);  // the connect and three successes
    std::string blocks;
    for (const auto& block : sink.blocks) blocks += block.text;
    const auto log = transferLog();
    ASSERT_GE(log.size(), blocks.size());
    EXPECT_EQ(log.substr(log.size() - blocks.size()), blocks);
}

TEST_F(RequestEngine, ADayChangeWithinARequestOpensTheNewDaysFile) {
    login();
    server->enqueue({ThreeFrames()});
    TQueryTransferMore query(Process());
    // Midnight passes once the second frame's row is in.
    SetClockForTesting([&] { return LocalTime(query.ResultTable.recordCount() < 2 ? 5 : 6, 0, 0, 1); });
    struct ForgetClock {
        ~ForgetClock() { SetClockForTesting({}); }  // before the query it looks at goes
    } forgetClock;
    ASSERT_TRUE(query.Execute()) << query.LastMessage;
    const auto before = GbkToUtf8(folder->read("logs/20240305.mlog")).valueOr("");
    const auto after = GbkToUtf8(folder->read("logs/20240306.mlog")).valueOr("");
    EXPECT_EQ(Count(before, "连接服务器 127.0.0.1:"), 1u);
    EXPECT_EQ(Count(before, "转账明细查询成功"), 1u);
    EXPECT_EQ(Count(after, "连接服务器 127.0.0.1:"), 0u);
    EXPECT_EQ(Count(after, "转账明细查询成功"), 2u);
}

TEST_F(RequestEngine, ADaysFileDeletedBetweenTwoRequestsIsMadeAgain) {
    login();
    SetClockForTesting([] { return LocalTime(5, 9, 0, 0); });
    server->enqueue({AnswerFrame({"A", "1"}, 1)});
    server->enqueue({AnswerFrame({"A", "2"}, 1)});
    TQueryMarketMoney query(Process());
    ASSERT_TRUE(query.Execute()) << query.LastMessage;
    std::filesystem::remove(folder->path() / "logs" / "20240305.mlog");
    ASSERT_TRUE(query.Execute()) << query.LastMessage;
    EXPECT_EQ(Count(GbkToUtf8(folder->read("logs/20240305.mlog")).valueOr(""), "市场资金查询成功"), 1u);
}

TEST_F(RequestEngine, ALogThatCannotBeWrittenFailsTheRequestWithTransferLogError) {
    login();
    folder->write("plainfile", "x");
    TQueryMarketMoney query(Process());
    query.Settings.LogPath = (folder->path() / "plainfile").string() + "/";
    server->enqueue({AnswerFrame({"A", "1"}, 1)});
    EXPECT_THROW(query.Execute(), TransferLogError);
}

TEST_F(RequestEngine, RequestsWithoutLoggingLeaveNoTraceEvenWhenTheyFail) {
    TQueryMarketMoney query(Process());
    query.OwnerWindow = &sink;
    query.LogEvents = false;
    ActiveServer().Host = "127.0.0.1";
    ActiveServer().Port = 1;  // nothing listens there
    ActiveServer().TimeOut = 500;
    EXPECT_FALSE(query.Execute());
    EXPECT_EQ(query.LastMessage, "连接服务器失败:");
    EXPECT_TRUE(sink.blocks.empty());
    EXPECT_TRUE(sink.texts.empty());
    EXPECT_FALSE(folder->exists("logs/" + FormatYmd(ToLocal(Now())) + ".mlog"));
}

TEST_F(RequestEngine, ConnectFailureReportsHn0001WithTheTransportText) {
    TQueryMarketMoney query(Process());
    query.OwnerWindow = &sink;
    ActiveServer() = TLoginInfo{"127.0.0.1", 1, "8001234", 500};
    EXPECT_FALSE(query.Execute());
    EXPECT_EQ(query.LastMessage, "连接服务器失败:");
    ASSERT_EQ(sink.texts.size(), 1u);
    EXPECT_EQ(sink.texts[0].level, LogError);
    EXPECT_GT(sink.texts[0].text.size(), query.LastMessage.size());
}

TEST_F(RequestEngine, BrokenAnswersReportHn0009) {
    login();
    server->enqueue({"120 2", true});  // a prefix cut short, then closed
    server->enqueue({"120 20" + std::string(120, ' ')});  // length written left-aligned
    TQueryMarketMoney query(Process());
    query.OwnerWindow = &sink;
    EXPECT_FALSE(query.Execute());
    EXPECT_EQ(query.LastMessage, "市场资金查询通讯失败:");
    EXPECT_EQ(sink.texts.back().level, LogError);
    EXPECT_FALSE(query.Execute());
    EXPECT_EQ(query.LastMessage, "市场资金查询通讯失败:");
}

TEST_F(RequestEngine, BadConnectTextFailsTheConnectInsteadOfFormattingGarbage) {
    auto ini = std::string(kStandardBankIni);
    ini.replace(ini.find("hn0002=连接服务器 %s:%d 成功"), std::string("hn0002=连接服务器 %s:%d 成功").size(),
                "hn0002=连接 %d %s %s");
    writeBankIni(ini);
    TBankLogin login(Process());
    login.OwnerWindow = &sink;
    login.Settings.Host = "127.0.0.1";
    login.Settings.Port = server->port();
    login.Settings.CustTradeID = "8001234";
    login.Settings.CustMoneyPwd = "1";
    EXPECT_FALSE(login.Execute());
    EXPECT_EQ(login.LastMessage, "连接服务器失败:");
    ASSERT_FALSE(sink.texts.empty());
    EXPECT_NE(sink.texts.back().text.find("hn0002"), std::string::npos);
}

TEST_F(RequestEngine, BadDisconnectTextIsReportedNotThrown) {
    auto ini = std::string(kStandardBankIni);
    ini.insert(ini.find("TimeOut="), "ConnectStyle=1\n");
    ini.replace(ini.find("hn0003=断开服务器 %s:%d"), std::string("hn0003=断开服务器 %s:%d").size(),
                "hn0003=断开 %d");
    writeBankIni(ini);
    login();
    ASSERT_TRUE(SharedClient().connected());
    TBankLogin again(Process());
    again.OwnerWindow = &sink;
    again.Settings.Host = "127.0.0.1";
    again.Settings.Port = server->port();
    again.Settings.CustTradeID = "8001234";
    again.Settings.CustMoneyPwd = "1";
    bool result = true;
    EXPECT_NO_THROW(result = again.Execute());
    EXPECT_FALSE(result);
    EXPECT_EQ(again.LastMessage, "登录通讯失败:");
    EXPECT_NE(sink.texts.back().text.find("hn0003"), std::string::npos);
    EXPECT_EQ(PacketKey(), DefaultPacketKey);  // the key is reset all the same
}

TEST_F(RequestEngine, ValuesTheWireCannotCarryAreRefusedBeforeSending) {
    login();
    TQueryMarketMoney query(Process());
    query.OwnerWindow = &sink;
    for (const std::string& bad : {std::string("a\x08" "b"), std::string("a\nb"), std::string("a\rb"),
                                  std::string("a\0b", 3), std::string("😀"), std::string(9990, '9')}) {
        query.Memo = bad;
        EXPECT_FALSE(query.Execute());
        EXPECT_EQ(query.LastMessage.rfind("市场资金查询请求未发送：", 0), 0u) << query.LastMessage;
        EXPECT_EQ(sink.texts.back().level, LogError);
    }
    EXPECT_EQ(server->requests().size(), 1u);  // only the login reached the server
    EXPECT_EQ(server->connections(), 1);
}

TEST_F(RequestEngine, AnAnswerThatNeverComesTimesOutAndWarnsAboutTransfers) {
    auto ini = std::string(kStandardBankIni);
    ini.replace(ini.find("ReadTimeOut=3000"), std::string("ReadTimeOut=3000").size(), "ReadTimeOut=300");
    writeBankIni(ini);
    login();
    server->enqueue({"", false, true});
    TVantrel transfer(Process());
    transfer.OwnerWindow = &sink;
    transfer.Direction = 1;
    transfer.ChangeMoney = "10000";
    const auto started = std::chrono::steady_clock::now();
    EXPECT_FALSE(transfer.Execute());
    EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(5));
    EXPECT_EQ(transfer.LastMessage.rfind("入金通讯失败:服务器在 1 秒内没有应答", 0), 0u) << transfer.LastMessage;
    EXPECT_NE(transfer.LastMessage.find("结果未知"), std::string::npos);
    EXPECT_EQ(sink.texts.back().level, LogError);
    EXPECT_FALSE(SharedClient().connected());  // a late answer is never read as the next one

    server->enqueue({"", false, true});
    TQueryMarketMoney query(Process());
    EXPECT_FALSE(query.Execute());
    EXPECT_EQ(query.LastMessage.find("结果未知"), std::string::npos);
}

TEST_F(RequestEngine, AnExchangeWhoseAnswerTimedOutIsCheckedInTheExchangeRecords) {
    auto ini = std::string(kStandardBankIni);
    ini.replace(ini.find("ReadTimeOut=3000"), std::string("ReadTimeOut=3000").size(), "ReadTimeOut=300");
    writeBankIni(ini);
    login();
    server->enqueue({"", false, true});
    TBuyBalanceRate exchange(Process());
    exchange.ChangeMoney = "10000";
    EXPECT_FALSE(exchange.Execute());
    EXPECT_NE(exchange.LastMessage.find("结果未知，请先通过“外汇明细查询”确认结果"), std::string::npos)
        << exchange.LastMessage;
    EXPECT_EQ(exchange.LastMessage.find("转账明细"), std::string::npos);
}

}  // namespace
}  // namespace vantrel::test
