// Bytes from the network through Transfer: the first input byte chooses how the stream hands them
// out (1-byte reads, random sizes, large reads), the rest are the stream. Every packet received
// must survive a copy, a re-serialisation that parses back to the same packet, a relay round trip,
// and (for envelopes) one Unwrap.
#include <cstdint>
#include <cstdlib>
#include <random>

#include "protocol/FakeByteStream.h"
#include "protocol/Packet.h"

namespace {

using orvane::CPacket;
using orvane::PacketKind;

void Require(bool condition) {
    if (!condition)
        std::abort();
}

void CheckRoundTrip(const CPacket& p) {
    const auto bytes = p.Serialize(0x5A);
    if (bytes.empty())
        return;  // too long to send again
    CPacket again;
    Require(CPacket::ParseBody(bytes.data() + 8, bytes.size() - 8, again));
    Require(again == p);

    CPacket wrapped = p;
    if (wrapped.Wrap(1, 2)) {
        Require(wrapped.Unwrap());
        Require(wrapped == p);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    orvane::testing::FakeByteStream stream(std::vector<std::uint8_t>(data + 1, data + size));
    std::minstd_rand random(data[0] + 1u);
    switch (data[0] % 3) {
        case 0:
            stream.maxReadChunk = 1;
            break;
        case 1:
            stream.nextReadChunk = [&random] { return std::size_t{random() % 97}; };
            break;
        default:
            break;
    }
    for (int i = 0; i < 64; ++i) {
        CPacket p;
        if (!p.Transfer(stream, orvane::TransferDirection::kReceive)) {
            Require(p.kind == PacketKind::kEmpty && !stream.IsOpen());
            break;
        }
        const CPacket copy = p;
        Require(copy == p);
        CheckRoundTrip(p);
        if (p.kind == PacketKind::kRelayEnvelope && p.Unwrap()) {
            Require(p.kind != PacketKind::kRelayEnvelope && p.kind != PacketKind::kRelayMultiEnvelope);
            CheckRoundTrip(p);
        }
    }
    return 0;
}
