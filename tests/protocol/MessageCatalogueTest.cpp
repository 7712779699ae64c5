// The message catalogue: the exact texts sent, tag recognition, the count rules of the received
// messages and the localisation of the login server's refusals.
#include <gtest/gtest.h>

#include <climits>

#include "protocol/MessageCatalogue.h"

namespace orvane::msg {
namespace {

TEST(SentTexts, AreExact) {
    const std::pair<std::u16string, std::u16string> cases[] = {
        {Announce(), u"[RC00001]3.0.1.1007"},
        {KeepAlive(), u"[RC00003]"},
        {RemoteControlStart(), u"[RC00004]"},
        {RemoteControlEnd(), u"[RC00005]"},
        {FrameAck(-3), u"[RC00006]-3"},
        {ScreenUpSettings(1920, 1080), u"[RC00008]1920,1080,full,resize"},
        {ScreenUpSettings(800, 600, false, false), u"[RC00008]800,600,window,center"},
        {ScreenUpSwitch(true), u"[RC00009]start"},
        {ScreenUpSwitch(false), u"[RC00009]stop"},
        {PadScreenSize(1366, 768), u"[RC00010]1366,768"},
        {SoundUpSwitch(true), u"[RC00011]start"},
        {SoundUpSwitch(false), u"[RC00011]stop"},
        {BroadcastSwitch(true), u"[RC00012]on"},
        {BroadcastSwitch(false), u"[RC00012]off"},
        {TouchSwitch(true), u"[RC00013]on"},
        {TouchSwitch(false), u"[RC00013]off"},
        {TypedCharacter(0xAC00), u"[RC00014]44032"},
        {InputLanguageToggle(), u"[RC00015]"},
        {PadIntroduction(), u"[RC00022]1,Reserved,Reserved"},
        {SelectMonitor(2), u"[RC00023]2"},
        {PasswordAnswer(u"q80Jq+/A=="), u"[RC00024]0,q80Jq+/A=="},
        {LoginIdentification(u"teacher01", u"192.168.0.7", u"50123"),
         u"[US00001]3,teacher01,192.168.0.7,50123,3.0.1.1007,1,Reserved,Reserved"},
        {RelayIdentification(u"teacher01", u"1.0.1.1000"), u"[US00001]teacher01,orvane,1"},
        // Versions compare as texts: "1.0.1.999" sorts after "1.0.1.1000".
        {RelayIdentification(u"teacher01", u"1.0.1.999"), u"[US00001]teacher01,orvane,1"},
        {RelayIdentification(u"teacher01", u"1.0.0.9"), u"[US00001]teacher01,orvane"},
        {RelayConnectRequest(), u"[PC_CONN]"},
        {NoTeacherProgramText(u"t01"), u"실행중인 t01가 없습니다.\n선생님 ID를 확인해주세요."},
    };
    for (const auto& [built, expected] : cases)
        EXPECT_EQ(built, expected);
}

TEST(Recognize, ComparesTheWholeTagExactly) {
    EXPECT_EQ(Recognize(u"[RH00001]1280,800").tag, Tag::kRH00001);
    EXPECT_EQ(Recognize(u"[RH00001]1280,800").args, u"1280,800");
    EXPECT_EQ(Recognize(u"[MV00007]").tag, Tag::kMV00007);
    EXPECT_EQ(Recognize(u"[MV00007]").args, u"");
    EXPECT_EQ(Recognize(u"[UDPINFO]x").tag, Tag::kUDPINFO);
    EXPECT_EQ(Recognize(u"[USP0002]").tag, Tag::kUSP0002);
    EXPECT_EQ(Recognize(u"[rh00001]1,2").tag, Tag::kUnknown);
    EXPECT_EQ(Recognize(u"[RH00001)1,2").tag, Tag::kUnknown);
    EXPECT_EQ(Recognize(u"[RC00001]").tag, Tag::kUnknown);  // a pad-to-PC tag is never received
    EXPECT_EQ(Recognize(u"[RH0000]").tag, Tag::kTooShort);  // 8 characters
    EXPECT_EQ(Recognize(u"").tag, Tag::kTooShort);
}

TEST(ReceivedArguments, FollowTheirSplitAndCountRules) {
    // Token split: runs of commas separate.
    EXPECT_EQ(ParseDesktopSize(u"1280,,800")->width, 1280);
    EXPECT_EQ(ParseDesktopSize(u",1280,,800,")->height, 800);
    EXPECT_FALSE(ParseDesktopSize(u"1280,800,1"));
    EXPECT_FALSE(ParseDesktopSize(u"1280"));

    // Field split: every comma separates, quotes are removed.
    EXPECT_FALSE(ParsePasswordState(u""));
    EXPECT_EQ(ParsePasswordState(u"0"), 0);
    EXPECT_EQ(ParsePasswordState(u"2,5"), 2);
    EXPECT_EQ(ParsePasswordState(u"1,,"), 1);
    EXPECT_FALSE(ParsePasswordState(u"1,2,3,4"));

    EXPECT_FALSE(ParseMonitorLayout(u"2,1,0,0,1920"));
    const auto layout = ParseMonitorLayout(u"2,1,-1920,0,0,1080,extra");
    ASSERT_TRUE(layout);
    EXPECT_EQ(layout->count, 2);
    EXPECT_EQ(layout->left, -1920);
    EXPECT_EQ(layout->bottom, 1080);

    EXPECT_FALSE(ParseTileSize(u"120"));
    EXPECT_EQ(ParseTileSize(u"\"120\",135,9")->height, 135);
    EXPECT_FALSE(ParseDesktopOrigin(u"1,2,3,4"));
    EXPECT_EQ(ParseDesktopOrigin(u"1,-1920,-10,4,5")->y, -10);

    EXPECT_FALSE(ParsePodiumAddress(u"1,2,3,4,10.0.0.5,7000"));
    EXPECT_FALSE(ParsePodiumAddress(u"1,2,3,4,10.0.0.5,7000,7,8"));
    const auto podium = ParsePodiumAddress(u"1,2,3,4,10.0.0.5,7000,7");
    ASSERT_TRUE(podium);
    EXPECT_EQ(podium->address(), u"10.0.0.5");
    EXPECT_EQ(podium->port(), u"7000");

    EXPECT_FALSE(ParseRelayAddress(u"relay.example"));
    EXPECT_TRUE(ParseRelayAddress(u"relay.example,9000")->known());
    EXPECT_FALSE(ParseRelayAddress(u"NONE,0")->known());
    EXPECT_FALSE(ParseRelayAddress(u",9000")->known());

    EXPECT_FALSE(ParseRelayVersion(u""));
    EXPECT_FALSE(ParseRelayVersion(u"1.0,2"));
    EXPECT_EQ(ParseRelayVersion(u"1.0.1.1000"), u"1.0.1.1000");
    EXPECT_FALSE(ParseRelaySession(u"5"));
    EXPECT_EQ(ParseRelaySession(u"5,9")->second, 9);
    EXPECT_EQ(ParseRelayRefusal(u"5"), 5);
    EXPECT_FALSE(ParseRelayRefusal(u"5,1"));

    EXPECT_EQ(ParseTeacherEnd(u"0,수업이 끝났습니다"), u"수업이 끝났습니다");
    EXPECT_FALSE(ParseTeacherEnd(u"0,a,b"));
    EXPECT_FALSE(ParseTeacherEnd(u"only"));

    const auto accepted = ParseLoginGreeting(u"0,ok");
    ASSERT_TRUE(accepted);
    EXPECT_TRUE(accepted->accepted);
    const auto refused = ParseLoginGreeting(u"1,,거절,a,b,c,d");
    ASSERT_TRUE(refused);
    EXPECT_FALSE(refused->accepted);
    EXPECT_EQ(refused->refusal, u"거절");
    EXPECT_FALSE(ParseLoginGreeting(u"1,a,b"));
    EXPECT_FALSE(ParseLoginGreeting(u"0"));

    EXPECT_TRUE(ParseSwitchState(u"1"));
    EXPECT_FALSE(ParseSwitchState(u"2"));
    EXPECT_FALSE(ParseSwitchState(u"on"));
}

TEST(ToInt, ReadsLeadingDigitsAndSaturates) {
    const std::pair<std::u16string, int> cases[] = {
        {u"12abc", 12},
        {u"abc", 0},
        {u" \t-5", -5},
        {u"+7", 7},
        {u"", 0},
        {u"-", 0},
        {u"2147483647", INT_MAX},
        {u"99999999999", INT_MAX},
        {u"-2147483648", INT_MIN},
        {u"-99999999999999999999", INT_MIN},
        {u"\xD800"
         u"5",
         0},
    };
    for (const auto& [text, value] : cases)
        EXPECT_EQ(ToInt(text), value);
}

TEST(LocalizeRefusal, ReplacesKnownKoreanTextsOutsideKorean) {
    const StringLookup english = [](int id) {
        return u"EN" + std::u16string(1, char16_t(u'0' + id % 10)) + u" %s!";
    };
    const std::u16string notRunning = u"실행중인 Tavelon Teacher가 없습니다.\n선생님 ID를 확인해주세요.";
    const std::pair<std::u16string, std::u16string> cases[] = {
        {u"로그인 정보를 찾는 동안 오류가 발생했습니다.", u"EN9 %s!"},
        {u"일치하는 선생님 정보를 찾을 수 없습니다.", u"EN0 %s!"},
        {u"로그인 서버와 Ombrix 종류가 다릅니다.\n프로그램을 확인해 주세요.", u"EN1 %s!"},
        {notRunning, u"EN2 Tavelon Teacher!"},
        {u"X가 없습니다.\n선생님 ID를 확인해주세요.실행중인 Y", u"EN2 XY!"},
        // The marker text at the very start is not the known refusal.
        {u"가 없습니다.\n선생님 ID를 확인해주세요.", u"가 없습니다.\n선생님 ID를 확인해주세요."},
        {u"일치하는 선생님 정보를 찾을 수 없습니다. ", u"일치하는 선생님 정보를 찾을 수 없습니다. "},
        {u"Some other refusal \xD800", u"Some other refusal \xD800"},
    };
    for (const auto& [server, shown] : cases) {
        EXPECT_EQ(LocalizeRefusal(server, u"Eng", english), shown);
        EXPECT_EQ(LocalizeRefusal(server, u"Kor", english), server);
    }
    // Default strings: the Korean texts themselves, with the program name put back.
    EXPECT_EQ(LocalizeRefusal(notRunning, u"Eng"), notRunning);
    // A language module without the string shows the server's text.
    EXPECT_EQ(LocalizeRefusal(notRunning, u"Eng", [](int) { return std::u16string(); }), notRunning);
}

}  // namespace
}  // namespace orvane::msg
