// Text conversions sit on every protocol message; these show their cost per message.
#include <benchmark/benchmark.h>

#include "util/Text.h"

namespace {

const std::u16string kMessage = u"[UR00002],192.168.0.10,5050,교실 3,teacher01,1,0,0,2.0.1.1068";

void BM_SplitText(benchmark::State& state) {
    std::vector<std::u16string> fields;
    for (auto _ : state)
        benchmark::DoNotOptimize(orvane::SplitText(kMessage, u",", fields));
}
BENCHMARK(BM_SplitText);

void BM_WideToAnsi(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(orvane::WideToAnsi(kMessage));
}
BENCHMARK(BM_WideToAnsi);

void BM_Utf8RoundTrip(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(orvane::Utf8StringToWide(orvane::WideToUtf8String(kMessage)));
}
BENCHMARK(BM_Utf8RoundTrip);

}  // namespace
