// The real orvane-classroom process on free loopback ports, driven by a scripted pad: the relay
// lookup, the direct and the relay handshakes, remote control frames, failure scenarios, bad bytes,
// the log, and a clean end. Golden bytes are written out here, computed apart from the codec.
#include <turbojpeg.h>

#include <QJsonArray>

#include <set>

#include "ClassroomHarness.h"
#include "app/ProductProfile.h"
#include "protocol/TileFrameBlock.h"
#include "security/Crypt256.h"
#include "security/MD5Hash.h"
#include "sim/TestDesktop.h"

namespace orvane::sim_test {
namespace {

// Wire bytes after the check word under the default packet password "tavelonpadr!@#$": length,
// kind 1, the digest text, the text length and the RC4 cipher text.
const std::string kGreetingAcceptGolden =
    "6700000001200000006400610039006200630036006500620034006400630066"
    "0030003100650032003300300064003200340064003300660065003300340062"
    "0061006200650033001a000000e692c9ecc051031e872433924677ba21545c08"
    "83b36828cbcdfc";  // "[UR00001]0,OK"
const std::string kAcceptanceGolden =
    "5f00000001200000006500380036003900380037003600300032006300650065"
    "0065006100620037003100630031003900660036003700300030006500610033"
    "00650061003700650012000000e692d1ecc451031e872433924677bc21545c";  // "[MV00007]"
const std::string kRelayGreetingGolden =
    "7300000001200000006500320062003300640038003200380030003700370030"
    "0065003100650064003500660061006200380063006600380063003000650032"
    "00340035003500300026000000e692daecc051031e872433924677ba21545c09"
    "83b16857cba8fc2bcaf44c71518b47e6706588";  // "[FR00001]1.0.1.1000"
// The whole "[RC00003]" keep-alive as the pad sends it, check word of tick byte 0x5A included.
const std::string kKeepAliveWire =
    "a2a1a55a"
    "5f00000001200000006400630036003600300062003400330066006400660065"
    "0036006500620036003300320035006400360064006400300062006500300038"
    "00640031006600350012000000e692ceecd151031e872433924677b821545c";

void ExpectCheckWord(const std::vector<std::uint8_t>& wire) {
    ASSERT_GE(wire.size(), 4u);
    const std::uint8_t g = wire[3];
    EXPECT_EQ(wire[0], (g >> 5) + 0xA0);
    EXPECT_EQ(wire[1], (g >> 6) + 0xA0);
    EXPECT_EQ(wire[2], (g >> 4) + 0xA0);
}

std::string LookupUrl(const std::string& scheme, int port, const std::string& val1,
                      const std::string& teacher) {
    return scheme + "://127.0.0.1:" + std::to_string(port) + "/tavl/rsinfo/checkRsInfo.jsp?val1=" + val1 +
           "&val2=" + Md5Hex(val1 + "." + WideToAnsi(Utf8StringToWide(teacher))) + "&val3=" + teacher;
}

std::string Identification(int localPort, const std::string& teacher = "teacher01") {
    return "[US00001]3," + teacher + ",192.168.0.23," + std::to_string(localPort) +
           ",3.0.1.1007,1,Reserved,Reserved";
}

// Logs in and returns the podium PC address and port the login server names ("" on failure).
std::pair<std::string, int> LogIn(int loginPort, std::vector<std::string>* texts = nullptr) {
    PadConnection login;
    if (!login.Connect(loginPort))
        return {};
    const std::string greeting = login.ReceiveText();
    login.SendText(Utf8StringToWide(Identification(login.LocalPort())));
    const std::string relay = login.ReceiveText();
    const std::string podium = login.ReceiveText();
    if (texts)
        *texts = {greeting, relay, podium};
    const auto fields = [&] {
        std::vector<std::string> out;
        std::stringstream in(podium.substr(9));
        std::string f;
        while (std::getline(in, f, ','))
            out.push_back(f);
        return out;
    }();
    if (fields.size() != 7)
        return {};
    return {fields[4], std::atoi(fields[5].c_str())};
}

// The decoded strip of a frame packet, as BGRA, with its tile list.
struct DecodedFrame {
    std::vector<std::int32_t> tiles;
    int width = 0, height = 0;
    std::vector<std::uint8_t> bgra;
};

std::optional<DecodedFrame> DecodeFrame(const CPacket& packet, const sim::FrameGeometry& g) {
    std::vector<std::uint8_t> block;
    TileFrameView view;
    if (packet.kind != PacketKind::kCompressedFrame || !InflateFramePacket(packet, block) ||
        !ParseTileFrameBlock(block, g.tileCount(), view))
        return std::nullopt;
    DecodedFrame frame;
    frame.tiles = view.indices;
    tjhandle jpeg = tjInitDecompress();
    int subsampling = 0, colorspace = 0;
    bool ok = tjDecompressHeader3(jpeg, view.jpeg.data(), view.jpeg.size(), &frame.width, &frame.height,
                                  &subsampling, &colorspace) == 0;
    if (ok) {
        frame.bgra.resize(static_cast<std::size_t>(frame.width) * frame.height * 4);
        ok = tjDecompress2(jpeg, view.jpeg.data(), view.jpeg.size(), frame.bgra.data(), frame.width, 0,
                           frame.height, TJPF_BGRA, 0) == 0;
    }
    tjDestroy(jpeg);
    return ok ? std::optional(frame) : std::nullopt;
}

// The decoded strip shows the test picture of frame `number` at every listed tile (JPEG error
// allowed; sampled at tile centres, away from edges and the square's border).
void ExpectStripShowsFrame(const DecodedFrame& frame, const sim::FrameGeometry& g, int number) {
    ASSERT_EQ(frame.width, static_cast<int>(frame.tiles.size()) * g.tileWidth);
    ASSERT_EQ(frame.height, g.tileHeight);
    for (std::size_t i = 0; i < frame.tiles.size(); ++i) {
        const int t = frame.tiles[i];
        const int x = (t % g.tilesPerRow()) * g.tileWidth + g.tileWidth / 2;
        const int y = (t / g.tilesPerRow()) * g.tileHeight + g.tileHeight / 2;
        const std::uint32_t want = sim::TestPixel(g, number, x, y);
        const std::uint8_t* got =
            frame.bgra.data() +
            (static_cast<std::size_t>(g.tileHeight / 2) * frame.width + i * g.tileWidth + g.tileWidth / 2) *
                4;
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(got[c], (want >> (8 * c)) & 0xFF, 24) << "tile " << t << " channel " << c;
    }
}

TEST(ClassroomProcess, LookupOverHttpsAndHttpOnOnePort) {
    SimProcess sim({});
    ASSERT_TRUE(sim.ready()) << sim.Stderr();

    // A negative tick count is what the pad sends after 24.8 days of uptime.
    const HttpResult https = HttpGet(LookupUrl("https", sim.web(), "-1234567", "teacher01"));
    ASSERT_EQ(https.code, CURLE_OK);
    EXPECT_EQ(https.status, 200);
    EXPECT_EQ(https.body, "result:true\nrsip:127.0.0.1\nrsport:" + std::to_string(sim.login()) + "\n");

    const HttpResult http = HttpGet(LookupUrl("http", sim.web(), "5000", "teacher01"));
    EXPECT_EQ(http.body, https.body);

    // A Korean teacher ID is signed over its CP949 bytes and sent as UTF-8 escapes.
    const std::string korean = "%ea%b9%80%ec%84%a0%ec%83%9d";  // 김선생
    const std::string val2 = Md5Hex("77." + WideToAnsi(u"김선생"));
    EXPECT_EQ(HttpGet("http://127.0.0.1:" + std::to_string(sim.web()) +
                      "/tavl/rsinfo/checkRsInfo.jsp?val1=77&val2=" + val2 + "&val3=" + korean)
                  .body.substr(0, 12),
              "result:true\n");

    // A wrong signature is refused with code 1 and the service's own Korean text, in CP949.
    const HttpResult bad = HttpGet("http://127.0.0.1:" + std::to_string(sim.web()) +
                                   "/tavl/rsinfo/checkRsInfo.jsp?val1=5000&val2=0123&val3=teacher01");
    EXPECT_EQ(bad.body, "result:false\ncode:1\nmessage:" + WideToAnsi(u"잘못된 접근입니다.") + "\n");
    EXPECT_EQ(HttpGet("http://127.0.0.1:" + std::to_string(sim.web()) + "/nothing").status, 404);

    EXPECT_EQ(sim.Terminate(), 0);
    int checks = 0, failed = 0;
    for (const QJsonObject& r : sim.Log()) {
        if (r["event"] == "check" && r["what"] == "val2") {
            ++checks;
            failed += r["ok"].toBool() ? 0 : 1;
        }
    }
    EXPECT_EQ(checks, 4);
    EXPECT_EQ(failed, 1);
}

TEST(ClassroomProcess, DirectHandshakeAndRemoteControl) {
    SimProcess sim({"--teacher-id", "teacher01"});
    ASSERT_TRUE(sim.ready()) << sim.Stderr();

    // Login server: golden greeting, then the relay and the podium PC addresses.
    PadConnection login;
    ASSERT_TRUE(login.Connect(sim.login()));
    auto greeting = login.Receive();
    ASSERT_TRUE(greeting);
    ExpectCheckWord(greeting->wire);
    EXPECT_EQ(HexOf(greeting->wire, 4), kGreetingAcceptGolden);
    login.SendText(Utf8StringToWide(Identification(login.LocalPort())));
    EXPECT_EQ(login.ReceiveText(), "[UR00004]127.0.0.1," + std::to_string(sim.relay()));
    EXPECT_EQ(login.ReceiveText(), "[UR00002]teacher01,CLASSROOM-PC,Tavelon Teacher,2.0.1.1080,127.0.0.1," +
                                       std::to_string(sim.podium()) + ",Reserved");

    // Podium PC: version, golden acceptance; the pad announces itself and gets the desktop.
    PadConnection podium;
    ASSERT_TRUE(podium.Connect(sim.podium()));
    EXPECT_EQ(podium.ReceiveText(), "[MV00094]2.0.1.1080");
    auto acceptance = podium.Receive();
    ASSERT_TRUE(acceptance);
    EXPECT_EQ(HexOf(acceptance->wire, 4), kAcceptanceGolden);
    podium.SendText(u"[RC00022]1,Reserved,Reserved");
    podium.SendText(u"[RC00001]3.0.1.1007");
    const std::vector<std::string> status = {
        "[RH00001]2560,720",       "[RH00007]80,80", "[RH00009]2,1,0,0,1280,720",
        "[RH00010]2,0,0,2560,720", "[RH00003]0",     "[RH00004]0"};
    for (const std::string& text : status)
        EXPECT_EQ(podium.ReceiveText(), text);

    // The hand-written keep-alive bytes are understood.
    podium.SendRaw(BytesOfHex(kKeepAliveWire));
    EXPECT_EQ(podium.ReceiveText(), "[RH10002]");
    podium.SendText(u"[RC00013]on");
    EXPECT_EQ(podium.ReceiveText(), "[RH00003]1");
    podium.SendText(u"[RC00012]on");
    EXPECT_EQ(podium.ReceiveText(), "[RH00004]1");

    // Screen up: a frame of the pad is acknowledged with its number.
    std::vector<std::uint8_t> block;
    const std::vector<std::int32_t> one = {0};
    const std::vector<std::uint8_t> fakeJpeg = {0xFF, 0xD8, 0xFF, 0xD9};
    BuildTileFrameBlock(one, fakeJpeg, block);
    podium.Send(MakeFramePacket(block, 41));
    EXPECT_EQ(podium.ReceiveText(), "[RH00002]41");

    // Remote control: the desktop again, then frames one at a time, each after the last ack.
    podium.SendText(u"[RC00004]");
    for (const std::string& text : status) {
        const std::string switched = text == "[RH00003]0"   ? "[RH00003]1"
                                     : text == "[RH00004]0" ? "[RH00004]1"
                                                            : text;
        EXPECT_EQ(podium.ReceiveText(), switched);
    }
    sim::FrameGeometry g{1280, 720, 80, 80, 0};
    for (int number = 1; number <= 3; ++number) {
        auto frame = podium.Receive();
        ASSERT_TRUE(frame);
        EXPECT_EQ(frame->packet.tagValue, number);
        auto decoded = DecodeFrame(frame->packet, g);
        ASSERT_TRUE(decoded) << "frame " << number;
        EXPECT_EQ(decoded->tiles, number == 1 ? sim::AllTiles(g) : sim::ChangedTiles(g, number));
        ExpectStripShowsFrame(*decoded, g, number);
        if (number < 3)
            podium.SendText(u"[RC00006]" + W(std::to_string(number)));
    }
    // Monitor 2 while frame 3 is unacknowledged: the layout answer first, then a whole frame of it.
    podium.SendText(u"[RC00023]2");
    EXPECT_EQ(podium.ReceiveText(), "[RH00009]2,2,1280,0,2560,720");
    EXPECT_EQ(podium.ReceiveText(), "[RH00010]2,0,0,2560,720");
    podium.SendText(u"[RC00006]3");
    auto frame4 = podium.Receive();
    ASSERT_TRUE(frame4);
    g.monitor = 1;
    auto decoded4 = DecodeFrame(frame4->packet, g);
    ASSERT_TRUE(decoded4);
    EXPECT_EQ(frame4->packet.tagValue, 4);
    EXPECT_EQ(decoded4->tiles, sim::AllTiles(g));
    ExpectStripShowsFrame(*decoded4, g, 4);
    podium.SendText(u"[RC00005]");
    podium.SendText(u"[RC00006]4");
    podium.SendText(u"[RC00003]");
    EXPECT_EQ(podium.ReceiveText(), "[RH10002]");  // no frame 5 after the end of remote control

    EXPECT_EQ(sim.Terminate(), 0);
    const std::vector<QJsonObject> log = sim.Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.front()["event"], "ready");
    EXPECT_EQ(log.back()["event"], "stop");
    EXPECT_EQ(log.back()["reason"], "SIGTERM");
    // Every text both ways is in the log, in order.
    const auto sent = LoggedTexts(log, "podium", "send");
    const auto received = LoggedTexts(log, "podium", "recv");
    EXPECT_EQ(sent.front(), "[MV00094]2.0.1.1080");
    EXPECT_EQ(received,
              (std::vector<std::string>{"[RC00022]1,Reserved,Reserved", "[RC00001]3.0.1.1007", "[RC00003]",
                                        "[RC00013]on", "[RC00012]on", "[RC00004]", "[RC00006]1", "[RC00006]2",
                                        "[RC00023]2", "[RC00006]3", "[RC00005]", "[RC00006]4", "[RC00003]"}));
    // The login server checked the identification; nothing the scripted pad sent failed a check.
    bool checked = false;
    for (const QJsonObject& r : log) {
        if (r["peer"] == "login" && r["event"] == "check")
            checked = r["ok"].toBool();
        EXPECT_FALSE(r["event"] == "check" && !r["ok"].toBool()) << QJsonDocument(r).toJson().toStdString();
        EXPECT_NE(r["event"], "error");
    }
    EXPECT_TRUE(checked);
    // Frames went out one at a time: each frame after the first follows the ack of the one before.
    int lastAck = 0, frames = 0;
    for (const QJsonObject& r : log) {
        const QJsonObject p = r["packet"].toObject();
        if (r["peer"] != "podium" || p.isEmpty())
            continue;
        if (r["dir"] == "recv" && p["text"].toString().startsWith("[RC00006]"))
            lastAck = p["text"].toString().mid(9).toInt();
        if (r["dir"] == "send" && p["kind"].toInt() == 12) {
            ++frames;
            const int number = p["frame"].toInt();
            if (number > 1) {
                EXPECT_EQ(lastAck, number - 1)
                    << "frame " << number << " went out before its predecessor's ack";
            }
        }
    }
    EXPECT_EQ(frames, 4);
}

// Connects to the podium PC and goes as far as the desktop status after the announcement.
void Announce(PadConnection& podium, int port, const std::string& version, std::size_t statusMessages) {
    ASSERT_TRUE(podium.Connect(port));
    EXPECT_EQ(podium.ReceiveText(), "[MV00094]" + version);
    EXPECT_EQ(podium.ReceiveText(), "[MV00007]");
    podium.SendText(u"[RC00022]1,Reserved,Reserved");
    podium.SendText(u"[RC00001]3.0.1.1007");
    for (std::size_t i = 0; i < statusMessages; ++i)
        podium.ReceiveText();
}

TEST(ClassroomProcess, EveryThirtiethFrameIsWhole) {
    SimProcess sim(
        {"--scenario", "one-monitor", "--fps", "60", "--monitor-size", "640x480", "--tile-size", "64x48"});
    ASSERT_TRUE(sim.ready()) << sim.Stderr();
    PadConnection podium;
    Announce(podium, sim.podium(), "2.0.1.1080", 6);
    podium.SendText(u"[RC00004]");
    for (int i = 0; i < 6; ++i)
        podium.ReceiveText();
    const sim::FrameGeometry g{640, 480, 64, 48, 0};
    for (int number = 1; number <= 32; ++number) {
        auto frame = podium.Receive();
        ASSERT_TRUE(frame);
        ASSERT_EQ(frame->packet.tagValue, number);
        auto decoded = DecodeFrame(frame->packet, g);
        ASSERT_TRUE(decoded);
        const bool whole = number == 1 || number == 31;
        EXPECT_EQ(decoded->tiles, whole ? sim::AllTiles(g) : sim::ChangedTiles(g, number))
            << "frame " << number;
        podium.SendText(u"[RC00006]" + W(std::to_string(number)));
    }
    EXPECT_EQ(sim.Terminate(), 0);
}

// The desktop the teacher program reports, by version and monitor count.
TEST(ClassroomProcess, MonitorsAndOldTeacherVersions) {
    {
        SimProcess sim({"--scenario", "three-monitors"});
        ASSERT_TRUE(sim.ready()) << sim.Stderr();
        PadConnection podium;
        Announce(podium, sim.podium(), "2.0.1.1080", 0);
        EXPECT_EQ(podium.ReceiveText(), "[RH00001]3840,720");
        podium.ReceiveText();
        EXPECT_EQ(podium.ReceiveText(), "[RH00009]3,1,0,0,1280,720");
        EXPECT_EQ(podium.ReceiveText(), "[RH00010]3,0,0,3840,720");
        podium.ReceiveText();
        podium.ReceiveText();
        podium.SendText(u"[RC00023]3");
        EXPECT_EQ(podium.ReceiveText(), "[RH00009]3,3,2560,0,3840,720");
        EXPECT_EQ(podium.ReceiveText(), "[RH00010]3,0,0,3840,720");
        podium.SendText(u"[RC00023]4");  // out of range: the selection stays
        EXPECT_EQ(podium.ReceiveText(), "[RH00009]3,3,2560,0,3840,720");
        EXPECT_EQ(sim.Terminate(), 0);
    }
    {
        // Before 2.0.1.1068 the picture follows the pad's screen and the pad's tile rule; before
        // 2.0.1.1028 the switches are not answered.
        SimProcess sim({"--scenario", "podium-old"});
        ASSERT_TRUE(sim.ready()) << sim.Stderr();
        PadConnection podium;
        Announce(podium, sim.podium(), "2.0.1.1000", 4);
        podium.SendText(u"[RC00010]1920,1200");
        podium.SendText(u"[RC00013]on");
        podium.SendText(u"[RC00004]");
        EXPECT_EQ(podium.ReceiveText(), "[RH00001]1920,1200");
        EXPECT_EQ(podium.ReceiveText(), "[RH00007]120,150");
        EXPECT_EQ(podium.ReceiveText(), "[RH00009]1,1,0,0,1920,1200");
        EXPECT_EQ(podium.ReceiveText(), "[RH00010]1,0,0,1920,1200");
        auto frame = podium.Receive();
        ASSERT_TRUE(frame);
        const sim::FrameGeometry g{1920, 1200, 120, 150, 0};
        auto decoded = DecodeFrame(frame->packet, g);
        ASSERT_TRUE(decoded);
        EXPECT_EQ(decoded->tiles.size(), 128u);
        EXPECT_EQ(sim.Terminate(), 0);
    }
}

TEST(ClassroomProcess, RelayHandshakeWithPassword) {
    SimProcess sim({"--scenario", "relay", "--scenario", "password", "--password", "bom2024"});
    ASSERT_TRUE(sim.ready()) << sim.Stderr();

    // The named podium PC port refuses; the pad logs in again and takes the relay path.
    auto [address, port] = LogIn(sim.login());
    EXPECT_EQ(address, "127.0.0.1");
    PadConnection direct;
    EXPECT_FALSE(direct.Connect(port));
    std::vector<std::string> second;
    LogIn(sim.login(), &second);
    EXPECT_EQ(second[1], "[UR00004]127.0.0.1," + std::to_string(sim.relay()));

    PadConnection relay;
    ASSERT_TRUE(relay.Connect(sim.relay()));
    auto greeting = relay.Receive();
    ASSERT_TRUE(greeting);
    EXPECT_EQ(HexOf(greeting->wire, 4), kRelayGreetingGolden);
    relay.SendText(u"[US00001]teacher01,orvane,1");
    const std::string session = relay.ReceiveText();
    ASSERT_EQ(session.substr(0, 9), "[FR00002]");
    const int first = std::atoi(session.c_str() + 9);
    const int second2 = std::atoi(session.c_str() + session.find(',') + 1);
    relay.SendWrapped(u"[PC_CONN]", first, second2);

    EXPECT_EQ(relay.ReceiveWrappedText(), "[MV00094]2.0.1.1080");
    EXPECT_EQ(relay.ReceiveWrappedText(), "[MV00007]");
    EXPECT_EQ(relay.ReceiveWrappedText(), "[RH00011]0,0");
    relay.SendWrapped(u"[RC00022]1,Reserved,Reserved", first, second2);
    relay.SendWrapped(u"[RC00001]3.0.1.1007", first, second2);
    // Until the password is right, the teacher program does not open its desktop.
    relay.SendWrapped(u"[RC00024]0," + EncryptToBase64(u"wrong"), first, second2);
    EXPECT_EQ(relay.ReceiveWrappedText(), "[RH00011]2");
    relay.SendWrapped(u"[RC00024]0," + EncryptToBase64(u"bom2024"), first, second2);
    EXPECT_EQ(relay.ReceiveWrappedText(), "[RH00011]1");
    relay.SendWrapped(u"[RC00001]3.0.1.1007", first, second2);
    EXPECT_EQ(relay.ReceiveWrappedText(), "[RH00001]2560,720");
    for (int i = 0; i < 5; ++i)
        relay.ReceiveWrappedText();
    relay.SendWrapped(u"[RC00003]", first, second2);
    EXPECT_EQ(relay.ReceiveWrappedText(), "[RH10002]");

    EXPECT_EQ(sim.Terminate(), 0);
    const std::vector<QJsonObject> log = sim.Log();
    int passwordChecks = 0, rightPasswords = 0;
    for (const QJsonObject& r : log) {
        if (r["event"] == "check" && r["what"] == "password") {
            ++passwordChecks;
            rightPasswords += r["ok"].toBool() ? 1 : 0;
            EXPECT_TRUE(r["enciphered"].toBool());
        }
        if (r["event"] == "check" && r["what"] == "envelope ids" && !r["ok"].toBool())
            ADD_FAILURE() << "envelope ids refused";
    }
    EXPECT_EQ(passwordChecks, 2);
    EXPECT_EQ(rightPasswords, 1);
    // The podium PC saw the pad's texts through the relay, unwrapped.
    const auto podiumReceived = LoggedTexts(log, "podium", "recv");
    ASSERT_FALSE(podiumReceived.empty());
    EXPECT_EQ(podiumReceived.front(), "[RC00022]1,Reserved,Reserved");
    EXPECT_EQ(podiumReceived.back(), "[RC00003]");
}

// The identification forms by relay version, and a wrong form answered with "[MV10001]".
TEST(ClassroomProcess, RelayIdentificationFollowsTheRelayVersion) {
    struct Case {
        const char* scenario;
        const char* version;
        std::u16string right;
        std::u16string wrong;
    };
    const Case cases[] = {
        {"relay-old", "1.0.0.9", u"[US00001]teacher01,orvane", u"[US00001]teacher01,orvane,1"},
        {"relay-999", "1.0.1.999", u"[US00001]teacher01,orvane,1", u"[US00001]teacher01,orvane"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        SimProcess sim({"--scenario", c.scenario});
        ASSERT_TRUE(sim.ready()) << sim.Stderr();
        PadConnection right, wrong;
        ASSERT_TRUE(right.Connect(sim.relay()));
        ASSERT_TRUE(wrong.Connect(sim.relay()));
        EXPECT_EQ(right.ReceiveText(), std::string("[FR00001]") + c.version);
        EXPECT_EQ(wrong.ReceiveText(), std::string("[FR00001]") + c.version);
        right.SendText(c.right);
        EXPECT_EQ(right.ReceiveText().substr(0, 9), "[FR00002]");
        wrong.SendText(c.wrong);
        EXPECT_EQ(wrong.ReceiveText(), "[MV10001]");
        EXPECT_EQ(sim.Terminate(), 0);
    }
}

// Each login-phase scenario changes exactly the message it names.
TEST(ClassroomProcess, LoginScenarios) {
    struct Case {
        const char* scenario;
        std::vector<std::string> texts;  // greeting, then the answers to the identification
    };
    const std::string kNoTeacher = "일치하는 선생님 정보를 찾을 수 없습니다.";
    const Case cases[] = {
        {"login-refuse-no-teacher", {"[UR00001]1," + kNoTeacher}},
        {"login-refuse-kind",
         {"[UR00001]1,로그인 서버와 Ombrix 종류가 다릅니다.\n프로그램을 확인해 주세요."}},
        {"login-refuse-six", {"[UR00001]1," + kNoTeacher + ",0,0,0,0"}},
        {"login-bad-greeting", {"[UR00001]0,OK,extra", "[UR00004]", "[UR00002]"}},
        {"login-bad-relay", {"[UR00001]0,OK", "[UR00004]127.0.0.1", "[UR00002]"}},
        {"login-disconnect", {"[UR00001]0,OK", "[MV10001]"}},
        {"no-relay", {"[UR00001]0,OK", "[UR00004]NONE,0", "[UR00002]"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.scenario);
        SimProcess sim({"--scenario", c.scenario});
        ASSERT_TRUE(sim.ready()) << sim.Stderr();
        PadConnection login;
        ASSERT_TRUE(login.Connect(sim.login()));
        EXPECT_EQ(login.ReceiveText(), c.texts[0]);
        if (c.texts.size() > 1) {
            login.SendText(Utf8StringToWide(Identification(login.LocalPort())));
            for (std::size_t i = 1; i < c.texts.size(); ++i) {
                const std::string got = login.ReceiveText();
                EXPECT_EQ(got.substr(0, c.texts[i].size()), c.texts[i]);
            }
        }
        EXPECT_EQ(sim.Terminate(), 0);
    }
}

TEST(ClassroomProcess, RefuseOnceThenAccept) {
    SimProcess sim({"--scenario", "login-refuse-once"});
    ASSERT_TRUE(sim.ready()) << sim.Stderr();
    PadConnection first, second;
    ASSERT_TRUE(first.Connect(sim.login()));
    EXPECT_EQ(first.ReceiveText(), "[UR00001]1,일치하는 선생님 정보를 찾을 수 없습니다.");
    ASSERT_TRUE(second.Connect(sim.login()));
    EXPECT_EQ(second.ReceiveText(), "[UR00001]0,OK");
    EXPECT_EQ(sim.Terminate(), 0);
}

TEST(ClassroomProcess, WrongIdentificationFieldsAreNamedAndRefused) {
    SimProcess sim({});
    ASSERT_TRUE(sim.ready()) << sim.Stderr();
    PadConnection login;
    ASSERT_TRUE(login.Connect(sim.login()));
    login.ReceiveText();
    login.SendText(Utf8StringToWide(Identification(login.LocalPort() ^ 1)));
    EXPECT_EQ(login.ReceiveText(), "[MV10001]");
    EXPECT_EQ(sim.Terminate(), 0);
    bool named = false;
    for (const QJsonObject& r : sim.Log())
        if (r["event"] == "check" && r["peer"] == "login" && !r["ok"].toBool())
            named = r["problems"].toArray().first().toString().contains("local port");
    EXPECT_TRUE(named);
}

TEST(ClassroomProcess, WebFailureScenarios) {
    {
        SimProcess sim({"--scenario", "web-http-only"});
        ASSERT_TRUE(sim.ready()) << sim.Stderr();
        EXPECT_NE(HttpGet(LookupUrl("https", sim.web(), "1", "t")).code, CURLE_OK);
        EXPECT_EQ(HttpGet(LookupUrl("http", sim.web(), "1", "t")).status, 200);
        EXPECT_EQ(sim.Terminate(), 0);
    }
    {
        SimProcess sim({"--scenario", "web-error"});
        ASSERT_TRUE(sim.ready()) << sim.Stderr();
        EXPECT_EQ(HttpGet(LookupUrl("https", sim.web(), "1", "t")).status, 500);
        EXPECT_EQ(sim.Terminate(), 0);
    }
    {
        // The lookup names a login port that refuses.
        SimProcess sim({"--scenario", "login-unreachable"});
        ASSERT_TRUE(sim.ready()) << sim.Stderr();
        const std::string body = HttpGet(LookupUrl("http", sim.web(), "1", "t")).body;
        const int port = std::atoi(body.c_str() + body.find("rsport:") + 7);
        EXPECT_NE(port, sim.login());
        PadConnection login;
        EXPECT_FALSE(login.Connect(port));
        EXPECT_EQ(sim.Terminate(), 0);
    }
}

TEST(ClassroomProcess, PodiumEndsTheSessionOnRequest) {
    SimProcess sim({"--scenario", "podium-end", "--end-after", "0", "--end-message", "bye"});
    ASSERT_TRUE(sim.ready()) << sim.Stderr();
    PadConnection podium;
    ASSERT_TRUE(podium.Connect(sim.podium()));
    EXPECT_EQ(podium.ReceiveText(), "[MV00094]2.0.1.1080");
    EXPECT_EQ(podium.ReceiveText(), "[MV00007]");
    EXPECT_EQ(podium.ReceiveText(), "[MV10000]0,bye");
    EXPECT_EQ(sim.Terminate(), 0);
}

// Bad bytes from a pad close its connection and are logged; the classroom carries on.
TEST(ClassroomProcess, BadPacketsCloseTheConnection) {
    SimProcess sim({});
    ASSERT_TRUE(sim.ready()) << sim.Stderr();
    const std::vector<std::vector<std::uint8_t>> bad = {
        {0xA0, 0xA0, 0xA0, 0x5A, 9, 0, 0, 0, 1},           // check word does not fit its fourth byte
        {0xA2, 0xA1, 0xA5, 0x5A, 0, 0, 0, 0},              // length 0
        {0xA2, 0xA1, 0xA5, 0x5A, 0xFF, 0xFF, 0xFF, 0x7F},  // length far above the cap
        {0xA2, 0xA1, 0xA5, 0x5A, 5, 0, 0, 0, 6},           // kind 6
    };
    for (const auto& bytes : bad) {
        PadConnection podium;
        ASSERT_TRUE(podium.Connect(sim.podium()));
        podium.SendRaw(bytes);
        EXPECT_TRUE(podium.ClosedByPeer()) << HexOf(bytes);
    }
    PadConnection good;
    ASSERT_TRUE(good.Connect(sim.podium()));
    EXPECT_EQ(good.ReceiveText(), "[MV00094]2.0.1.1080");
    EXPECT_EQ(sim.Terminate(), 0);
    int errors = 0;
    for (const QJsonObject& r : sim.Log())
        errors += r["event"] == "error" ? 1 : 0;
    EXPECT_EQ(errors, 4);
}

TEST(ClassroomProcess, TimeLimitEndsCleanlyAndProductIniIsWritten) {
    TempFolder program;
    SimProcess sim({"--time-limit", "0.5", "--write-product-ini", program.path(), "--quiet"});
    ASSERT_TRUE(sim.ready()) << sim.Stderr();
    EXPECT_EQ(sim.WaitExit(), 0);
    const std::vector<QJsonObject> log = sim.Log();
    ASSERT_FALSE(log.empty());
    EXPECT_EQ(log.back()["reason"], "time limit");

    const ProductProfile profile = LoadProductProfile(program.path());
    EXPECT_EQ(profile.serviceHost, "127.0.0.1:" + std::to_string(sim.web()));
    EXPECT_EQ(profile.packetPassword, ProductProfile{}.packetPassword);
    EXPECT_EQ(profile.aesKey, ProductProfile{}.aesKey);
    // The banner shows the same file.
    EXPECT_NE(sim.Stdout().find(FormatProductProfile(profile)), std::string::npos);
}

TEST(ClassroomProcess, BusyPortIsReportedNotIgnored) {
    SimProcess first({});
    ASSERT_TRUE(first.ready());
    SimProcess second({"--login-port", std::to_string(first.login())});
    EXPECT_EQ(second.WaitExit(), 1);
    EXPECT_NE(second.Stderr().find("login server"), std::string::npos) << second.Stderr();
    EXPECT_EQ(first.Terminate(), 0);
}

}  // namespace
}  // namespace orvane::sim_test
