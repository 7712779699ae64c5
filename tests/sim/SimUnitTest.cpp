// The classroom's pieces without a process: options and scenarios, the HTTP request reader, the
// relay lookup answers (golden bytes), the identification checks, the password answer and the test
// desktop's changed-tile rule.
#include <gtest/gtest.h>

#include <set>

#include "sim/EventLog.h"
#include "sim/HttpMessage.h"
#include "sim/LoginServer.h"
#include "sim/LookupPage.h"
#include "sim/PasswordAnswer.h"
#include "sim/RelayServer.h"
#include "sim/Scenarios.h"
#include "sim/SimOptions.h"
#include "sim/TestDesktop.h"
#include "util/Text.h"

namespace orvane::sim {

// Field-by-field comparison, so a scenario that changes nothing is caught.
bool operator==(const SimOptions& a, const SimOptions& b) {
    return a.webMode == b.webMode && a.lookupAnswer == b.lookupAnswer && a.lookupCode == b.lookupCode &&
           a.lookupMessage == b.lookupMessage && a.lookupMessageFirst == b.lookupMessageFirst &&
           a.lookupCrLf == b.lookupCrLf && a.webStatus == b.webStatus &&
           a.loginUnreachable == b.loginUnreachable && a.teacherId == b.teacherId &&
           a.loginGreeting == b.loginGreeting && a.refuseText == b.refuseText &&
           a.refuseSixTokens == b.refuseSixTokens && a.loginFault == b.loginFault &&
           a.relayKnown == b.relayKnown && a.podiumAddress == b.podiumAddress &&
           a.relayVersion == b.relayVersion && a.relayVersionEmpty == b.relayVersionEmpty &&
           a.relayFault == b.relayFault && a.teacherVersion == b.teacherVersion && a.password == b.password &&
           a.podiumOrder == b.podiumOrder && a.keepAliveAnswers == b.keepAliveAnswers &&
           a.podiumEnd == b.podiumEnd && a.monitors == b.monitors;
}

namespace {

ParseResult Parse(std::vector<const char*> args, SimOptions& options) {
    args.insert(args.begin(), "orvane-classroom");
    return ParseCommandLine(static_cast<int>(args.size()), args.data(), options);
}

TEST(SimOptions, ScenariosApplyInOrderAndSingleOptionsWin) {
    SimOptions o;
    ASSERT_EQ(
        Parse({"--monitors", "3", "-s", "podium-old", "--scenario=password", "--password", "x1"}, o).action,
        ParseResult::Action::kRun);
    EXPECT_EQ(o.scenarios, (std::vector<std::string>{"podium-old", "password"}));
    EXPECT_EQ(o.teacherVersion, "2.0.1.1000");
    EXPECT_EQ(o.monitors, 3);  // the option, although podium-old sets one monitor
    EXPECT_EQ(o.password, "x1");

    SimOptions d;
    ASSERT_EQ(Parse({"--ports-auto", "--relay-port", "4000"}, d).action, ParseResult::Action::kRun);
    EXPECT_EQ(d.scenarios, std::vector<std::string>{"demo"});
    EXPECT_EQ(d.webPort, 0);
    EXPECT_EQ(d.loginPort, 0);
    EXPECT_EQ(d.relayPort, 4000);
}

TEST(SimOptions, BadCommandLinesAreRefusedWithTheOptionNamed) {
    const std::vector<std::vector<const char*>> bad = {
        {"--scenario", "no-such"},
        {"--monitors", "4"},
        {"--web-port", "70000"},
        {"--fps", "x"},
        {"--tile-size", "80"},
        {"--monitor-size", "1000x720"},  // not a whole number of 80x80 tiles
        {"--teacher-id", "a,b"},
        {"--bogus"},
        {"--log"},
        {"--time-limit", "-1"},
    };
    for (const auto& args : bad) {
        SimOptions o;
        const ParseResult r = Parse(args, o);
        EXPECT_EQ(r.action, ParseResult::Action::kError) << args[0];
        EXPECT_FALSE(r.error.empty());
    }
    SimOptions o;
    EXPECT_EQ(Parse({"--help"}, o).action, ParseResult::Action::kHelp);
}

TEST(Scenarios, EachIsUniqueListedOnOneLineAndChangesSomething) {
    std::set<std::string> names;
    const std::string help = HelpText();
    for (const Scenario& s : AllScenarios()) {
        EXPECT_TRUE(names.insert(s.name).second) << s.name;
        EXPECT_EQ(std::string(s.summary).find('\n'), std::string::npos) << s.name;
        EXPECT_NE(help.find(std::string("  ") + s.name + " "), std::string::npos) << s.name;
        SimOptions changed;
        s.apply(changed);
        if (std::string(s.name) != "demo") {
            EXPECT_FALSE(changed == SimOptions{}) << s.name << " changes nothing";
        }
    }
}

TEST(HttpMessage, RequestHeads) {
    HttpRequest r;
    std::size_t length = 0;
    const std::string pad =
        "GET /tavl/rsinfo/checkRsInfo.jsp?val1=1&val2=a%20b HTTP/1.0\r\nAccept: */*\r\nAccept-Language: "
        "ko\r\n"
        "User-Agent: Mozilla/4.0 (compatible; MSIE 5.01; Windows NT 5.0)\r\nConnection: Close\r\n\r\nextra";
    ASSERT_EQ(ParseRequestHead(pad, r, length), HeadStatus::kComplete);
    EXPECT_EQ(length, pad.size() - 5);
    EXPECT_EQ(r.path, "/tavl/rsinfo/checkRsInfo.jsp");
    EXPECT_EQ(r.query, "val1=1&val2=a%20b");
    EXPECT_EQ(r.Header("user-agent"), "Mozilla/4.0 (compatible; MSIE 5.01; Windows NT 5.0)");
    EXPECT_EQ(ParseRequestHead("GET / HTTP/1.1\n\n", r, length), HeadStatus::kComplete);  // LF only

    struct Case {
        std::string bytes;
        HeadStatus want;
    };
    const Case cases[] = {
        {"GET / HTTP/1.0\r\nHost: x\r\n", HeadStatus::kIncomplete},
        {"", HeadStatus::kIncomplete},
        {"GET /\r\n\r\n", HeadStatus::kBad},
        {"GET x HTTP/1.0\r\n\r\n", HeadStatus::kBad},
        {"GET / FTP/1.0\r\n\r\n", HeadStatus::kBad},
        {"GET / HTTP/1.0\r\nno colon\r\n\r\n", HeadStatus::kBad},
        {"\r\n\r\n", HeadStatus::kBad},
        {std::string(kMaxRequestHead, 'a'), HeadStatus::kBad},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ParseRequestHead(c.bytes, r, length), c.want) << c.bytes.substr(0, 40);
}

TEST(HttpMessage, QueryDecoding) {
    const auto q = ParseQuery("val1=-5&val2=a%20b&val3=%ea%b9%80+x&&bad=%zz&=v&flag");
    EXPECT_EQ(QueryValue(q, "val1"), "-5");
    EXPECT_EQ(QueryValue(q, "val2"), "a b");
    EXPECT_EQ(QueryValue(q, "val3"), "김+x");
    EXPECT_EQ(QueryValue(q, "bad"), "%zz");
    EXPECT_EQ(QueryValue(q, ""), "v");
    EXPECT_EQ(q.back(), (std::pair<std::string, std::string>{"flag", ""}));
    EXPECT_EQ(PercentDecode("%4"), "%4");
}

TEST(LookupPage, SignatureIsMd5OfTheAnsiText) {
    EXPECT_EQ(LookupSignature("5000", "teacher01"), "50f0de5b1a9bd35d6fd00cf625460648");
    EXPECT_EQ(LookupSignature("77", "김선생"), "d1fb3d90c657fea2612d0cced3b06241");  // CP949 bytes
}

TEST(LookupPage, Answers) {
    const std::string sig = LookupSignature("5000", "teacher01");
    const std::string denied =
        "result:false\ncode:1\nmessage:\xc0\xdf\xb8\xf8\xb5\xc8 \xc1\xa2\xb1\xd9\xc0\xd4\xb4\xcf\xb4\xd9.\n";
    struct Case {
        const char* name;
        std::function<void(SimOptions&)> setup;
        LookupRequest request;
        std::string body;
    };
    const Case cases[] = {
        {"address",
         [](SimOptions&) {},
         {"5000", sig, "teacher01"},
         "result:true\nrsip:127.0.0.1\nrsport:4321\n"},
        {"crlf",
         [](SimOptions& o) { o.lookupCrLf = true; },
         {"5000", sig, "teacher01"},
         "result:true\r\nrsip:127.0.0.1\r\nrsport:4321\r\n"},
        {"bad signature", [](SimOptions&) {}, {"5000", "0" + sig.substr(1), "teacher01"}, denied},
        {"val1 not a number", [](SimOptions&) {}, {"50x", LookupSignature("50x", "t"), "t"}, denied},
        {"val1 beyond 32 bits",
         [](SimOptions&) {},
         {"2147483648", LookupSignature("2147483648", "t"), "t"},
         denied},
        {"lookup-denied",
         [](SimOptions& o) { FindScenario("lookup-denied")->apply(o); },
         {"5000", sig, "teacher01"},
         denied},
        {"lookup-message-first",
         [](SimOptions& o) { FindScenario("lookup-message-first")->apply(o); },
         {"5000", sig, "teacher01"},
         "result:false\nmessage:" + WideToAnsi(u"서비스 점검 중입니다.") + "\ncode:1\n"},
        {"lookup-no-address",
         [](SimOptions& o) { FindScenario("lookup-no-address")->apply(o); },
         {"5000", sig, "teacher01"},
         "result:true\n"},
        {"unknown teacher",
         [](SimOptions& o) { o.teacherId = "other"; },
         {"5000", sig, "teacher01"},
         "result:false\ncode:2\nmessage:" + WideToAnsi(u"유효하지않은  선생님 ID 입니다.") + "\n"},
    };
    for (const Case& c : cases) {
        SimOptions o;
        c.setup(o);
        EXPECT_EQ(AnswerLookup(c.request, o, 4321).body, c.body) << c.name;
    }
}

TEST(LoginServer, IdentificationChecks) {
    const std::u16string good = u"3,teacher01,10.0.0.7,50123,3.0.1.1007,1,Reserved,Reserved";
    EXPECT_TRUE(CheckLoginIdentification(good, 50123, "").empty());
    EXPECT_TRUE(CheckLoginIdentification(good, 50123, "teacher01").empty());
    struct Case {
        std::u16string args;
        const char* mentions;
    };
    const Case cases[] = {
        {u"3,teacher01,10.0.0.7,50124,3.0.1.1007,1,Reserved,Reserved", "local port"},
        {u"3,teacher01,10.0.0.256,50123,3.0.1.1007,1,Reserved,Reserved", "local address"},
        {u"3,,10.0.0.7,50123,3.0.1.1007,1,Reserved,Reserved", "teacher ID"},
        {u"2,teacher01,10.0.0.7,50123,3.0.1.1007,1,Reserved,Reserved", "protocol number"},
        {u"3,teacher01,10.0.0.7,50123,3.0.1.1006,1,Reserved,Reserved", "pad version"},
        {u"3,teacher01,10.0.0.7,50123,3.0.1.1007,0,Reserved,Reserved", "client flag"},
        {u"3,teacher01,10.0.0.7,50123,3.0.1.1007,1,Reserved", "8 fields"},
        {u"", "8 fields"},
    };
    for (const Case& c : cases) {
        const auto problems = CheckLoginIdentification(c.args, 50123, "");
        ASSERT_FALSE(problems.empty()) << c.mentions;
        EXPECT_NE(problems.front().find(c.mentions), std::string::npos) << problems.front();
    }
    EXPECT_FALSE(CheckLoginIdentification(good, 50123, "someone").empty());
}

TEST(RelayServer, IdentificationFormByVersion) {
    EXPECT_TRUE(CheckRelayIdentification(u"t,orvane,1", "1.0.1.1000", "").empty());
    EXPECT_TRUE(
        CheckRelayIdentification(u"t,orvane,1", "1.0.1.999", "").empty());  // after 1.0.1.1000 as text
    EXPECT_TRUE(CheckRelayIdentification(u"t,orvane", "1.0.0.9", "").empty());
    EXPECT_FALSE(CheckRelayIdentification(u"t,orvane", "1.0.1.1000", "").empty());
    EXPECT_FALSE(CheckRelayIdentification(u"t,orvane,1", "1.0.0.9", "").empty());
    EXPECT_FALSE(CheckRelayIdentification(u"t,other,1", "1.0.1.1000", "").empty());
    EXPECT_FALSE(CheckRelayIdentification(u"t,orvane,2", "1.0.1.1000", "").empty());
}

TEST(PasswordAnswer, GoldenCipherAndReading) {
    const std::string key = "orvane-classroom-demo-aes-key-32";
    EXPECT_EQ(EncipherPassword("1234", key), "/Z74pInf9xkoE4sMjbVhag==");  // openssl enc -aes-256-cbc
    const PasswordAnswer right = ReadPasswordAnswer(u"0,/Z74pInf9xkoE4sMjbVhag==", key);
    EXPECT_TRUE(right.readable);
    EXPECT_TRUE(right.enciphered);
    EXPECT_EQ(right.password, "1234");

    // The pad's pass-through: the text and zero bytes up to the block.
    const PasswordAnswer plain = ReadPasswordAnswer(u"0,MTIzNAAAAAAAAAAAAAAAAA==", key);
    EXPECT_TRUE(plain.readable);
    EXPECT_FALSE(plain.enciphered);
    EXPECT_EQ(plain.password, "1234");

    for (const std::u16string& bad :
         {std::u16string(u"0,/Z74pInf9xkoE4sMjbVhag"), std::u16string(u"1,/Z74pInf9xkoE4sMjbVhag=="),
          std::u16string(u"/Z74pInf9xkoE4sMjbVhag=="), std::u16string(u"0,"), std::u16string(u"0,MTIz")})
        EXPECT_FALSE(ReadPasswordAnswer(bad, key).readable) << WideToUtf8String(bad);
    EXPECT_FALSE(ReadPasswordAnswer(u"0,/Z74pInf9xkoE4sMjbVhag==", "another-key").password == "1234");
}

TEST(PasswordAnswer, Base64) {
    EXPECT_EQ(DecodeBase64("TWFu"), (std::vector<std::uint8_t>{'M', 'a', 'n'}));
    EXPECT_EQ(DecodeBase64("TWE="), (std::vector<std::uint8_t>{'M', 'a'}));
    EXPECT_EQ(DecodeBase64("TQ=="), (std::vector<std::uint8_t>{'M'}));
    EXPECT_EQ(DecodeBase64(""), std::vector<std::uint8_t>{});
    for (const char* bad : {"TWF", "T===", "TQ=a", "TQ==TWFu", "TW-u", "TW u"})
        EXPECT_FALSE(DecodeBase64(bad)) << bad;
}

TEST(TestDesktop, ChangedTilesAreExactlyTheTilesThatDiffer) {
    const FrameGeometry geometries[] = {
        {320, 240, 40, 40, 0}, {1280, 720, 80, 80, 2}, {240, 150, 120, 150, 1}};
    for (const FrameGeometry& g : geometries) {
        for (int frame = 2; frame < 80; frame += 7) {
            std::vector<std::int32_t> differ;
            for (int t = 0; t < g.tileCount(); ++t) {
                const int left = (t % g.tilesPerRow()) * g.tileWidth;
                const int top = (t / g.tilesPerRow()) * g.tileHeight;
                bool changed = false;
                for (int y = top; y < top + g.tileHeight && !changed; ++y)
                    for (int x = left; x < left + g.tileWidth && !changed; ++x)
                        changed = TestPixel(g, frame - 1, x, y) != TestPixel(g, frame, x, y);
                if (changed)
                    differ.push_back(t);
            }
            const auto listed = ChangedTiles(g, frame);
            // Every tile that differs is listed; a listed tile may only be one the square left or
            // entered without a visible change.
            for (std::int32_t t : differ)
                EXPECT_NE(std::find(listed.begin(), listed.end(), t), listed.end()) << "tile " << t;
            EXPECT_TRUE(std::is_sorted(listed.begin(), listed.end()));
            EXPECT_FALSE(listed.empty());
            const Rect square = SquareAt(g, frame);
            EXPECT_TRUE(square.left >= 0 && square.top >= 0 && square.right <= g.width &&
                        square.bottom <= g.height);
        }
    }
}

TEST(EventLog, JsonStrings) {
    EXPECT_EQ(JsonString("a\"b\\c\n\x01"), "\"a\\\"b\\\\c\\n\\u0001\"");
    EXPECT_EQ(JsonObject().Str("k", "수업").Int("n", -3).Bool("b", true).Text(),
              "{\"k\":\"수업\",\"n\":-3,\"b\":true}");
}

}  // namespace
}  // namespace orvane::sim
