#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

#include "app/ProductProfile.h"
#include "login/RelayLookup.h"
#include "support/TestHttpServer.h"
#include "util/Files.h"
#include "util/Text.h"

namespace orvane {
namespace {

using test::MakeReply;
using test::TestHttpRequest;
using test::TestHttpServer;
using namespace std::chrono_literals;

// Shows which string id a message was reworded to.
std::u16string MarkedString(int id) {
    return W("S" + std::to_string(id));
}

TEST(RelayLookup, QuerySignsTickAndTeacherIdInCp949) {
    EXPECT_EQ(RelayLookupQuery(5000, u"teacher01"),
              u"val1=5000&val2=50f0de5b1a9bd35d6fd00cf625460648&val3=teacher01");
    // After about 24.8 days of uptime the tick reads as negative.
    EXPECT_EQ(RelayLookupQuery(0x80000005u, u"teacher01"),
              u"val1=-2147483643&val2=871db105c13900127e536563976f31b9&val3=teacher01");
    EXPECT_EQ(RelayLookupQuery(5000, u"선생님01"),
              u"val1=5000&val2=8c4c418ae1267e0324fb993b0383b016&val3=선생님01");
    EXPECT_EQ(RelayLookupUrl("svc.example:8443"), u"https://svc.example:8443/tavl/rsinfo/checkRsInfo.jsp");
}

TEST(RelayLookup, ParsesAnswerLines) {
    struct Case {
        const char* name;
        std::u16string answer;
        RelayLookupFields fields;
    };
    const Case cases[] = {
        {"three lines",
         u"result:true\nrsip:10.0.0.5\nrsport:10240",
         {u"true", u"", u"", u"10.0.0.5", u"10240"}},
        {"CR LF",
         u"result:true\r\nrsip:10.0.0.5\r\nrsport:10240\r\n",
         {u"true", u"", u"", u"10.0.0.5", u"10240"}},
        {"blanks, later lines win, others ignored",
         u"  rsip: 1.1.1.1 \n x:y\nRSIP:9.9.9.9\nrsip:rsip:10.0.0.7\nresult:\n",
         {u"", u"", u"", u"10.0.0.7", u""}},
        {"failure answer is not reworded",
         std::u16string(kRelayLookupFailureAnswer),
         {u"false", u"404", u"Failed to access to the URL page.", u"", u""}},
        {"code before message rewords it",
         u"result:false\ncode:1\nmessage:denied",
         {u"false", u"1", u"S1113", u"", u""}},
        {"code 2", u"code:2\nmessage:denied", {u"", u"2", u"S1114", u"", u""}},
        {"message before code stays",
         u"result:false\nmessage:denied\ncode:1",
         {u"false", u"1", u"denied", u"", u""}},
        {"known service texts",
         u"message:유효하지않은  선생님 ID 입니다.\nmessage:잘못된 접근입니다.",
         {u"", u"", u"S1113", u"", u""}},
        {"two blanks", u"message:유효하지않은  선생님 ID 입니다.", {u"", u"", u"S1114", u"", u""}},
        {"one blank is not the service text",
         u"message:유효하지않은 선생님 ID 입니다.",
         {u"", u"", u"유효하지않은 선생님 ID 입니다.", u"", u""}},
        {"unique code", u"code:7\nmessage:유효하지않은 고유코드 입니다.", {u"", u"7", u"S1115", u"", u""}},
        {"empty message stays empty", u"code:1\nmessage:", {u"", u"1", u"", u"", u""}},
        {"malformed", u"<html>502 Bad Gateway</html>", {}},
        {"empty", u"", {}},
    };
    for (const auto& c : cases) {
        RelayLookupFields fields{u"stale", u"stale", u"stale", u"stale", u"stale"};
        ParseRelayAnswer(c.answer, fields, MarkedString);
        EXPECT_EQ(fields.result, c.fields.result) << c.name;
        EXPECT_EQ(fields.code, c.fields.code) << c.name;
        EXPECT_EQ(fields.message, c.fields.message) << c.name;
        EXPECT_EQ(fields.serverAddress, c.fields.serverAddress) << c.name;
        EXPECT_EQ(fields.serverPort, c.fields.serverPort) << c.name;
    }
}

TEST(RelayLookup, RewordsWithTheBuiltInKoreanTexts) {
    RelayLookupFields fields;
    ParseRelayAnswer(u"code:2\nmessage:x", fields, nullptr);
    EXPECT_EQ(fields.message, u"유효하지않은 선생님 ID 입니다.");
    EXPECT_EQ(RewordLookupMessage(u"잘못된 접근입니다.", u"", {}), u"잘못된 접근입니다.");
    EXPECT_EQ(DecodeRelayAnswer("\xc0\xdf\xb8\xf8\xb5\xc8 \xc1\xa2\xb1\xd9\xc0\xd4\xb4\xcf\xb4\xd9. \r\n"),
              u"잘못된 접근입니다.");
}

RelayLookupConfig TestConfig(const std::string& host) {
    RelayLookupConfig config;
    config.serviceHost = host;
    config.tick = [] { return 5000u; };
    config.loadString = MarkedString;
    config.http.connectTimeout = config.http.sendTimeout = config.http.receiveTimeout = 5s;
    return config;
}

const char kAnswer[] = "result:true\r\nrsip:10.0.0.5\r\nrsport:10240\r\n";

TEST(RelayLookup, AsksTheServiceOverHttpsOnItsPort) {
    TestHttpServer service(TestHttpServer::Transport::kSniff,
                           [](const TestHttpRequest& r) { return MakeReply(r.tls ? 200 : 500, kAnswer); });
    RelayLookupFields fields;
    EXPECT_EQ(RelayLookup(u"teacher01", fields, TestConfig(service.HostPort())), 1);
    EXPECT_EQ(fields.result, u"true");
    EXPECT_EQ(fields.serverAddress, u"10.0.0.5");
    EXPECT_EQ(fields.serverPort, u"10240");
    const auto requests = service.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].tls);
    EXPECT_EQ(requests[0].target,
              "/tavl/rsinfo/checkRsInfo.jsp?val1=5000&val2=50f0de5b1a9bd35d6fd00cf625460648&val3=teacher01");
}

TEST(RelayLookup, FallsBackToPlainHttpOnTheSameHostAndPort) {
    TestHttpServer service(TestHttpServer::Transport::kPlain, [](const TestHttpRequest&) {
        return MakeReply(200,
                         "result:false\ncode:3\nmessage:\xc0\xdf\xb8\xf8\xb5\xc8 "
                         "\xc1\xa2\xb1\xd9\xc0\xd4\xb4\xcf\xb4\xd9.");
    });
    RelayLookupFields fields;
    RelayLookup(u"teacher01", fields, TestConfig(service.HostPort()));
    EXPECT_EQ(fields.result, u"false");
    EXPECT_EQ(fields.code, u"3");
    EXPECT_EQ(fields.message, u"S1113");
    const auto requests = service.Requests();
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_FALSE(requests[0].tls);
    EXPECT_EQ(requests[0].Query(), "val1=5000&val2=50f0de5b1a9bd35d6fd00cf625460648&val3=teacher01");
}

TEST(RelayLookup, UnreachableServiceGivesTheBuiltInFailure) {
    TestHttpServer failing(TestHttpServer::Transport::kSniff, [](const TestHttpRequest&) {
        return MakeReply(404, "result:true\nrsip:1.2.3.4");
    });
    std::string closedHost;
    {
        TestHttpServer gone(TestHttpServer::Transport::kPlain, nullptr);
        closedHost = gone.HostPort();
    }
    for (const std::string& host : {failing.HostPort(), closedHost}) {
        RelayLookupFields fields{u"", u"", u"", u"stale", u"stale"};
        RelayLookup(u"teacher01", fields, TestConfig(host));
        EXPECT_EQ(fields.result, u"false") << host;
        EXPECT_EQ(fields.code, u"404") << host;
        EXPECT_EQ(fields.message, u"Failed to access to the URL page.") << host;
        EXPECT_EQ(fields.serverAddress, u"") << host;
    }
    EXPECT_EQ(failing.Requests().size(), 2u);  // HTTPS, then HTTP
}

TEST(RelayLookup, TakesTheServiceHostFromProductIni) {
    TestHttpServer service(TestHttpServer::Transport::kSniff,
                           [](const TestHttpRequest&) { return MakeReply(200, kAnswer); });
    const std::string path = GetModuleFolder() + "/product.ini";
    ProductProfile profile;
    profile.serviceHost = service.HostPort();
    std::unique_ptr<FILE, decltype(&std::fclose)> file(std::fopen(path.c_str(), "wb"), std::fclose);
    ASSERT_TRUE(file);
    const std::string text = FormatProductProfile(profile);
    std::fwrite(text.data(), 1, text.size(), file.get());
    file.reset();
    RelayLookupConfig config = TestConfig("");
    RelayLookupFields fields;
    RelayLookup(u"teacher01", fields, config);
    std::remove(path.c_str());
    EXPECT_EQ(fields.serverAddress, u"10.0.0.5");
    EXPECT_EQ(service.Requests().size(), 1u);
}

}  // namespace
}  // namespace orvane
