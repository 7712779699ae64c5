#include "sim/Scenarios.h"

namespace orvane::sim {
namespace {

// Texts the real services send; the pad remote rewords some of them by exact comparison, so every
// byte (the double blank included) matters.
constexpr const char* kLookupDenied = "잘못된 접근입니다.";
constexpr const char* kLookupBadTeacher = "유효하지않은  선생님 ID 입니다.";
constexpr const char* kLookupBadUniqueCode = "유효하지않은 고유코드 입니다.";
constexpr const char* kLookupUnlisted = "서비스 점검 중입니다.";
constexpr const char* kLookupUnreachable = "Failed to access to the URL page.";

constexpr const char* kRefuseError = "로그인 정보를 찾는 동안 오류가 발생했습니다.";
constexpr const char* kRefuseNoTeacher = "일치하는 선생님 정보를 찾을 수 없습니다.";
constexpr const char* kRefuseKind = "로그인 서버와 Ombrix 종류가 다릅니다.\n프로그램을 확인해 주세요.";
constexpr const char* kRefuseNotRunning = "실행중인 Tavelon Teacher가 없습니다.\n선생님 ID를 확인해주세요.";

void LookupFailure(SimOptions& o, const char* code, const char* message, bool messageFirst = false) {
    o.lookupAnswer = LookupAnswer::kFailure;
    o.lookupCode = code;
    o.lookupMessage = message;
    o.lookupMessageFirst = messageFirst;
}

void Refuse(SimOptions& o, const char* text) {
    o.loginGreeting = LoginGreeting::kRefuse;
    o.refuseText = text;
}

// The relay scenarios only matter when the pad takes the relay path, which it does after the
// direct connection failed.
void ViaRelay(SimOptions& o) {
    o.podiumAddress = PodiumAddress::kRefused;
    o.relayKnown = true;
}

std::vector<Scenario> BuildScenarios() {
    using S = SimOptions;
    return {
        {"demo", "demo",
         "everyone answers: lookup, login, direct connection, 2 monitors, no password (default)", [](S&) {}},

        {"lookup-denied", "web", "lookup answers result:false, code 1, \"잘못된 접근입니다.\"",
         [](S& o) { LookupFailure(o, "1", kLookupDenied); }},
        {"lookup-bad-teacher", "web",
         "lookup answers result:false, code 2, \"유효하지않은  선생님 ID 입니다.\"",
         [](S& o) { LookupFailure(o, "2", kLookupBadTeacher); }},
        {"lookup-bad-unique-code", "web",
         "lookup answers result:false, code 1, \"유효하지않은 고유코드 입니다.\"",
         [](S& o) { LookupFailure(o, "1", kLookupBadUniqueCode); }},
        {"lookup-code1", "web", "lookup answers code:1 then an unlisted message (the pad shows its own text)",
         [](S& o) { LookupFailure(o, "1", kLookupUnlisted); }},
        {"lookup-code2", "web", "lookup answers code:2 then an unlisted message (the pad shows its own text)",
         [](S& o) { LookupFailure(o, "2", kLookupUnlisted); }},
        {"lookup-message-first", "web",
         "lookup answers an unlisted message line before code:1 (shown unchanged)",
         [](S& o) { LookupFailure(o, "1", kLookupUnlisted, true); }},
        {"lookup-404", "web", "lookup answers result:false, code 404, \"Failed to access to the URL page.\"",
         [](S& o) { LookupFailure(o, "404", kLookupUnreachable); }},
        {"lookup-crlf", "web", "lookup succeeds with CR LF line ends", [](S& o) { o.lookupCrLf = true; }},
        {"lookup-no-address", "web", "lookup answers result:true without rsip and rsport",
         [](S& o) { o.lookupAnswer = LookupAnswer::kNoAddress; }},
        {"web-http-only", "web", "HTTPS connections are closed at once; the lookup answers over plain HTTP",
         [](S& o) { o.webMode = WebMode::kHttpOnly; }},
        {"web-error", "web", "every web page answers HTTP 500", [](S& o) { o.webStatus = 500; }},
        {"web-redirect", "web", "every web page answers HTTP 302", [](S& o) { o.webStatus = 302; }},
        {"web-off", "web", "no web service: the pad uses the login server address it has stored",
         [](S& o) { o.webMode = WebMode::kOff; }},

        {"login-unreachable", "login", "lookup names a login server port where nothing listens",
         [](S& o) { o.loginUnreachable = true; }},
        {"login-silent", "login", "login server accepts the connection and never greets",
         [](S& o) { o.loginGreeting = LoginGreeting::kSilent; }},
        {"login-refuse-error", "login", "login refused: \"로그인 정보를 찾는 동안 오류가 발생했습니다.\"",
         [](S& o) { Refuse(o, kRefuseError); }},
        {"login-refuse-no-teacher", "login", "login refused: \"일치하는 선생님 정보를 찾을 수 없습니다.\"",
         [](S& o) { Refuse(o, kRefuseNoTeacher); }},
        {"login-refuse-kind", "login",
         "login refused: \"로그인 서버와 Ombrix 종류가 다릅니다.\\n프로그램을 확인해 주세요.\"",
         [](S& o) { Refuse(o, kRefuseKind); }},
        {"login-refuse-not-running", "login",
         "login refused: \"실행중인 Tavelon Teacher가 없습니다.\\n선생님 ID를 확인해주세요.\"",
         [](S& o) { Refuse(o, kRefuseNotRunning); }},
        {"login-refuse-text", "login", "login refused with the text of --refuse-text",
         [](S& o) {
             o.loginGreeting = LoginGreeting::kRefuse;
             if (o.refuseText.empty())
                 o.refuseText = "Login refused by the classroom simulator.";
         }},
        {"login-refuse-once", "login",
         "the first login is refused (no such teacher), the next one is accepted",
         [](S& o) {
             o.loginGreeting = LoginGreeting::kRefuseOnce;
             o.refuseText = kRefuseNoTeacher;
         }},
        {"login-refuse-six", "login", "login refused with the six-token form of \"[UR00001]\"",
         [](S& o) {
             Refuse(o, kRefuseNoTeacher);
             o.refuseSixTokens = true;
         }},
        {"login-bad-greeting", "login", "\"[UR00001]\" with 3 tokens (invalid)",
         [](S& o) { o.loginFault = LoginFault::kGreetingThreeTokens; }},
        {"login-bad-address-6", "login", "\"[UR00002]\" with 6 fields (invalid)",
         [](S& o) { o.loginFault = LoginFault::kAddressSixFields; }},
        {"login-bad-address-8", "login", "\"[UR00002]\" with 8 fields (invalid)",
         [](S& o) { o.loginFault = LoginFault::kAddressEightFields; }},
        {"login-bad-relay", "login", "\"[UR00004]\" with 1 field (invalid)",
         [](S& o) { o.loginFault = LoginFault::kRelayOneField; }},
        {"login-disconnect", "login",
         "login server ends the session with \"[MV10001]\" after the identification",
         [](S& o) { o.loginFault = LoginFault::kDisconnect; }},
        {"no-relay", "login", "\"[UR00004]NONE,0\": no relay to fall back to",
         [](S& o) { o.relayKnown = false; }},
        {"direct-refused-no-relay", "login",
         "podium PC port refuses and there is no relay (the pad gives up)",
         [](S& o) {
             o.podiumAddress = PodiumAddress::kRefused;
             o.relayKnown = false;
         }},

        {"relay", "relay", "podium PC port refuses: the pad falls back to the relay after 3 s", ViaRelay},
        {"relay-after-silence", "relay", "podium PC port accepts and stays silent: fallback to the relay",
         [](S& o) {
             o.podiumAddress = PodiumAddress::kSilent;
             o.relayKnown = true;
         }},
        {"relay-old", "relay", "via the relay; relay version 1.0.0.9 (two-field identification expected)",
         [](S& o) {
             ViaRelay(o);
             o.relayVersion = "1.0.0.9";
         }},
        {"relay-999", "relay", "via the relay; relay version 1.0.1.999 (sorts after 1.0.1.1000 as text)",
         [](S& o) {
             ViaRelay(o);
             o.relayVersion = "1.0.1.999";
         }},
        {"relay-empty-version", "relay", "via the relay; \"[FR00001]\" without a version (invalid)",
         [](S& o) {
             ViaRelay(o);
             o.relayVersionEmpty = true;
         }},
        {"relay-no-teacher", "relay", "via the relay; \"[FR10000]5\": no teacher program runs for this ID",
         [](S& o) {
             ViaRelay(o);
             o.relayFault = RelayFault::kNoTeacher;
         }},
        {"relay-silent", "relay", "via the relay; the relay never greets",
         [](S& o) {
             ViaRelay(o);
             o.relayFault = RelayFault::kSilent;
         }},
        {"relay-disconnect", "relay", "via the relay; the relay ends the session with \"[MV10001]\"",
         [](S& o) {
             ViaRelay(o);
             o.relayFault = RelayFault::kDisconnect;
         }},
        {"relay-bad-session", "relay", "via the relay; \"[FR00002]\" with 1 field (invalid)",
         [](S& o) {
             ViaRelay(o);
             o.relayFault = RelayFault::kBadSession;
         }},
        {"relay-bad-refusal", "relay", "via the relay; \"[FR10000]\" with 2 fields (invalid)",
         [](S& o) {
             ViaRelay(o);
             o.relayFault = RelayFault::kBadRefusal;
         }},

        {"password", "podium", "podium PC asks for the connection password (--password, default 1234)",
         [](S& o) {
             if (o.password.empty())
                 o.password = "1234";
         }},
        {"password-before-accept", "podium", "password request \"[RH00011]\" sent before \"[MV00007]\"",
         [](S& o) {
             if (o.password.empty())
                 o.password = "1234";
             o.podiumOrder = PodiumOrder::kVersionPasswordAccept;
         }},
        {"accept-after-password", "podium",
         "\"[MV00007]\" only after the right password (slow typing hits the 3 s time-out)",
         [](S& o) {
             if (o.password.empty())
                 o.password = "1234";
             o.podiumOrder = PodiumOrder::kAcceptAfterPassword;
         }},
        {"podium-silent", "podium", "podium PC accepts the connection and never greets",
         [](S& o) { o.podiumOrder = PodiumOrder::kSilent; }},
        {"podium-no-version", "podium", "no \"[MV00094]\": the pad keeps teacher version \"0\"",
         [](S& o) { o.podiumOrder = PodiumOrder::kAcceptOnly; }},
        {"podium-version-late", "podium", "\"[MV00094]\" arrives after \"[MV00007]\"",
         [](S& o) { o.podiumOrder = PodiumOrder::kAcceptVersion; }},
        {"podium-old", "podium",
         "teacher version 2.0.1.1000: one monitor, tiles sized by the pad, no switch answers",
         [](S& o) {
             o.teacherVersion = "2.0.1.1000";
             o.monitors = 1;
         }},
        {"podium-1027", "podium",
         "teacher version 2.0.1.1027: no answers to the touch and broadcast switches",
         [](S& o) { o.teacherVersion = "2.0.1.1027"; }},
        {"podium-no-keepalive", "podium", "no \"[RH10002]\" answers: the pad ends after 40 s",
         [](S& o) { o.keepAliveAnswers = false; }},
        {"podium-end", "podium", "\"[MV10000]\" with a message --end-after seconds after acceptance",
         [](S& o) { o.podiumEnd = PodiumEnd::kEndMessage; }},
        {"podium-end-bad", "podium",
         "\"[MV10000]\" with 3 fields (invalid) --end-after seconds after acceptance",
         [](S& o) { o.podiumEnd = PodiumEnd::kEndBadCount; }},
        {"podium-mv10001", "podium",
         "\"[MV10001]\" from the teacher program --end-after seconds after acceptance (the pad ignores it)",
         [](S& o) { o.podiumEnd = PodiumEnd::kServerEnd; }},
        {"podium-close", "podium", "podium PC drops the connection --end-after seconds after acceptance",
         [](S& o) { o.podiumEnd = PodiumEnd::kClose; }},
        {"one-monitor", "podium", "the podium PC has one monitor", [](S& o) { o.monitors = 1; }},
        {"three-monitors", "podium", "the podium PC has three monitors", [](S& o) { o.monitors = 3; }},
    };
}

}  // namespace

const std::vector<Scenario>& AllScenarios() {
    static const std::vector<Scenario> scenarios = BuildScenarios();
    return scenarios;
}

const Scenario* FindScenario(const std::string& name) {
    for (const Scenario& s : AllScenarios())
        if (name == s.name)
            return &s;
    return nullptr;
}

}  // namespace orvane::sim
