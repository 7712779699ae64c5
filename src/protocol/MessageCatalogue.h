// The message catalogue: every text the pad sends to the podium PC, the login server and the relay,
// and the recognition of every tag it receives with its field split or token split and count rule.
// A message text is a 9-character tag followed by comma-separated arguments.
//
// Trust: received texts come from the network. The recognisers accept any text (any length, lone
// surrogates, missing or surplus fields) and answer "not valid" rather than read what is not there.
// All functions are pure and thread-safe.
#pragma once

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::msg {

// The pad remote's version as it announces itself.
inline constexpr std::u16string_view kPadVersion = u"3.0.1.1007";
// The relay version from which the relay takes the three-field identification.
inline constexpr std::u16string_view kRelayVersionWithClientFlag = u"1.0.1.1000";

// ---- Texts the pad sends to the podium PC ----
std::u16string Announce();                 // "[RC00001]3.0.1.1007"
std::u16string KeepAlive();                // "[RC00003]"
std::u16string RemoteControlStart();       // "[RC00004]"
std::u16string RemoteControlEnd();         // "[RC00005]"
std::u16string FrameAck(int frameNumber);  // "[RC00006]%d"
std::u16string ScreenUpSettings(int width, int height, bool fullScreen = true,
                                bool resize = true);        // "[RC00008]%d,%d,full|window,resize|center"
std::u16string ScreenUpSwitch(bool start);                  // "[RC00009]start" / "stop"
std::u16string PadScreenSize(int width, int height);        // "[RC00010]%d,%d"
std::u16string SoundUpSwitch(bool start);                   // "[RC00011]start" / "stop"
std::u16string BroadcastSwitch(bool on);                    // "[RC00012]on" / "off"
std::u16string TouchSwitch(bool on);                        // "[RC00013]on" / "off"
std::u16string TypedCharacter(int code);                    // "[RC00014]%d"
std::u16string InputLanguageToggle();                       // "[RC00015]"
std::u16string PadIntroduction();                           // "[RC00022]1,Reserved,Reserved"
std::u16string SelectMonitor(int monitor);                  // "[RC00023]%d", 1-based
std::u16string PasswordAnswer(std::u16string_view base64);  // "[RC00024]0,%s"

// ---- Texts the pad sends to the login server and the relay ----
// "[US00001]3,<teacher ID>,<local address>,<local port>,3.0.1.1007,<client flag>,<r1>,<r2>"
std::u16string LoginIdentification(std::u16string_view teacherId, std::u16string_view localAddress,
                                   std::u16string_view localPort, int clientFlag = 1,
                                   std::u16string_view reserved1 = u"Reserved",
                                   std::u16string_view reserved2 = u"Reserved");
// "[US00001]<teacher ID>,orvane,<client flag>" for a relay of version "1.0.1.1000" or later (as
// text), "[US00001]<teacher ID>,orvane" for an older one.
std::u16string RelayIdentification(std::u16string_view teacherId, std::u16string_view relayVersion,
                                   int clientFlag = 1);
std::u16string RelayConnectRequest();  // "[PC_CONN]", sent wrapped in a relay envelope

// Versions of the peers are compared as texts, character by character.
bool VersionAtLeast(std::u16string_view version, std::u16string_view minimum);

// ---- Received texts ----
enum class Tag {
    kTooShort,  // fewer than 9 characters: dropped
    kUnknown,   // any other tag: ignored
    // from the podium PC
    kMV00094,
    kMV00007,
    kMV00001,
    kMV00002,
    kMV10000,
    kRH00001,
    kRH00002,
    kRH00003,
    kRH00004,
    kRH00005,
    kRH00007,
    kRH00009,
    kRH00010,
    kRH00011,
    kRH10002,
    kRC00007,
    // from the login server (MV10001 also from the relay)
    kUR00001,
    kUR00002,
    kUR00004,
    kUSP0002,
    kUDPINFO,
    kMV10001,
    // from the relay
    kFR00001,
    kFR00002,
    kFR10000,
};

struct Message {
    Tag tag = Tag::kTooShort;
    std::u16string_view args;  // everything after the ninth character; a view into the text
};

// The tag compared exactly (case-sensitive, whole tag) with the known tags.
Message Recognize(std::u16string_view text);

// Field split: every "," separates, empty fields count, double quotes are removed first. An empty
// argument text has no fields.
std::vector<std::u16string> SplitFields(std::u16string_view args);
// Token split: runs of "," separate, empty pieces are skipped.
std::vector<std::u16string_view> SplitTokens(std::u16string_view args);
// A decimal number by the usual rule: leading white space, a sign, the leading digits; text that is
// not a number reads as 0; values beyond 32 bits saturate.
int ToInt(std::u16string_view text);

// "[RH00001]": exactly 2 tokens.
struct DesktopSize {
    int width = 0, height = 0;
};
std::optional<DesktopSize> ParseDesktopSize(std::u16string_view args);
// "[RH00002]" (frame number), "[RH00003]", "[RH00004]" (1 = on), "[FR10000]" field: a number.
inline int ParseNumber(std::u16string_view args) {
    return ToInt(args);
}
inline bool ParseSwitchState(std::u16string_view args) {
    return ToInt(args) == 1;
}
// "[RH00007]": at least 2 fields.
struct TileSize {
    int width = 0, height = 0;
};
std::optional<TileSize> ParseTileSize(std::u16string_view args);
// "[RH00009]": at least 6 fields.
struct MonitorLayout {
    int count = 0, selected = 0, left = 0, top = 0, right = 0, bottom = 0;
};
std::optional<MonitorLayout> ParseMonitorLayout(std::u16string_view args);
// "[RH00010]": at least 5 fields; fields 2 and 3.
struct DesktopOrigin {
    int x = 0, y = 0;
};
std::optional<DesktopOrigin> ParseDesktopOrigin(std::u16string_view args);
// "[RH00011]": 1 to 3 fields; field 1: 0 = password required, 1 = accepted, 2 = wrong password.
std::optional<int> ParsePasswordState(std::u16string_view args);
// "[MV10000]": exactly 2 fields; field 2 is the text to show.
std::optional<std::u16string> ParseTeacherEnd(std::u16string_view args);
// "[UR00001]": 2 or 6 tokens; token 1 "0" = the server takes the pad, else token 2 is the refusal.
struct LoginGreeting {
    bool accepted = false;
    std::u16string refusal;
};
std::optional<LoginGreeting> ParseLoginGreeting(std::u16string_view args);
// "[UR00002]": exactly 7 fields; field 5 the podium PC's address, field 6 its port.
struct PodiumAddress {
    std::array<std::u16string, 7> fields;
    const std::u16string& address() const { return fields[4]; }
    const std::u16string& port() const { return fields[5]; }
};
std::optional<PodiumAddress> ParsePodiumAddress(std::u16string_view args);
// "[UR00004]": exactly 2 fields ("NONE" or "0" when there is no relay).
struct RelayAddress {
    std::u16string host, port;
    bool known() const { return !host.empty() && host != u"NONE" && !port.empty() && port != u"0"; }
};
std::optional<RelayAddress> ParseRelayAddress(std::u16string_view args);
// "[FR00001]": exactly 1 field, the relay's version.
std::optional<std::u16string> ParseRelayVersion(std::u16string_view args);
// "[FR00002]": exactly 2 fields, the relay's two session numbers.
struct RelaySession {
    int first = 0, second = 0;
};
std::optional<RelaySession> ParseRelaySession(std::u16string_view args);
// "[FR10000]": exactly 1 field, a result code (5 = no teacher program runs for the teacher ID).
std::optional<int> ParseRelayRefusal(std::u16string_view args);

// ---- Texts shown to the user ----
// String texts by id, from the language resources; the default gives the built-in Korean texts of
// the refusal strings 1109 to 1112 and an empty text for any other id.
using StringLookup = std::function<std::u16string(int id)>;
std::u16string DefaultRefusalString(int id);

// The refusal text of "[UR00001]" as shown: with a user-interface language other than "Kor", a
// known Korean server text is replaced by the string of the same meaning (1109 to 1112; 1112 with
// the program name taken from the server text for its "%s"). Any other text, or "Kor", is shown as
// the server sent it; so is a known text whose string the lookup does not have.
std::u16string LocalizeRefusal(std::u16string_view serverText, std::u16string_view language,
                               const StringLookup& strings = DefaultRefusalString);

// The relay's refusal for a teacher ID with no running teacher program.
std::u16string NoTeacherProgramText(std::u16string_view teacherId);

}  // namespace orvane::msg
