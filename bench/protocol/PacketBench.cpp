// The packet codec's hot paths: text packets (each with a fresh RC4 set-up and self test on both
// sides), relay wrap and unwrap, tile frame blocks of 128 tiles, and large frame packets.
#include <benchmark/benchmark.h>

#include <random>

#include "protocol/MessageCatalogue.h"
#include "protocol/Packet.h"
#include "protocol/TileFrameBlock.h"
#include "security/Crypt.h"
#include "security/CryptSettings.h"

namespace orvane {
namespace {

std::vector<std::uint8_t> RandomBytes(std::size_t n) {
    std::mt19937 random(7);
    std::vector<std::uint8_t> out(n);
    for (auto& b : out)
        b = static_cast<std::uint8_t>(random());
    return out;
}

void BM_CCryptInit(benchmark::State& state) {
    const std::string password = PacketPasswordBytes();
    for (auto _ : state) {
        CCrypt crypt;
        benchmark::DoNotOptimize(crypt.Init(password.data(), password.size()));
    }
}
BENCHMARK(BM_CCryptInit);

void BM_TextPacketBuildSerializeParse(benchmark::State& state) {
    for (auto _ : state) {
        const CPacket packet(msg::PadScreenSize(1920, 1080));
        const auto bytes = packet.Serialize(0x5A);
        CPacket parsed;
        benchmark::DoNotOptimize(CPacket::ParseBody(bytes.data() + 8, bytes.size() - 8, parsed));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TextPacketBuildSerializeParse);

void BM_RelayWrapUnwrapText(benchmark::State& state) {
    const CPacket text(msg::KeepAlive());
    for (auto _ : state) {
        CPacket p = text;
        p.Wrap(22, 11);
        benchmark::DoNotOptimize(p.Unwrap());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_RelayWrapUnwrapText);

void BM_TileBlockBuildParse128(benchmark::State& state) {
    std::vector<std::int32_t> indices(128);
    for (int i = 0; i < 128; ++i)
        indices[i] = i;
    const auto jpeg = RandomBytes(static_cast<std::size_t>(state.range(0)));
    std::vector<std::uint8_t> block;
    for (auto _ : state) {
        BuildTileFrameBlock(indices, jpeg, block);
        TileFrameView view;
        benchmark::DoNotOptimize(ParseTileFrameBlock(block, 128, view));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(block.size()));
}
BENCHMARK(BM_TileBlockBuildParse128)->Arg(200 * 1024);

// A large frame packet: serialise with header, parse back (the socket path without the socket).
void BM_FramePacketSerializeParse(benchmark::State& state) {
    const auto data = RandomBytes(static_cast<std::size_t>(state.range(0)));
    const CPacket packet(static_cast<std::int32_t>(data.size()), data.data(), data.size(), 1);
    for (auto _ : state) {
        const auto bytes = packet.Serialize(0x5A);
        CPacket parsed;
        benchmark::DoNotOptimize(CPacket::ParseBody(bytes.data() + 8, bytes.size() - 8, parsed));
    }
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_FramePacketSerializeParse)->Arg(1 << 20)->Arg(4 << 20);

void BM_RelayWrapUnwrapFrame(benchmark::State& state) {
    const auto data = RandomBytes(1 << 20);
    const CPacket frame(static_cast<std::int32_t>(data.size()), data.data(), data.size(), 1);
    for (auto _ : state) {
        CPacket p = frame;
        p.Wrap(22, 11);
        benchmark::DoNotOptimize(p.Unwrap());
    }
    state.SetBytesProcessed(state.iterations() * (1 << 20));
}
BENCHMARK(BM_RelayWrapUnwrapFrame);

// Screen-up frame: block of 128 tiles with a JPEG strip, deflated at level 9, then inflated.
void BM_FrameCompressInflate128(benchmark::State& state) {
    std::vector<std::int32_t> indices(128);
    for (int i = 0; i < 128; ++i)
        indices[i] = i;
    std::vector<std::uint8_t> block;
    BuildTileFrameBlock(indices, RandomBytes(300 * 1024), block);
    std::vector<std::uint8_t> inflated;
    for (auto _ : state) {
        const CPacket packet = MakeFramePacket(block, 1);
        benchmark::DoNotOptimize(InflateFramePacket(packet, inflated));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(block.size()));
}
BENCHMARK(BM_FrameCompressInflate128);

}  // namespace
}  // namespace orvane
