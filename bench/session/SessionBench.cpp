// Time from the start of the session (OK in the login dialog) to the main window being shown, on
// loopback against the real orvane-classroom process. The fixed waits the product prescribes (3 s
// and 2 s of loading box before the first connects) are set to zero here; on the relay path the
// connect time-out that triggers the fallback is 100 ms and is subtracted from every iteration.
#include <benchmark/benchmark.h>

#include <QCoreApplication>

#include "protocol/EventLoopWait.h"
#include "protocol/Session.h"
#include "session/RecordingHost.h"
#include "sim/ClassroomHarness.h"

namespace orvane {
namespace {

constexpr int kRelayConnectTimeoutMs = 100;

// Stamps the moment the window is shown, inside the session's own call.
struct StampingHost : testing::RecordingHost {
    std::chrono::steady_clock::time_point shownAt;
    void SetShown(bool value) override {
        if (value)
            shownAt = std::chrono::steady_clock::now();
        RecordingHost::SetShown(value);
    }
};

void RunToShown(benchmark::State& state, const char* scenario, bool viaRelay) {
    sim_test::SimProcess sim({"--scenario", scenario, "--quiet"});
    if (!sim.ready()) {
        state.SkipWithError("the simulated classroom did not start");
        return;
    }
    SessionTimings timings;
    timings.loginWaitMs = 0;
    timings.podiumWaitMs = 0;
    timings.connectTimeoutMs = viaRelay ? kRelayConnectTimeoutMs : 30000;
    const double fixedSeconds = viaRelay ? kRelayConnectTimeoutMs / 1000.0 : 0.0;
    const LoginTarget login{u"teacher01", u"127.0.0.1", W(std::to_string(sim.login()))};
    for (auto _ : state) {
        StampingHost host;
        CSession session(host, timings);
        const auto start = std::chrono::steady_clock::now();
        session.Start(login);
        if (!testing::RunEventsUntil([&] { return host.shown || host.finished(); }) || !host.shown) {
            state.SkipWithError("the main window was not shown");
            return;
        }
        const std::chrono::duration<double> took = host.shownAt - start;
        state.SetIterationTime(took.count() - fixedSeconds);
    }
}

void BM_LoginToShownDirect(benchmark::State& state) {
    RunToShown(state, "demo", false);
}
void BM_LoginToShownRelay(benchmark::State& state) {
    RunToShown(state, "relay", true);
}
BENCHMARK(BM_LoginToShownDirect)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_LoginToShownRelay)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace
}  // namespace orvane

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
