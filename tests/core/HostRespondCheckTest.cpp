#include "servers/THostRespondCheck.h"

#include "support/LoopbackPorts.h"

#include <asio.hpp>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>

namespace vantrel {
namespace {

using namespace std::chrono_literals;

struct Event {
    enum Kind { Status, First, End } kind;
    int32_t hostId = 0;
    int code = 0;
    std::string text;
};

class Recorder : public HostCheckListener {
public:
    // Runs on the worker thread inside checkStatus, after the event is stored.
    std::function<void(int32_t hostId, int code)> onStatus;

    void checkStatus(int32_t hostId, int code, const std::string& text) override {
        Push({Event::Status, hostId, code, text});
        if (onStatus) onStatus(hostId, code);
    }
    void checkFirst() override { Push({Event::First, 0, 0, {}}); }
    void checkEnd(const std::string& text) override { Push({Event::End, 0, 0, text}); }

    std::vector<Event> Events() const {
        std::lock_guard lock(mutex_);
        return events_;
    }
    size_t Count(Event::Kind kind) const {
        auto all = Events();
        return std::count_if(all.begin(), all.end(), [&](const Event& e) { return e.kind == kind; });
    }
    bool WaitFor(std::function<bool(const std::vector<Event>&)> done) {
        std::unique_lock lock(mutex_);
        return changed_.wait_for(lock, 5s, [&] { return done(events_); });
    }
    bool WaitForEnds(size_t n) {
        return WaitFor([n](const auto& all) {
            return static_cast<size_t>(std::count_if(all.begin(), all.end(), [](const Event& e) {
                       return e.kind == Event::End;
                   })) >= n;
        });
    }
    bool WaitForStatus(int32_t hostId, int code) {
        return WaitFor([=](const auto& all) {
            return std::any_of(all.begin(), all.end(), [&](const Event& e) {
                return e.kind == Event::Status && e.hostId == hostId && e.code == code;
            });
        });
    }

private:
    void Push(Event e) {
        std::lock_guard lock(mutex_);
        events_.push_back(std::move(e));
        changed_.notify_all();
    }
    mutable std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Event> events_;
};

// Status codes one host went through, in notice order.
std::vector<int> CodesOf(const std::vector<Event>& events, int32_t hostId) {
    std::vector<int> codes;
    for (const auto& e : events)
        if (e.kind == Event::Status && e.hostId == hostId) codes.push_back(e.code);
    return codes;
}

using test::LoopbackPorts;

// A checker whose notices a recorder keeps, and loopback ports to probe.
struct ObservedCheck {
    ObservedCheck() { check.SetListener(&rec); }
    LoopbackPorts net;
    Recorder rec;
    THostRespondCheck check;
};

TEST(HostRespondCheck, AddHostTakesDottedIPv4AndUniqueKeysOnly) {
    THostRespondCheck check;
    // The short and octal/hex forms Windows' own parser would take, too.
    for (const char* bad : {"localhost", "255.255.255.255", "1.2.3", "1.2.3.4.5", "", "300.1.1.1",
                            "127.0.0.1 ", "127.1", "0x7f.0.0.1", "010.0.0.1", "1.2.3.4.", "1..2.3",
                            "1.2.3.256"}) {
        EXPECT_FALSE(check.AddHost(9, bad, 80)) << bad;
        EXPECT_EQ(check.LastError(), "无效的IP地址") << bad;
    }
    EXPECT_TRUE(check.AddHost(1, "127.0.0.1", 11111));
    EXPECT_TRUE(check.LastError().empty());
    EXPECT_TRUE(check.AddHost(7, "10.1.2.3", 80));

    EXPECT_FALSE(check.AddHost(1, "127.0.0.2", 22));
    EXPECT_EQ(check.LastError(), "该主机信息已经存在");
    EXPECT_TRUE(check.AddHost(2, "127.0.0.2", 22));
    EXPECT_TRUE(check.LastError().empty());

    EXPECT_EQ(check.HostCount(), 3);
    EXPECT_EQ(check.IndexOfHost(7), 1);
    EXPECT_EQ(check.IndexOfHost(9), -1);
    EXPECT_FALSE(check.HostAt(-1));
    EXPECT_FALSE(check.HostAt(3));
    ASSERT_TRUE(check.HostAt(2));
    EXPECT_EQ(check.HostAt(2)->HostID, 2);
    auto found = check.FindHost(1);
    ASSERT_TRUE(found);
    EXPECT_EQ(found->IP, "127.0.0.1");
    EXPECT_EQ(found->Port, 11111);
    EXPECT_EQ(found->State, hsUntested);
    EXPECT_EQ(found->Tries, 0);
    EXPECT_FALSE(check.FindHost(9));

    check.ClearHosts();
    EXPECT_EQ(check.HostCount(), 0);
    EXPECT_FALSE(check.ChooseBestHost());
}

TEST(HostRespondCheck, StatusTexts) {
    EXPECT_EQ(THostRespondCheck::StatusText(0), "开始检测");
    EXPECT_EQ(THostRespondCheck::StatusText(1), "该主机未测试");
    EXPECT_EQ(THostRespondCheck::StatusText(2), "正在检测");
    EXPECT_EQ(THostRespondCheck::StatusText(3), "连接成功");
    EXPECT_EQ(THostRespondCheck::StatusText(4), "未知状态");
    EXPECT_EQ(THostRespondCheck::StatusText(5), "连接超时");
    EXPECT_EQ(THostRespondCheck::StatusText(6), "检测中断");
    EXPECT_EQ(THostRespondCheck::StatusText(7), "检测完成");
    EXPECT_EQ(THostRespondCheck::StatusText(-1), "未知状态");
    EXPECT_EQ(THostRespondCheck::StatusText(8), "未知状态");
}

TEST(HostRespondCheck, ReachableHostNoticesInOrder) {
    ObservedCheck run;
    auto& [net, rec, check] = run;
    ASSERT_TRUE(check.AddHost(4, "127.0.0.1", net.Open()));
    ASSERT_TRUE(check.StartCheck(1));
    ASSERT_TRUE(rec.WaitForEnds(1));
    EXPECT_FALSE(check.IsChecking());

    auto events = rec.Events();
    ASSERT_EQ(events.size(), 5u);
    EXPECT_EQ(events[0].kind, Event::Status);
    EXPECT_EQ(events[0].hostId, 0);
    EXPECT_EQ(events[0].text, "开始检测");
    EXPECT_EQ(events[1].hostId, 4);
    EXPECT_EQ(events[1].text, "正在检测");
    EXPECT_EQ(events[2].hostId, 4);
    EXPECT_EQ(events[2].text, "连接成功");
    EXPECT_EQ(events[3].kind, Event::First);
    EXPECT_EQ(events[4].kind, Event::End);
    EXPECT_EQ(events[4].text, "检测中断");

    auto host = check.FindHost(4);
    EXPECT_EQ(host->State, hsConnected);
    EXPECT_EQ(host->Tries, 1);
    EXPECT_GE(host->RespondTime, 0);
    EXPECT_EQ(check.ChooseBestHost()->HostID, 4);
}

TEST(HostRespondCheck, RefusingHostIsGivenUpAfterThreeAttempts) {
    ObservedCheck run;
    auto& [net, rec, check] = run;
    ASSERT_TRUE(check.AddHost(1, "127.0.0.1", LoopbackPorts::Closed()));
    check.StartCheck(1);
    ASSERT_TRUE(rec.WaitForEnds(1));

    // Each attempt: taken, failed; then given up once, not re-announced.
    EXPECT_EQ(CodesOf(rec.Events(), 1), (std::vector<int>{2, 5, 2, 5, 2, 5, 5}));
    auto host = check.FindHost(1);
    EXPECT_EQ(host->State, hsTimeout);
    EXPECT_EQ(host->Tries, 3);
    EXPECT_EQ(rec.Count(Event::First), 0u);
    EXPECT_FALSE(check.ChooseBestHost());
    EXPECT_EQ(rec.Events().back().kind, Event::End);
}

TEST(HostRespondCheck, StalledConnectIsBoundedAndTriesAreInjectable) {
    ObservedCheck run;
    auto& [net, rec, check] = run;
    check.SetConnectTimeout(100ms);
    check.SetMaxTries(2);
    ASSERT_TRUE(check.AddHost(1, "127.0.0.1", net.Stalled()));
    check.StartCheck(1);
    ASSERT_TRUE(rec.WaitForEnds(1));
    EXPECT_EQ(CodesOf(rec.Events(), 1), (std::vector<int>{2, 5, 2, 5, 5}));
    EXPECT_EQ(check.FindHost(1)->Tries, 2);
    EXPECT_EQ(check.FindHost(1)->State, hsTimeout);
}

TEST(HostRespondCheck, PortOutsideTcpRangeIsNeverConnected) {
    ObservedCheck run;
    auto& [net, rec, check] = run;
    const uint16_t open = net.Open();
    // Would reach the open port if the number were cut to 16 bits.
    ASSERT_TRUE(check.AddHost(1, "127.0.0.1", open + 65536));
    check.StartCheck(1);
    ASSERT_TRUE(rec.WaitForEnds(1));
    EXPECT_EQ(check.FindHost(1)->State, hsTimeout);
}

TEST(HostRespondCheck, ParallelRunSendsFirstAndEndOnce) {
    ObservedCheck run;
    auto& [net, rec, check] = run;
    for (int32_t id = 1; id <= 3; ++id) ASSERT_TRUE(check.AddHost(id, "127.0.0.1", net.Open()));
    for (int32_t id = 4; id <= 5; ++id)
        ASSERT_TRUE(check.AddHost(id, "127.0.0.1", LoopbackPorts::Closed()));
    check.StartCheck(static_cast<uint16_t>(check.HostCount()));
    ASSERT_TRUE(rec.WaitForEnds(1));
    check.StopCheck();  // after a natural end: joins only, no second end

    auto events = rec.Events();
    EXPECT_EQ(rec.Count(Event::First), 1u);
    EXPECT_EQ(rec.Count(Event::End), 1u);
    EXPECT_EQ(events.front().hostId, 0);
    EXPECT_EQ(events.back().kind, Event::End);
    for (int32_t id = 1; id <= 3; ++id) {
        EXPECT_EQ(check.FindHost(id)->State, hsConnected) << id;
        EXPECT_EQ(CodesOf(events, id), (std::vector<int>{2, 3})) << id;
    }
    for (int32_t id = 4; id <= 5; ++id) EXPECT_EQ(check.FindHost(id)->State, hsTimeout) << id;
    for (int i = 0; i < 20; ++i) EXPECT_LE(check.ChooseBestHost()->HostID, 3);
}

TEST(HostRespondCheck, ZeroWorkersStartAndEndNothing) {
    ObservedCheck run;
    auto& [net, rec, check] = run;
    ASSERT_TRUE(check.AddHost(1, "127.0.0.1", 1));
    EXPECT_TRUE(check.StartCheck(0));
    EXPECT_FALSE(check.IsChecking());
    check.StopCheck();
    auto events = rec.Events();
    ASSERT_EQ(events.size(), 1u);
    EXPECT_EQ(events[0].code, hsStart);
}

TEST(HostRespondCheck, StopCheckAbortsStalledConnectAndEndsOnce) {
    ObservedCheck run;
    auto& [net, rec, check] = run;
    check.StopCheck();  // no run: nothing
    EXPECT_TRUE(rec.Events().empty());

    check.SetConnectTimeout(20s);
    ASSERT_TRUE(check.AddHost(1, "127.0.0.1", net.Stalled()));
    check.StartCheck(1);
    EXPECT_TRUE(check.IsChecking());
    ASSERT_TRUE(rec.WaitForStatus(1, hsChecking));

    const auto before = std::chrono::steady_clock::now();
    check.StopCheck();
    EXPECT_LT(std::chrono::steady_clock::now() - before, 10s);  // did not wait out the connect
    EXPECT_FALSE(check.IsChecking());
    EXPECT_EQ(rec.Count(Event::End), 1u);
    EXPECT_EQ(rec.Events().back().kind, Event::End);
    // A cut-short attempt is no verdict on the host.
    EXPECT_EQ(check.FindHost(1)->State, hsUntested);
    EXPECT_EQ(CodesOf(rec.Events(), 1), (std::vector<int>{2}));

    const size_t seen = rec.Events().size();
    check.StopCheck();
    EXPECT_EQ(rec.Events().size(), seen);
}

TEST(HostRespondCheck, RestartMidRunEndsOldRunAndStartsClean) {
    ObservedCheck run;
    auto& [net, rec, check] = run;
    check.SetConnectTimeout(20s);
    ASSERT_TRUE(check.AddHost(1, "127.0.0.1", net.Stalled()));
    check.StartCheck(1);
    ASSERT_TRUE(rec.WaitForStatus(1, hsChecking));

    check.SetConnectTimeout(50ms);
    check.StartCheck(1);
    ASSERT_TRUE(rec.WaitForEnds(2));

    // start, end, start, end: never two runs' notices interleaved.
    std::vector<std::string> marks;
    for (const auto& e : rec.Events()) {
        if (e.kind == Event::End) marks.push_back("end");
        if (e.kind == Event::Status && e.code == hsStart) marks.push_back("start");
    }
    EXPECT_EQ(marks, (std::vector<std::string>{"start", "end", "start", "end"}));
    auto host = check.FindHost(1);
    EXPECT_EQ(host->Tries, 3);  // the new run's own attempts only
    EXPECT_EQ(host->State, hsTimeout);
}

TEST(HostRespondCheck, DestructorStopsRunningWorkers) {
    LoopbackPorts net;
    Recorder rec;
    {
        THostRespondCheck check;
        check.SetListener(&rec);
        check.SetConnectTimeout(20s);
        ASSERT_TRUE(check.AddHost(1, "127.0.0.1", net.Stalled()));
        ASSERT_TRUE(check.AddHost(2, "127.0.0.1", net.Stalled()));
        check.StartCheck(2);
        ASSERT_TRUE(rec.WaitForStatus(2, hsChecking));
    }
    EXPECT_EQ(rec.Count(Event::End), 1u);
}

// A connector that takes as long as the table says on a clock that only it moves.
struct ScriptedNet {
    std::atomic<int64_t> clock{1000};
    std::map<int32_t, int64_t> delayByPort;

    THostRespondCheck::ProbeHooks Hooks() {
        return {[this] { return clock.load(); },
                [this](const THostInfo& host, std::chrono::milliseconds) {
                    clock += delayByPort.at(host.Port);
                    return true;
                }};
    }
};

// Probes hosts 1..n on the scripted net with one worker (the clock moves for
// one connect at a time), then counts ChooseBestHost's picks.
std::map<int32_t, int> PicksAfterScriptedRun(THostRespondCheck& check,
                                             const std::vector<int64_t>& delays, int rounds) {
    ScriptedNet net;
    Recorder rec;
    check.SetListener(&rec);
    check.SetProbeHooks(net.Hooks());
    for (int32_t id = 1; id <= static_cast<int32_t>(delays.size()); ++id) {
        net.delayByPort[id] = delays[static_cast<size_t>(id - 1)];
        EXPECT_TRUE(check.AddHost(id, "127.0.0.1", id));
    }
    check.StartCheck(1);
    EXPECT_TRUE(rec.WaitForEnds(1));
    check.SetListener(nullptr);
    for (int32_t id = 1; id <= static_cast<int32_t>(delays.size()); ++id)
        EXPECT_EQ(check.FindHost(id)->RespondTime, delays[static_cast<size_t>(id - 1)]);
    std::map<int32_t, int> picks;
    for (int i = 0; i < rounds; ++i) ++picks[check.ChooseBestHost()->HostID];
    return picks;
}

TEST(HostRespondCheck, ChooseBestHostPicksAtRandomWithinTolerance) {
    THostRespondCheck check;
    auto picks = PicksAfterScriptedRun(check, {10, 40, 70}, 300);
    EXPECT_EQ(picks[3], 0);
    EXPECT_GT(picks[1], 60);
    EXPECT_GT(picks[2], 60);

    check.SetTolerance(0);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(check.ChooseBestHost()->HostID, 1);

    THostRespondCheck edge;  // the limit itself still counts as fast
    picks = PicksAfterScriptedRun(edge, {10, 60, 61}, 200);
    EXPECT_GT(picks[2], 0);
    EXPECT_EQ(picks[3], 0);
}

TEST(HostRespondCheck, HostConnectingOnLastAttemptStaysConnected) {
    ObservedCheck run;
    auto& [net, rec, check] = run;
    const uint16_t port = LoopbackPorts::Closed();
    ASSERT_TRUE(check.AddHost(1, "127.0.0.1", port));
    // The port opens after the second failed attempt, so the third connects.
    int failures = 0;
    rec.onStatus = [&failures, &ports = run.net, port](int32_t, int code) {  // a lambda may not name a binding
        if (code == hsTimeout && ++failures == 2) ports.Open(port);
    };
    check.StartCheck(1);  // the worker rescans after the connect, where the old fault struck
    ASSERT_TRUE(rec.WaitForEnds(1));

    EXPECT_EQ(CodesOf(rec.Events(), 1), (std::vector<int>{2, 5, 2, 5, 2, 3}));
    auto host = check.FindHost(1);
    EXPECT_EQ(host->State, hsConnected);
    EXPECT_EQ(host->Tries, 3);
    EXPECT_EQ(rec.Count(Event::First), 1u);
    ASSERT_TRUE(check.ChooseBestHost());
    EXPECT_EQ(check.ChooseBestHost()->HostID, 1);
}

TEST(HostRespondCheck, LastAttemptInProgressIsNotGivenUpByOtherWorkers) {
    // Host 1 connects on its third attempt while a second worker keeps scanning.
    std::atomic<int> attempts{0};
    std::atomic<bool> release{false};
    THostRespondCheck::ProbeHooks hooks;
    hooks.connect = [&](const THostInfo& host, std::chrono::milliseconds) {
        if (host.HostID != 1) return false;
        if (++attempts < 3) return false;
        while (!release) std::this_thread::sleep_for(1ms);
        return true;
    };
    Recorder rec;
    THostRespondCheck check;
    check.SetListener(&rec);
    check.SetProbeHooks(hooks);
    ASSERT_TRUE(check.AddHost(1, "127.0.0.1", 1));
    ASSERT_TRUE(check.AddHost(2, "127.0.0.1", 2));
    check.StartCheck(2);
    // Host 2 is given up by a scan that passes host 1 mid-attempt.
    ASSERT_TRUE(rec.WaitFor([](const auto& all) {
        return CodesOf(all, 2) == std::vector<int>{2, 5, 2, 5, 2, 5, 5};
    }));
    EXPECT_EQ(check.FindHost(1)->State, hsChecking);
    release = true;
    ASSERT_TRUE(rec.WaitForEnds(1));
    EXPECT_EQ(check.FindHost(1)->State, hsConnected);
    EXPECT_EQ(check.ChooseBestHost()->HostID, 1);
}

}  // namespace
}  // namespace vantrel
