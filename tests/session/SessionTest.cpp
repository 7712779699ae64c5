// The session end to end against the simulated classroom: the direct and the relay path, every
// time-out of the handshake and of the connection, the password prompt, the refusal retry, the
// podium PC's and the servers' ways of ending the session, and the answers the pad must reject.
#include <QTcpServer>
#include <cctype>

#include "session/SessionFixture.h"

namespace orvane::testing {
namespace {

using Answer = RecordingHost::PasswordAnswer;

TEST_F(SessionTest, DirectPathShowsTheWindowOnAcceptance) {
    StartClassroom({});
    StartSession(Timings());
    ASSERT_TRUE(RunEventsUntil([&] { return host_.Saw("check:1008=0") || host_.finished(); }));

    // Progress texts, then the window only once the teacher program accepted the pad; the status
    // that follows the announcement sets the buttons.
    const std::vector<std::string> first(host_.calls.begin(),
                                         host_.calls.begin() + std::min<std::size_t>(8, host_.calls.size()));
    EXPECT_EQ(first, (std::vector<std::string>{"loading:" + S(1522), "hide-loading", "loading:" + S(1520),
                                               "hide-loading", "shown:1", "monitor-button:1", "check:1006=0",
                                               "check:1008=0"}));
    ASSERT_TRUE(WaitForReceived("podium", "[RC00023]1"));
    EXPECT_EQ(Received("podium"),
              (std::vector<std::string>{"[RC00022]1,Reserved,Reserved", "[RC00001]3.0.1.1007",
                                        "[RC00010]1920,1080", "[RC00023]1"}));
    ASSERT_EQ(Received("login").size(), 1u);
    EXPECT_EQ(Received("login")[0].rfind("[US00001]3,teacher01,", 0), 0u);
    EXPECT_EQ(FailedChecks(), std::vector<std::string>{});

    EXPECT_EQ(session_->mode(), CSession::kModeDirect);
    const CRHInfo& rh = session_->rhInfo();
    EXPECT_EQ(rh.TeacherVersion(), u"2.0.1.1080");
    EXPECT_EQ(rh.monitorCount, 2);
    EXPECT_EQ(rh.selectedMonitor, 1);
    EXPECT_EQ(rh.tileWidth, 80);
    EXPECT_EQ(rh.Monitor(), (MonitorRect{0, 0, 1280, 720}));
    std::lock_guard guard(rh.lock);
    EXPECT_EQ(rh.frameImage.size(), QSize(1280, 720));
}

// A teacher program before 2.0.1.1068 has no monitor choice: the pad hides the button and names no
// monitor, and tells the podium PC its screen size.
TEST_F(SessionTest, OldTeacherProgramGetsNoMonitorChoice) {
    StartClassroom({"--scenario", "podium-old"});
    host_.screen = QSize(1920, 1200);
    StartSession(Timings());
    ASSERT_TRUE(WaitForReceived("podium", "[RC00023]-1"));
    EXPECT_TRUE(WaitForReceived("podium", "[RC00010]1920,1200"));
    EXPECT_TRUE(host_.Saw("monitor-button:0"));
    EXPECT_FALSE(host_.Saw("monitor-button:1"));
    EXPECT_EQ(session_->rhInfo().TeacherVersion(), u"2.0.1.1000");
}

struct RelayCase {
    const char* scenario;
    const char* identification;
};

class RelayPathTest : public SessionTest, public ::testing::WithParamInterface<RelayCase> {};

// The podium PC refuses; after the connect time-out the pad logs in again and takes the relay,
// every packet to the podium PC inside an envelope with the relay's numbers.
TEST_P(RelayPathTest, FallsBackOnceAndTalksThroughEnvelopes) {
    StartClassroom({"--scenario", GetParam().scenario});
    StartSession(RelayTimings());
    ASSERT_TRUE(RunEventsUntil([&] { return host_.shown || host_.finished(); }));
    EXPECT_EQ(host_.Messages(), std::vector<std::string>{});
    EXPECT_EQ(session_->mode(), CSession::kModeRelay);

    ASSERT_TRUE(WaitForReceived("podium", "[RC00023]1"));
    EXPECT_EQ(Connections("login"), 2);
    EXPECT_EQ(Received("relay").at(0), GetParam().identification);
    EXPECT_EQ(Received("relay").at(1), "[PC_CONN]");
    EXPECT_EQ(Received("podium"),
              (std::vector<std::string>{"[RC00022]1,Reserved,Reserved", "[RC00001]3.0.1.1007",
                                        "[RC00010]1920,1080", "[RC00023]1"}));
    // The classroom checks the envelope ids of every packet; none was wrong.
    EXPECT_EQ(FailedChecks(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Relays, RelayPathTest,
                         ::testing::Values(RelayCase{"relay", "[US00001]teacher01,orvane,1"},
                                           RelayCase{"relay-old", "[US00001]teacher01,orvane"},
                                           RelayCase{"relay-999", "[US00001]teacher01,orvane,1"}));

TEST_F(SessionTest, UnreachablePodiumWithoutRelayNamesTheAddress) {
    StartClassroom({"--scenario", "direct-refused-no-relay"});
    SessionTimings t = Timings();
    t.connectTimeoutMs = 200;
    StartSession(t);
    ASSERT_TRUE(RunUntilFinished());
    EXPECT_EQ(host_.Messages(), std::vector<std::string>{
                                    S(231) + "(127.0.0.1:" + std::to_string(AdvertisedPodiumPort()) + ")"});
    EXPECT_TRUE(host_.ended);
    EXPECT_FALSE(host_.Saw("shown:1"));
    EXPECT_EQ(Connections("login"), 1);
    EXPECT_EQ(Connections("relay"), 0);
}

TEST_F(SessionTest, SilentLoginServerTimesOut) {
    StartClassroom({"--scenario", "login-silent"});
    SessionTimings t = Timings();
    t.loginTimeoutMs = 200;
    StartSession(t);
    ASSERT_TRUE(RunUntilFinished());
    EXPECT_EQ(host_.calls,
              (std::vector<std::string>{"loading:" + S(1522), "hide-loading", "message:" + S(230), "end"}));
    EXPECT_EQ(Connections("login"), 1);
    EXPECT_EQ(Received("login"), std::vector<std::string>{});
}

TEST_F(SessionTest, RefusedLoginConnection) {
    StartClassroom({});
    // A port that nothing listens on: taken from the system, then let go.
    QTcpServer probe;
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost));
    const int port = probe.serverPort();
    probe.close();
    StartSession(Timings(), port);
    ASSERT_TRUE(RunUntilFinished());
    EXPECT_EQ(host_.calls, (std::vector<std::string>{"loading:" + S(1522), "shown:1", "hide-loading",
                                                     "message:" + S(205), "end"}));
    EXPECT_EQ(Connections("login"), 0);
}

struct RefusalCase {
    const char* language;
    const char* shown;
};

class RefusalTest : public SessionTest, public ::testing::WithParamInterface<RefusalCase> {
  protected:
    void TearDown() override {
        SessionTest::TearDown();
        g_languageModule = nullptr;
        g_languageCode = u"Kor";
    }
    std::unique_ptr<LanguageModule> pack_;
};

// A known Korean refusal is shown as the server sent it under Korean, and as the language pack's
// text under English; then the login dialog comes back, and Cancel ends without another word.
TEST_P(RefusalTest, ShowsTheRefusalInTheUsersLanguageThenTheLoginDialog) {
    if (std::string(GetParam().language) == "Eng") {
        pack_ = LanguageModule::LoadPack(ORVANE_ENGLISH_PACK);
        ASSERT_NE(pack_, nullptr);
        g_languageModule = pack_.get();
        g_languageCode = u"Eng";
    }
    StartClassroom({"--scenario", "login-refuse-no-teacher"});
    StartSession(Timings());
    ASSERT_TRUE(RunUntilFinished());
    EXPECT_EQ(host_.WithPrefix("message:"), std::vector<std::string>{GetParam().shown});
    EXPECT_EQ(host_.WithPrefix("login-dialog:"), std::vector<std::string>{"teacher01"});
    EXPECT_TRUE(host_.ended);
    EXPECT_EQ(Connections("login"), 1);
    EXPECT_EQ(Received("login"), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Languages, RefusalTest,
                         ::testing::Values(RefusalCase{"Kor", "일치하는 선생님 정보를 찾을 수 없습니다."},
                                           RefusalCase{"Eng", "No matching teacher information was found."}));

TEST_F(SessionTest, RefusalRetryLogsInWithTheNewTeacherId) {
    StartClassroom({"--scenario", "login-refuse-once"}, false);
    host_.loginAnswer = LoginTarget{u"teacher02", u"127.0.0.1", W(std::to_string(sim_->login()))};
    StartSession(Timings());
    ASSERT_TRUE(RunEventsUntil([&] { return host_.shown || host_.finished(); }));
    EXPECT_TRUE(host_.shown);
    EXPECT_EQ(host_.WithPrefix("login-dialog:"), std::vector<std::string>{"teacher01"});
    EXPECT_EQ(ProfileReadString(u"config", u"teacherid", u""), u"teacher02");
    ASSERT_EQ(Received("login").size(), 1u);
    EXPECT_EQ(Received("login")[0].rfind("[US00001]3,teacher02,", 0), 0u);
    EXPECT_EQ(Connections("login"), 2);
}

TEST_F(SessionTest, RightPasswordShowsTheWindowAgain) {
    StartClassroom({"--scenario", "password"});
    host_.passwords = {{Answer::kOk, "1234"}};
    StartSession(Timings());
    ASSERT_TRUE(WaitForReceived("podium", "[RC00023]1"));
    // The showing runs from its own timer, which may fire after the podium PC got the settings.
    ASSERT_TRUE(RunEventsUntil([&] { return host_.WithPrefix("shown:").size() >= 3; }));
    // Shown on acceptance, hidden for the prompt, shown again once the password was right.
    EXPECT_EQ(host_.WithPrefix("shown:"), (std::vector<std::string>{"1", "0", "1"}));
    EXPECT_EQ(host_.WithPrefix("password:"), std::vector<std::string>{""});
    EXPECT_EQ(CountReceived("podium", "[RC00001]3.0.1.1007"), 2);
    EXPECT_EQ(FailedChecks(), std::vector<std::string>{});
}

TEST_F(SessionTest, WrongPasswordAsksAgainWithTheRedLine) {
    StartClassroom({"--scenario", "password"});
    host_.passwords = {{Answer::kOk, "0000"}, {Answer::kOk, "1234"}};
    StartSession(Timings());
    ASSERT_TRUE(WaitForReceived("podium", "[RC00023]1"));
    EXPECT_EQ(host_.WithPrefix("password:"),
              (std::vector<std::string>{"", "※ 비밀번호가 일치하지 않습니다"}));
    EXPECT_TRUE(RunEventsUntil([&] { return host_.shown; }));
    std::vector<bool> verdicts;
    for (const QJsonObject& r : sim_->Log())
        if (r["what"].toString() == "password")
            verdicts.push_back(r["ok"].toBool());
    EXPECT_EQ(verdicts, (std::vector<bool>{false, true}));
}

TEST_F(SessionTest, CancelledPasswordEndsWithoutAMessage) {
    StartClassroom({"--scenario", "password"});
    host_.passwords = {{Answer::kCancel, {}}};
    StartSession(Timings());
    ASSERT_TRUE(RunUntilFinished());
    EXPECT_EQ(host_.Messages(), std::vector<std::string>{});
    EXPECT_TRUE(host_.ended);
    EXPECT_FALSE(host_.shown);
    EXPECT_EQ(CountReceived("podium", "[RC00001]3.0.1.1007"), 1);
}

// The prompt left open: the 30 s limit ends the session around the open dialog.
TEST_F(SessionTest, UnansweredPasswordPromptEndsTheSession) {
    StartClassroom({"--scenario", "password"});
    host_.passwords = {{Answer::kLeaveOpen, {}}};
    SessionTimings t = Timings();
    t.passwordTimeoutMs = 200;
    StartSession(t);
    ASSERT_TRUE(RunUntilFinished());
    EXPECT_EQ(host_.Messages(), std::vector<std::string>{S(229)});
    const std::vector<std::string> tail(host_.calls.end() - 4, host_.calls.end());
    EXPECT_EQ(tail, (std::vector<std::string>{"password:", "hide-loading", "message:" + S(229), "end"}));
    for (const std::string& text : Received("podium"))
        EXPECT_NE(text.rfind("[RC00024]", 0), 0u) << text;
}

// Keep-alives go out every 10 s but nothing comes back: the tick after 40 s ends the session.
TEST_F(SessionTest, FortySecondsOfSilenceEndTheSession) {
    StartClassroom({"--scenario", "podium-no-keepalive"});
    StartSession(KeepAliveTimings());
    ASSERT_TRUE(RunKeepAlives([&] { return host_.finished(); }));
    EXPECT_EQ(host_.Messages(), std::vector<std::string>{S(229)});
    EXPECT_TRUE(host_.Saw("shown:1"));
    EXPECT_GE(CountReceived("podium", "[RC00003]"), 5);
}

// Answered keep-alives keep the session up; so does a clock set back by a day, which makes the
// silence negative rather than long.
TEST_F(SessionTest, AnsweredKeepAlivesOrAClockSetBackKeepTheSession) {
    for (const bool answers : {true, false}) {
        SCOPED_TRACE(answers ? "answered" : "clock set back");
        StartClassroom(answers ? std::vector<std::string>{}
                               : std::vector<std::string>{"--scenario", "podium-no-keepalive"});
        host_ = RecordingHost();
        clock_ = std::make_shared<TestClock>();
        StartSession(KeepAliveTimings());
        ASSERT_TRUE(RunEventsUntil([&] { return host_.shown || host_.finished(); }));
        if (!answers)
            clock_->Shift(-std::chrono::hours(24));
        ASSERT_TRUE(
            RunKeepAlives([&] { return CountReceived("podium", "[RC00003]") >= 8 || host_.finished(); }));
        EXPECT_FALSE(host_.finished());
        EXPECT_EQ(host_.Messages(), std::vector<std::string>{});
        session_.reset();
    }
}

struct EndCase {
    const char* scenario;
    bool viaRelay;
    bool seenFirst;       // the window was shown before the end
    const char* message;  // string id as text, or the text itself
    bool closes;          // the window's close request rather than the end of the program
};

class SessionEndTest : public SessionTest, public ::testing::WithParamInterface<EndCase> {};

TEST_P(SessionEndTest, EndsWithItsMessage) {
    const EndCase& c = GetParam();
    StartClassroom({"--scenario", c.scenario, "--end-after", "0.05"});
    StartSession(c.viaRelay ? RelayTimings() : Timings());
    ASSERT_TRUE(RunUntilFinished());
    const std::string message =
        std::isdigit(static_cast<unsigned char>(c.message[0])) ? S(std::atoi(c.message)) : c.message;
    EXPECT_EQ(host_.Messages(), std::vector<std::string>{message});
    EXPECT_EQ(host_.closed, c.closes);
    EXPECT_EQ(host_.ended, !c.closes);
    EXPECT_EQ(host_.Saw("shown:1"), c.seenFirst);
}

INSTANTIATE_TEST_SUITE_P(
    Ends, SessionEndTest,
    ::testing::Values(EndCase{"podium-end", false, true, "수업이 끝났습니다.", false},
                      EndCase{"podium-end-bad", false, true, "232", true},
                      EndCase{"podium-close", false, true, "229", false},
                      EndCase{"login-disconnect", false, false, "229", false},
                      EndCase{"relay-disconnect", true, false, "229", false},
                      EndCase{"relay-no-teacher", true, false,
                              "실행중인 teacher01가 없습니다.\n선생님 ID를 확인해주세요.", false},
                      // Every invalid field count of the login phase.
                      EndCase{"login-bad-greeting", false, false, "232", true},
                      EndCase{"login-bad-address-6", false, false, "232", true},
                      EndCase{"login-bad-address-8", false, false, "232", true},
                      EndCase{"login-bad-relay", false, false, "232", true},
                      EndCase{"relay-empty-version", true, false, "232", true},
                      EndCase{"relay-bad-session", true, false, "232", true},
                      EndCase{"relay-bad-refusal", true, false, "232", true}),
    [](const ::testing::TestParamInfo<EndCase>& info) {
        std::string name = info.param.scenario;
        std::replace(name.begin(), name.end(), '-', '_');
        return name;
    });

// What reached the podium PC when it ended the session, and that the pad let go of the connection.
TEST_F(SessionTest, TeacherEndClosesTheConnection) {
    StartClassroom({"--scenario", "podium-end", "--end-after", "0.05"});
    StartSession(Timings());
    ASSERT_TRUE(RunUntilFinished());
    ASSERT_TRUE(RunEventsUntil([&] {
        for (const QJsonObject& r : sim_->Log())
            if (r["event"].toString() == "close" && r["peer"].toString() == "podium")
                return true;
        return false;
    }));
    EXPECT_EQ(Received("podium").at(0), "[RC00022]1,Reserved,Reserved");
}

}  // namespace
}  // namespace orvane::testing
