// Everything the simulated classroom can be told at start: ports, the behaviour of each peer (set
// by scenarios or single options) and where its output goes. Filled once on the main thread before
// any peer starts, then read-only.
#pragma once

#include <string>
#include <vector>

#include "app/ProductProfile.h"

namespace orvane::sim {

// Default ports, one per peer, all on 127.0.0.1. The web service serves HTTPS and plain HTTP on one
// port because the pad remote retries a failed HTTPS lookup over HTTP on the same host and port.
inline constexpr int kDefaultWebPort = 48080;
inline constexpr int kDefaultLoginPort = 48081;
inline constexpr int kDefaultRelayPort = 48082;
inline constexpr int kDefaultPodiumPort = 48083;

// How the web service answers the relay lookup page.
enum class LookupAnswer {
    kAddress,    // result:true with rsip and rsport of the login server
    kNoAddress,  // result:true and nothing else
    kFailure,    // result:false with the code and message below
};

enum class WebMode {
    kOn,        // HTTPS and plain HTTP
    kHttpOnly,  // TLS connections are closed at once, plain HTTP answers
    kOff,       // nothing listens on the web port
};

// Where the login server tells the pad to find the podium PC.
enum class PodiumAddress {
    kReal,     // the simulated podium PC
    kRefused,  // a port that refuses connections
    kSilent,   // a port that accepts connections and never says anything
};

enum class LoginGreeting { kAccept, kRefuse, kRefuseOnce, kSilent };

// Deliberately broken login-server messages (the pad must reject their field counts).
enum class LoginFault {
    kNone,
    kGreetingThreeTokens,  // "[UR00001]" with 3 tokens
    kAddressSixFields,     // "[UR00002]" with 6 fields
    kAddressEightFields,   // "[UR00002]" with 8 fields
    kRelayOneField,        // "[UR00004]" with 1 field
    kDisconnect,           // "[MV10001]" in place of the relay and podium PC addresses
};

enum class RelayFault {
    kNone,
    kSilent,      // never greets
    kNoTeacher,   // "[FR10000]5" in place of "[FR00002]"
    kDisconnect,  // "[MV10001]" in place of "[FR00002]"
    kBadSession,  // "[FR00002]" with 1 field
    kBadRefusal,  // "[FR10000]" with 2 fields in place of "[FR00002]"
};

// The order in which the teacher program greets a new pad.
enum class PodiumOrder {
    kVersionAcceptPassword,  // "[MV00094]", "[MV00007]", then "[RH00011]" (when a password is set)
    kVersionPasswordAccept,  // "[MV00094]", "[RH00011]", "[MV00007]" at once
    kAcceptAfterPassword,    // "[MV00094]", "[RH00011]"; "[MV00007]" only after the right password
    kAcceptVersion,          // "[MV00007]", then "[MV00094]"
    kAcceptOnly,             // "[MV00007]" and no version at all
    kSilent,                 // nothing
};

// What the teacher program does on its own some time after it accepted the pad.
enum class PodiumEnd {
    kNone,
    kEndMessage,   // "[MV10000]" with 2 fields: the pad shows the text and quits
    kEndBadCount,  // "[MV10000]" with 3 fields
    kServerEnd,    // "[MV10001]", which the pad must ignore once it talks to the podium PC
    kClose,        // drops the connection
};

struct SimOptions {
    // --- ports (0 = any free port) ---
    int webPort = kDefaultWebPort;
    int loginPort = kDefaultLoginPort;
    int relayPort = kDefaultRelayPort;
    int podiumPort = kDefaultPodiumPort;

    // --- scenarios applied, in order (for the banner and the log) ---
    std::vector<std::string> scenarios;

    // --- web service ---
    WebMode webMode = WebMode::kOn;
    LookupAnswer lookupAnswer = LookupAnswer::kAddress;
    std::string lookupCode;     // failure code line ("1", "2", "404"; empty = no line)
    std::string lookupMessage;  // failure message (UTF-8; sent in CP949)
    bool lookupMessageFirst = false;
    bool lookupCrLf = false;
    int webStatus = 200;            // HTTP status of every page (200, or 302 / 500 to fail)
    bool loginUnreachable = false;  // the lookup names a login port where nothing listens

    // --- who may log in (empty = any teacher ID) ---
    std::string teacherId;

    // --- login server ---
    LoginGreeting loginGreeting = LoginGreeting::kAccept;
    std::string refuseText;  // UTF-8
    bool refuseSixTokens = false;
    LoginFault loginFault = LoginFault::kNone;
    bool relayKnown = true;  // false: "[UR00004]NONE,0"
    PodiumAddress podiumAddress = PodiumAddress::kReal;

    // --- relay server ---
    std::string relayVersion = "1.0.1.1000";
    bool relayVersionEmpty = false;
    RelayFault relayFault = RelayFault::kNone;

    // --- podium PC ---
    std::string teacherVersion = "2.0.1.1080";
    std::string password;  // UTF-8; empty = no password request
    PodiumOrder podiumOrder = PodiumOrder::kVersionAcceptPassword;
    bool keepAliveAnswers = true;
    PodiumEnd podiumEnd = PodiumEnd::kNone;
    double endAfterSeconds = 5.0;
    std::string endMessage = "수업이 끝났습니다.";  // UTF-8
    int monitors = 2;
    int monitorWidth = 1280;
    int monitorHeight = 720;
    int tileWidth = 80;
    int tileHeight = 80;
    int framesPerSecond = 20;
    int jpegQuality = 75;
    bool touchOn = false;      // initial state of the student-pad touch function
    bool broadcastOn = false;  // initial state of the broadcast

    // --- product profile (the pad must be given the same values) ---
    std::u16string packetPassword = ProductProfile{}.packetPassword;
    std::u16string aesKey = ProductProfile{}.aesKey;

    // --- output and life ---
    std::string logPath;  // JSON lines; "-" = stdout; empty = none
    std::string productIniFolder;
    double timeLimitSeconds = 0;  // 0 = until SIGTERM / Ctrl+C
    bool quiet = false;
    bool verbose = false;
};

// Outcome of reading the command line.
struct ParseResult {
    enum class Action { kRun, kHelp, kVersion, kError } action = Action::kRun;
    std::string error;  // for kError: one line naming the bad option
};

// Reads argv (argv[0] skipped) into `options`, applying scenarios in the order given; with no
// scenario the demo's defaults stand.
ParseResult ParseCommandLine(int argc, const char* const* argv, SimOptions& options);

// The text of --help: options and every scenario, one line each.
std::string HelpText();

// "WxH" with both numbers positive.
bool ParseSize(const std::string& text, int& width, int& height);

// Versions are compared as texts, character by character, as the pad remote does.
inline bool VersionAtLeast(const std::string& version, const std::string& than) {
    return version.compare(than) >= 0;
}

}  // namespace orvane::sim
