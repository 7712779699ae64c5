// The packet hand-off: other threads (the communication window, the capture threads) give packets
// to the session, which sends them on the main thread over the current transport, direct or
// wrapped for the relay, each sender's packets in order.
#include <thread>

#include "session/SessionFixture.h"

namespace orvane::testing {
namespace {

struct HandOffCase {
    const char* scenario;
    bool viaRelay;
};

class HandOffTest : public SessionTest, public ::testing::WithParamInterface<HandOffCase> {};

TEST_P(HandOffTest, PacketsFromOtherThreadsGoOutInOrder) {
    StartClassroom({"--scenario", GetParam().scenario});
    StartSession(GetParam().viaRelay ? RelayTimings() : Timings());
    ASSERT_TRUE(RunEventsUntil([&] { return host_.shown || host_.finished(); }));
    ASSERT_FALSE(host_.finished());

    constexpr int kThreads = 3;
    constexpr int kEach = 20;
    std::vector<std::thread> senders;
    for (int t = 0; t < kThreads; ++t)
        senders.emplace_back([this, t] {
            for (int i = 0; i < kEach; ++i)
                session_->PostPacket(std::make_unique<CPacket>(W("[RC00014]" + std::to_string(t * 100 + i))));
        });
    for (std::thread& sender : senders)
        sender.join();

    ASSERT_TRUE(RunEventsUntil([&] {
        long count = 0;
        for (const std::string& text : Received("podium"))
            count += text.rfind("[RC00014]", 0) == 0;
        return count == kThreads * kEach;
    }));
    std::vector<int> last(kThreads, -1);
    for (const std::string& text : Received("podium")) {
        if (text.rfind("[RC00014]", 0) != 0)
            continue;
        const int n = std::stoi(text.substr(9));
        EXPECT_EQ(n % 100, last[n / 100] + 1) << text;
        last[n / 100] = n % 100;
    }
    EXPECT_EQ(FailedChecks(), std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Transports, HandOffTest,
                         ::testing::Values(HandOffCase{"demo", false}, HandOffCase{"relay", true}));

}  // namespace
}  // namespace orvane::testing
