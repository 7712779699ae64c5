// The session against the real simulated classroom: the orvane-classroom process on free loopback
// ports, the real CSession with its sockets and timers on this thread, and the recording host as
// the window. Each test checks what the user saw (the host's record) and what reached the peers
// (the classroom's JSON-lines log).
#pragma once

#include <gtest/gtest.h>

#include <QJsonArray>
#include <algorithm>
#include <atomic>
#include <memory>

#include "app/Language.h"
#include "app/Registry.h"
#include "protocol/EventLoopWait.h"
#include "protocol/Session.h"
#include "session/RecordingHost.h"
#include "sim/ClassroomHarness.h"

namespace orvane::testing {

using sim_test::LoggedTexts;
using sim_test::SimProcess;

// A wall clock that stands still unless the test moves it: the keep-alive test moves it by 10 s for
// every keep-alive the podium PC received, so the 40 s silence limit is reached in the product's
// order however fast or slow the machine runs.
class TestClock {
  public:
    std::chrono::system_clock::time_point Now() const {
        return base_ + std::chrono::milliseconds(offsetMs_.load());
    }
    void Shift(std::chrono::milliseconds by) { offsetMs_ += by.count(); }

  private:
    std::chrono::system_clock::time_point base_ = std::chrono::system_clock::now();
    std::atomic<long long> offsetMs_{0};
};

class SessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetRegistryRootFolder(registry_.path());
        SetRegistryProgramName("TavelonOrvane");
    }
    void TearDown() override { session_.reset(); }

    // Waits of the loading box cut to nothing; every time-out long enough never to fire unless a
    // test shortens it.
    static SessionTimings Timings() {
        SessionTimings t;
        t.loginWaitMs = 0;
        t.podiumWaitMs = 0;
        t.loginTimeoutMs = 30000;
        t.connectTimeoutMs = 30000;
        return t;
    }
    // The fallback to the relay needs the connect time-out; the relay then answers within it.
    static SessionTimings RelayTimings() {
        SessionTimings t = Timings();
        t.connectTimeoutMs = 500;
        return t;
    }
    // Keep-alives every 50 ms on the test's clock.
    SessionTimings KeepAliveTimings() {
        SessionTimings t = Timings();
        t.keepAliveMs = 50;
        t.clock = [clock = clock_] { return clock->Now(); };
        return t;
    }
    // Runs until `until` holds, moving the clock 10 s on for every keep-alive the podium PC got.
    bool RunKeepAlives(const std::function<bool()>& until) {
        long seen = 0;
        return RunEventsUntil([&] {
            const long sent = CountReceived("podium", "[RC00003]");
            if (sent > seen) {
                clock_->Shift(std::chrono::seconds(10) * (sent - seen));
                seen = sent;
            }
            return until();
        });
    }

    void StartClassroom(std::vector<std::string> args, bool knownTeacher = true) {
        if (knownTeacher)
            args.insert(args.end(), {"--teacher-id", "teacher01"});
        sim_ = std::make_unique<SimProcess>(args);
        ASSERT_TRUE(sim_->ready()) << sim_->Stderr();
    }

    void StartSession(const SessionTimings& timings, int loginPort = 0) {
        session_ = std::make_unique<CSession>(host_, timings);
        session_->Start(
            {u"teacher01", u"127.0.0.1", W(std::to_string(loginPort ? loginPort : sim_->login()))});
    }

    bool RunUntilFinished() {
        return RunEventsUntil([&] { return host_.finished(); });
    }

    std::vector<std::string> Received(const std::string& peer) const {
        return LoggedTexts(sim_->Log(), peer, "recv");
    }
    long CountReceived(const std::string& peer, const std::string& text) const {
        const auto texts = Received(peer);
        return std::count(texts.begin(), texts.end(), text);
    }
    bool WaitForReceived(const std::string& peer, const std::string& text, long times = 1) {
        return RunEventsUntil([&] { return CountReceived(peer, text) >= times; });
    }

    // Every check of something the pad sent that the classroom refused, as "<what>: <problems>".
    std::vector<std::string> FailedChecks() const {
        std::vector<std::string> failed;
        for (const QJsonObject& r : sim_->Log()) {
            if (r["event"].toString() != "check" || r["ok"].toBool())
                continue;
            std::string line = r["what"].toString().toStdString() + ":";
            for (const auto& problem : r["problems"].toArray())
                line += " " + problem.toString().toStdString();
            failed.push_back(line);
        }
        return failed;
    }
    // Connections the classroom accepted on one peer.
    long Connections(const std::string& peer) const {
        const auto log = sim_->Log();
        return std::count_if(log.begin(), log.end(), [&](const QJsonObject& r) {
            return r["event"].toString() == "connect" && r["peer"].toString().toStdString() == peer &&
                   !r.contains("side");
        });
    }
    int AdvertisedPodiumPort() const {
        for (const QJsonObject& r : sim_->Log())
            if (r["event"].toString() == "ready")
                return r["advertised_podium"].toInt();
        return 0;
    }

    static std::string S(int id) { return Str(id).toStdString(); }

    testing_support::TempFolder registry_;
    std::shared_ptr<TestClock> clock_ = std::make_shared<TestClock>();
    std::unique_ptr<SimProcess> sim_;
    RecordingHost host_;
    std::unique_ptr<CSession> session_;
};

}  // namespace orvane::testing
