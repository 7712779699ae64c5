#include "protocol/MessageCatalogue.h"

#include <climits>

#include "util/Text.h"

namespace orvane::msg {
namespace {

std::u16string Num(long long value) {
    return W(std::to_string(value));
}

std::u16string Join(std::u16string_view tag, std::initializer_list<std::u16string_view> args) {
    std::u16string out(tag);
    bool first = true;
    for (auto a : args) {
        if (!first)
            out += u',';
        out += a;
        first = false;
    }
    return out;
}

constexpr std::u16string_view kRunningPrefix = u"실행중인 ";
constexpr std::u16string_view kNotRunningSuffix = u"가 없습니다.\n선생님 ID를 확인해주세요.";

struct KnownTag {
    std::u16string_view text;
    Tag tag;
};

constexpr KnownTag kKnownTags[] = {
    {u"[MV00094]", Tag::kMV00094}, {u"[MV00007]", Tag::kMV00007}, {u"[MV00001]", Tag::kMV00001},
    {u"[MV00002]", Tag::kMV00002}, {u"[MV10000]", Tag::kMV10000}, {u"[RH00001]", Tag::kRH00001},
    {u"[RH00002]", Tag::kRH00002}, {u"[RH00003]", Tag::kRH00003}, {u"[RH00004]", Tag::kRH00004},
    {u"[RH00005]", Tag::kRH00005}, {u"[RH00007]", Tag::kRH00007}, {u"[RH00009]", Tag::kRH00009},
    {u"[RH00010]", Tag::kRH00010}, {u"[RH00011]", Tag::kRH00011}, {u"[RH10002]", Tag::kRH10002},
    {u"[RC00007]", Tag::kRC00007}, {u"[UR00001]", Tag::kUR00001}, {u"[UR00002]", Tag::kUR00002},
    {u"[UR00004]", Tag::kUR00004}, {u"[USP0002]", Tag::kUSP0002}, {u"[UDPINFO]", Tag::kUDPINFO},
    {u"[MV10001]", Tag::kMV10001}, {u"[FR00001]", Tag::kFR00001}, {u"[FR00002]", Tag::kFR00002},
    {u"[FR10000]", Tag::kFR10000},
};

void RemoveAll(std::u16string& text, std::u16string_view what) {
    for (auto pos = text.find(what); pos != std::u16string::npos; pos = text.find(what, pos))
        text.erase(pos, what.size());
}

std::u16string ReplaceFirstPlaceholder(std::u16string text, std::u16string_view value) {
    const auto pos = text.find(u"%s");
    if (pos != std::u16string::npos)
        text.replace(pos, 2, value);
    return text;
}

}  // namespace

std::u16string Announce() {
    return std::u16string(u"[RC00001]") + std::u16string(kPadVersion);
}
std::u16string KeepAlive() {
    return u"[RC00003]";
}
std::u16string RemoteControlStart() {
    return u"[RC00004]";
}
std::u16string RemoteControlEnd() {
    return u"[RC00005]";
}
std::u16string FrameAck(int frameNumber) {
    return u"[RC00006]" + Num(frameNumber);
}
std::u16string ScreenUpSettings(int width, int height, bool fullScreen, bool resize) {
    return Join(u"[RC00008]",
                {Num(width), Num(height), fullScreen ? u"full" : u"window", resize ? u"resize" : u"center"});
}
std::u16string ScreenUpSwitch(bool start) {
    return start ? u"[RC00009]start" : u"[RC00009]stop";
}
std::u16string PadScreenSize(int width, int height) {
    return Join(u"[RC00010]", {Num(width), Num(height)});
}
std::u16string SoundUpSwitch(bool start) {
    return start ? u"[RC00011]start" : u"[RC00011]stop";
}
std::u16string BroadcastSwitch(bool on) {
    return on ? u"[RC00012]on" : u"[RC00012]off";
}
std::u16string TouchSwitch(bool on) {
    return on ? u"[RC00013]on" : u"[RC00013]off";
}
std::u16string TypedCharacter(int code) {
    return u"[RC00014]" + Num(code);
}
std::u16string InputLanguageToggle() {
    return u"[RC00015]";
}
std::u16string PadIntroduction() {
    return u"[RC00022]1,Reserved,Reserved";
}
std::u16string SelectMonitor(int monitor) {
    return u"[RC00023]" + Num(monitor);
}
std::u16string PasswordAnswer(std::u16string_view base64) {
    return Join(u"[RC00024]", {u"0", base64});
}

std::u16string LoginIdentification(std::u16string_view teacherId, std::u16string_view localAddress,
                                   std::u16string_view localPort, int clientFlag,
                                   std::u16string_view reserved1, std::u16string_view reserved2) {
    return Join(u"[US00001]", {u"3", teacherId, localAddress, localPort, kPadVersion, Num(clientFlag),
                               reserved1, reserved2});
}

std::u16string RelayIdentification(std::u16string_view teacherId, std::u16string_view relayVersion,
                                   int clientFlag) {
    if (VersionAtLeast(relayVersion, kRelayVersionWithClientFlag))
        return Join(u"[US00001]", {teacherId, u"orvane", Num(clientFlag)});
    return Join(u"[US00001]", {teacherId, u"orvane"});
}

std::u16string RelayConnectRequest() {
    return u"[PC_CONN]";
}

bool VersionAtLeast(std::u16string_view version, std::u16string_view minimum) {
    return version.compare(minimum) >= 0;
}

Message Recognize(std::u16string_view text) {
    if (text.size() < 9)
        return {Tag::kTooShort, {}};
    const std::u16string_view tag = text.substr(0, 9);
    for (const auto& known : kKnownTags)
        if (known.text == tag)
            return {known.tag, text.substr(9)};
    return {Tag::kUnknown, text.substr(9)};
}

std::vector<std::u16string> SplitFields(std::u16string_view args) {
    std::vector<std::u16string> fields;
    SplitText(args, u",", fields);
    return fields;
}

std::vector<std::u16string_view> SplitTokens(std::u16string_view args) {
    std::vector<std::u16string_view> tokens;
    std::size_t pos = 0;
    while (pos < args.size()) {
        const std::size_t end = std::min(args.find(u',', pos), args.size());
        if (end > pos)
            tokens.push_back(args.substr(pos, end - pos));
        pos = end + 1;
    }
    return tokens;
}

int ToInt(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r')))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-'))
        negative = text[i++] == u'-';
    long long value = 0;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        value = value * 10 + (text[i] - u'0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            break;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX)
        return INT_MAX;
    if (value < INT_MIN)
        return INT_MIN;
    return static_cast<int>(value);
}

std::optional<DesktopSize> ParseDesktopSize(std::u16string_view args) {
    const auto tokens = SplitTokens(args);
    if (tokens.size() != 2)
        return std::nullopt;
    return DesktopSize{ToInt(tokens[0]), ToInt(tokens[1])};
}

std::optional<TileSize> ParseTileSize(std::u16string_view args) {
    const auto f = SplitFields(args);
    if (f.size() < 2)
        return std::nullopt;
    return TileSize{ToInt(f[0]), ToInt(f[1])};
}

std::optional<MonitorLayout> ParseMonitorLayout(std::u16string_view args) {
    const auto f = SplitFields(args);
    if (f.size() < 6)
        return std::nullopt;
    return MonitorLayout{ToInt(f[0]), ToInt(f[1]), ToInt(f[2]), ToInt(f[3]), ToInt(f[4]), ToInt(f[5])};
}

std::optional<DesktopOrigin> ParseDesktopOrigin(std::u16string_view args) {
    const auto f = SplitFields(args);
    if (f.size() < 5)
        return std::nullopt;
    return DesktopOrigin{ToInt(f[1]), ToInt(f[2])};
}

std::optional<int> ParsePasswordState(std::u16string_view args) {
    const auto f = SplitFields(args);
    if (f.empty() || f.size() > 3)
        return std::nullopt;
    return ToInt(f[0]);
}

std::optional<std::u16string> ParseTeacherEnd(std::u16string_view args) {
    auto f = SplitFields(args);
    if (f.size() != 2)
        return std::nullopt;
    return std::move(f[1]);
}

std::optional<LoginGreeting> ParseLoginGreeting(std::u16string_view args) {
    const auto tokens = SplitTokens(args);
    if (tokens.size() != 2 && tokens.size() != 6)
        return std::nullopt;
    return LoginGreeting{tokens[0] == u"0", std::u16string(tokens[1])};
}

std::optional<PodiumAddress> ParsePodiumAddress(std::u16string_view args) {
    auto f = SplitFields(args);
    if (f.size() != 7)
        return std::nullopt;
    PodiumAddress address;
    std::move(f.begin(), f.end(), address.fields.begin());
    return address;
}

std::optional<RelayAddress> ParseRelayAddress(std::u16string_view args) {
    auto f = SplitFields(args);
    if (f.size() != 2)
        return std::nullopt;
    return RelayAddress{std::move(f[0]), std::move(f[1])};
}

std::optional<std::u16string> ParseRelayVersion(std::u16string_view args) {
    auto f = SplitFields(args);
    if (f.size() != 1)
        return std::nullopt;
    return std::move(f[0]);
}

std::optional<RelaySession> ParseRelaySession(std::u16string_view args) {
    const auto f = SplitFields(args);
    if (f.size() != 2)
        return std::nullopt;
    return RelaySession{ToInt(f[0]), ToInt(f[1])};
}

std::optional<int> ParseRelayRefusal(std::u16string_view args) {
    const auto f = SplitFields(args);
    if (f.size() != 1)
        return std::nullopt;
    return ToInt(f[0]);
}

std::u16string DefaultRefusalString(int id) {
    switch (id) {
        case 1109:
            return u"로그인 정보를 찾는 동안 오류가 발생했습니다.";
        case 1110:
            return u"일치하는 선생님 정보를 찾을 수 없습니다.";
        case 1111:
            return u"로그인 서버와 Ombrix 종류가 다릅니다.\n프로그램을 확인해 주세요.";
        case 1112:
            return std::u16string(kRunningPrefix) + u"%s" + std::u16string(kNotRunningSuffix);
        default:
            return {};
    }
}

std::u16string LocalizeRefusal(std::u16string_view serverText, std::u16string_view language,
                               const StringLookup& strings) {
    const std::u16string server(serverText);
    if (language == u"Kor")
        return server;
    for (int id : {1109, 1110, 1111}) {
        if (serverText == DefaultRefusalString(id)) {
            std::u16string local = strings ? strings(id) : std::u16string();
            return local.empty() ? server : local;
        }
    }
    const auto pos = serverText.find(kNotRunningSuffix);
    if (pos == std::u16string_view::npos || pos == 0)
        return server;
    std::u16string local = strings ? strings(1112) : std::u16string();
    if (local.empty())
        return server;
    std::u16string program = server;
    RemoveAll(program, kRunningPrefix);
    RemoveAll(program, kNotRunningSuffix);
    return ReplaceFirstPlaceholder(std::move(local), program);
}

std::u16string NoTeacherProgramText(std::u16string_view teacherId) {
    return ReplaceFirstPlaceholder(DefaultRefusalString(1112), teacherId);
}

}  // namespace orvane::msg
