// Packet bytes: the golden text packet, the layout of every kind, round trips, relay envelopes and
// payloads that break the rules.
#include <gtest/gtest.h>

#include "protocol/FakeByteStream.h"
#include "protocol/Packet.h"
#include "protocol/SamplePackets.h"
#include "protocol/TestBytes.h"
#include "security/Crypt.h"
#include "security/CryptoCore.h"
#include "security/MD5Hash.h"

namespace orvane {
namespace {

using testing::Concat;
using testing::Framed;
using testing::Hex;

std::vector<std::uint8_t> Utf16Le(std::u16string_view text) {
    const std::string bytes = crypto::Utf16LeBytes(text);
    return {bytes.begin(), bytes.end()};
}

std::vector<std::uint8_t> Enciphered(std::vector<std::uint8_t> bytes) {
    ApplyPacketCipher(bytes.data(), bytes.size());
    return bytes;
}

std::vector<std::uint8_t> U32(std::uint32_t v) {
    return {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
            static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)};
}

TEST(TextPacket, KeepAliveIsNinetyNineBytesWithTheDigestOfItsFirstNineBytes) {
    const CPacket packet(u"[RC00003]");
    // The digest covers N bytes for N characters: "[RC0" and the low byte of the next "0".
    EXPECT_EQ(packet.digest, TextPacketDigest(u"[RC00003]"));
    const std::string digest =
        Md5Hex(std::string_view("[\0R\0C\0"
                                "0\0"
                                "0",
                                9));
    EXPECT_EQ(packet.digest, std::u16string(digest.begin(), digest.end()));

    const auto bytes = packet.Serialize(0x5A);
    ASSERT_EQ(bytes.size(), 99u);
    auto expected = Hex("A2 A1 A5 5A  5F000000  01  20000000");  // length 95, kind 1, D = 32
    expected = Concat(expected, Utf16Le(packet.digest));
    expected = Concat(expected, U32(18));
    expected = Concat(expected, Enciphered(Utf16Le(u"[RC00003]")));
    EXPECT_EQ(bytes, expected);
    EXPECT_NE(std::vector<std::uint8_t>(bytes.end() - 18, bytes.end()), Utf16Le(u"[RC00003]"));
}

TEST(TextPacket, BuiltInRc4PutsTheSameBytesOnTheWire) {
    const auto platform = CPacket(u"[RC00001]3.0.1.1007").Serialize(0x33);
    crypto::SetRc4SelfTestFaultForTesting(crypto::SelfTestFault::kSetupFails);
    const auto builtIn = CPacket(u"[RC00001]3.0.1.1007").Serialize(0x33);
    CPacket parsed;
    const bool ok = CPacket::ParseBody(builtIn.data() + 8, builtIn.size() - 8, parsed);
    crypto::SetRc4SelfTestFaultForTesting(crypto::SelfTestFault::kNone);
    EXPECT_EQ(builtIn, platform);
    ASSERT_TRUE(ok);
    EXPECT_EQ(parsed.text, u"[RC00001]3.0.1.1007");
}

TEST(TextPacket, OddByteCountsZerosAndLoneSurrogatesAreHarmless) {
    // 3 text bytes: the last character gets a zero high byte.
    auto body = Concat(Hex("01 00000000 03000000"), Enciphered({0x41, 0x00, 0x42}));
    CPacket p;
    ASSERT_TRUE(CPacket::ParseBody(body.data(), body.size(), p));
    EXPECT_EQ(p.text, u"AB");
    EXPECT_TRUE(p.digest.empty());

    // The text ends at the first zero character.
    const std::u16string withZero(u"ab\0cd", 5);
    const auto bytes = CPacket(withZero).Serialize(1);
    ASSERT_TRUE(CPacket::ParseBody(bytes.data() + 8, bytes.size() - 8, p));
    EXPECT_EQ(p.text, u"ab");

    // Lone surrogates travel as they are.
    const std::u16string lone = u"[RC00014]\xD800x\xDC00";
    const auto loneBytes = CPacket(lone).Serialize(1);
    ASSERT_TRUE(CPacket::ParseBody(loneBytes.data() + 8, loneBytes.size() - 8, p));
    EXPECT_EQ(p.text, lone);
    EXPECT_EQ(p.digest.size(), 32u);
}

TEST(Packet, EveryKindHasItsWireLayout) {
    const auto samples = testing::SamplePackets();
    const std::pair<PacketKind, const char*> layouts[] = {
        {PacketKind::kThreeIntegers, "02 01000000 FEFFFFFF FFFFFF7F"},
        {PacketKind::kMixedRecord,
         "03 01000000 02000000 03000000 04000000 FBFFFFFF 0600 0700 0800 FFFF 0300 010203 0000"},
        {PacketKind::kKeyEvents,
         "04 02000000 0001 41000000 01000000 01001E00 0101 41000000 01000000 01001EC0"},
        {PacketKind::kMouseEvents,
         "05 02000000 0002 00000000 64000000 C8000000 0000 0A02 00000000 FBFFFFFF 07000000 88FF"},
        {PacketKind::kDataRecord,
         "07 01000000 02000000 03000000 04000000 00000000 06000000 07000000"
         " 0102030405060708090A0B0C0D0E0F10 4D000000 02000000 0909"},
        {PacketKind::kDataRecord,
         "07 01000000 02000000 03000000 04000000 03000000 06000000 07000000"
         " 0102030405060708090A0B0C0D0E0F10 02000000 0909"},
        {PacketKind::kTaggedBlockWithPrefix, "08 FFFFFFFF E8030000 03000000 2A000000 616263"},
        {PacketKind::kNamedData,
         "09 01000000 02000000 03000000 06000000 74C7 84B9 2E00 7400 7800 7400 04000000 00010203"},
        {PacketKind::kTwoIntegers, "0A F9FFFFFF 08000000"},
        {PacketKind::kSoundBlock, "0B 803E0000 04000000 01020304"},
        {PacketKind::kCompressedFrame, "0C 40E20100 05000000 11000000 6672616D65"},
        {PacketKind::kBlock, "0F 03000000 03000000 78797A"},
        {PacketKind::kDataBlock, "10 EEEEEEEEEEEEEEEEEEEEEEEEEEEEEEEE 01000000 01"},
    };
    std::size_t next = 0;
    for (const auto& [kind, hex] : layouts) {
        while (samples[next].kind != kind)
            ++next;
        const auto body = Hex(hex);
        EXPECT_EQ(samples[next].SerializeBody(), body) << static_cast<int>(kind);
        EXPECT_EQ(samples[next].Serialize(0x5A), Framed(body));
        ++next;
    }

    // Envelopes: ids, the inner packet's length and bytes (kind byte and payload, no header).
    const auto inner = CPacket(u"[PC_CONN]").SerializeBody();
    ASSERT_EQ(inner.size(), 91u);
    const auto envelope13 = Concat(Hex("0D 16000000 0B000000 5B000000"), inner);
    const auto envelope14 =
        Concat(Hex("0E 03000000 05000000 06000000 07000000 0D 16000000 0B000000 5B000000"), inner);
    for (const auto& p : samples) {
        if (p.kind == PacketKind::kRelayEnvelope) {
            EXPECT_EQ(p.SerializeBody(), envelope13);
        } else if (p.kind == PacketKind::kRelayMultiEnvelope) {
            EXPECT_EQ(p.SerializeBody(), envelope14);
        }
    }

    // An empty mouse-events packet: a payload of its 4-byte count.
    EXPECT_EQ(CPacket(std::vector<MouseEventRecord>{}).Serialize(0x5A),
              Hex("A2 A1 A5 5A 09000000 05 00000000"));
}

TEST(Packet, EveryKindRoundTripsAndCopiesDeeply) {
    for (const auto& sample : testing::SamplePackets()) {
        const auto bytes = sample.Serialize(0x5A);
        CPacket parsed;
        ASSERT_TRUE(CPacket::ParseBody(bytes.data() + 8, bytes.size() - 8, parsed)) << int(sample.kind);
        EXPECT_EQ(parsed, sample) << int(sample.kind);

        CPacket copy(parsed);
        copy.data.push_back(1);
        copy.text += u"x";
        EXPECT_EQ(parsed, sample);
    }
}

TEST(Packet, CheckWordFollowsItsFourthByte) {
    const std::pair<std::uint8_t, const char*> cases[] = {
        {0x00, "A0A0A000"}, {0x5A, "A2A1A55A"}, {0xFF, "A7A3AFFF"}, {0x10, "A0A0A110"}};
    for (const auto& [tick, hex] : cases) {
        const auto word = MakeCheckWord(tick);
        EXPECT_EQ(std::vector<std::uint8_t>(word.begin(), word.end()), Hex(hex));
        EXPECT_TRUE(IsCheckWord(word.data()));
        auto bad = word;
        bad[2] ^= 1;
        EXPECT_FALSE(IsCheckWord(bad.data()));
    }
}

TEST(Packet, ConstructorsTakeOverTheirInput) {
    std::vector<MouseEventRecord> queue{{0x200, 1, 2, 3, 0}, {0x201, 1, 2, 3, 0}};
    const CPacket mouse(std::move(queue));
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(mouse.kind, PacketKind::kMouseEvents);
    EXPECT_EQ(mouse.mouseEvents.size(), 2u);
    EXPECT_EQ(mouse.mouseEvents[1].message, 0x201);

    const char bytes[] = "JPEG";
    const CPacket frame(10, bytes, 4, 99);
    EXPECT_EQ(frame.kind, PacketKind::kCompressedFrame);
    EXPECT_EQ(frame.data, std::vector<std::uint8_t>(bytes, bytes + 4));
    EXPECT_EQ(frame.value, 10);
    EXPECT_EQ(frame.tagValue, 99);
    EXPECT_EQ(CPacket(1, bytes, 4).kind, PacketKind::kSoundBlock);
}

TEST(Payload, BrokenCountsAndLengthsAreRefusedOnTheBytesPresent) {
    const char* bodies[] = {
        "",  // no kind
        "00",
        "06",
        "11",
        "FF",                             // invalid kinds
        "01 FFFFFFFF",                    // digest of -1 characters
        "01 00000080 00000000",           // digest count negative as a signed field
        "01 02000000 4100",               // digest count beyond the bytes
        "01 00000000 05000000 01020304",  // text length beyond the bytes
        "02 01000000 02000000",           // an integer missing
        "03 01000000 02000000 03000000 04000000 05000000 0600 0700 0800 0900 0500 0102",  // H1 too long
        "04 93244912 0000",                                // count × 14 wraps to 2 in 32 bits
        "04 01000000 0001 41000000 01000000 0100",         // one record, 2 bytes short
        "05 00000010",                                     // count × 16 wraps to 0
        "05 01000000 0002 00000000 64000000 C8000000 00",  // one byte short
        "07 01000000 02000000 03000000 04000000 00000000 06000000 07000000 0102030405060708090A0B0C0D0E0F10",
        "08 01000000 E8030000 09000000 2A000000 616263",            // block longer than the bytes
        "09 01000000 02000000 03000000 FFFFFFFF",                   // name of -1 characters
        "09 01000000 02000000 03000000 01000000 4100 05000000 00",  // data longer than the bytes
        "0B 01000000 FFFFFF7F 00",
        "0C 00000000 FFFFFFFF 00000000",
        "0D 01000000 02000000 0A000000 01",  // inner packet longer than the bytes
        "0E 00000040 0D",                    // target count × 4 wraps to 0
        "0E 01000000 05000000",              // no envelope after the targets
        "10 0102030405060708",               // block C cut short
    };
    for (const char* hex : bodies) {
        const auto body = Hex(hex);
        CPacket parsed(u"untouched");
        EXPECT_FALSE(CPacket::ParseBody(body.data(), body.size(), parsed)) << hex;
        EXPECT_EQ(parsed.text, u"untouched");

        // On the stream: dropped, the connection closed, nothing read past the packet.
        testing::FakeByteStream stream(Concat(Framed(body), Framed(Hex("0A 01000000 02000000"))));
        CPacket received(u"stale");
        EXPECT_FALSE(received.Transfer(stream, TransferDirection::kReceive)) << hex;
        EXPECT_EQ(received.kind, PacketKind::kEmpty);
        EXPECT_EQ(stream.closeCount, 1);
        EXPECT_EQ(stream.bytesRead(), body.empty() ? 8u : Framed(body).size()) << hex;
    }
}

TEST(Payload, BytesAfterThePayloadAreIgnored) {
    const auto body = Hex("0A 01000000 02000000 FFFF");
    CPacket p;
    ASSERT_TRUE(CPacket::ParseBody(body.data(), body.size(), p));
    EXPECT_EQ(p.b, (std::array<std::int32_t, 2>{1, 2}));
}

TEST(RelayEnvelope, WrapAndUnwrapGiveBackEveryKind) {
    for (const auto& sample : testing::SamplePackets()) {
        CPacket p = sample;
        const bool envelope =
            sample.kind == PacketKind::kRelayEnvelope || sample.kind == PacketKind::kRelayMultiEnvelope;
        ASSERT_EQ(p.Wrap(7, 8), !envelope) << int(sample.kind);
        if (envelope) {
            EXPECT_EQ(p, sample);  // envelopes are not wrapped again
            continue;
        }
        EXPECT_EQ(p.kind, PacketKind::kRelayEnvelope);
        EXPECT_EQ(p.envelopeFirstId, 7);
        EXPECT_EQ(p.envelopeSecondId, 8);
        EXPECT_EQ(p.inner, sample.SerializeBody());
        ASSERT_TRUE(p.Unwrap());
        EXPECT_EQ(p, sample);
    }
    CPacket empty;
    EXPECT_FALSE(empty.Wrap(1, 2));
    EXPECT_FALSE(empty.Unwrap());
    CPacket text(u"[RC00003]");
    EXPECT_FALSE(text.Unwrap());
}

TEST(RelayEnvelope, AnEnvelopeInsideAnEnvelopeOrABrokenInnerPacketIsNotUnwrapped) {
    CPacket inner(u"[MV00007]");
    inner.Wrap(1, 2);
    const auto innerBody = inner.SerializeBody();
    const std::vector<std::uint8_t> inners[] = {
        innerBody,                                                                // kind 13 inside kind 13
        Concat(Hex("0E 00000000 0D"), {innerBody.begin() + 1, innerBody.end()}),  // kind 14 inside
        Hex("05 05000000"),                                                       // malformed
        Hex("06"),                                                                // invalid kind
        {},                                                                       // nothing
    };
    for (const auto& bytes : inners) {
        // As received from the relay: the outer envelope is a valid packet ...
        const auto body =
            Concat(Concat(Hex("0D 01000000 02000000"), U32(static_cast<std::uint32_t>(bytes.size()))), bytes);
        testing::FakeByteStream stream(Framed(body));
        CPacket envelope;
        ASSERT_TRUE(envelope.Transfer(stream, TransferDirection::kReceive));
        EXPECT_EQ(envelope.kind, PacketKind::kRelayEnvelope);
        // ... but it is unwrapped once at most, and never into something broken.
        const CPacket before = envelope;
        EXPECT_FALSE(envelope.Unwrap());
        EXPECT_EQ(envelope, before);
    }
}

}  // namespace
}  // namespace orvane
