// CPacket: one packet of the session protocol, a kind byte and the fields of that kind, as the
// login server, the relay and the podium PC exchange them over TCP.
//
// Wire layout: check word (4 bytes), length (u32: the bytes after the check word, itself included),
// kind (1 byte), payload. All integers little-endian; texts UTF-16LE without terminator. The text
// of a kind-1 packet is RC4-enciphered under the process's packet password (security/CryptSettings.h).
//
// Trust: every packet read by Transfer or Unwrap comes from the network. A length field above
// kMaxPacketLength is refused before anything is allocated, and every count and buffer inside a
// payload is checked against the bytes actually present before it is read.
//
// A packet is used by one thread at a time; it changes hands as a whole (std::unique_ptr).
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/ByteStream.h"
#include "protocol/InputEvents.h"

namespace orvane {

enum class PacketKind : std::uint8_t {
    kEmpty = 0,
    kText = 1,
    kThreeIntegers = 2,
    kMixedRecord = 3,
    kKeyEvents = 4,
    kMouseEvents = 5,
    kDataRecord = 7,
    kTaggedBlockWithPrefix = 8,
    kNamedData = 9,
    kTwoIntegers = 10,
    kSoundBlock = 11,
    kCompressedFrame = 12,
    kRelayEnvelope = 13,
    kRelayMultiEnvelope = 14,
    kBlock = 15,
    kDataBlock = 16,
};

// Kinds 1 to 16 except 6.
bool IsValidPacketKind(std::uint8_t kind);

// The largest length field accepted on receipt (and sent): 16 MiB. The largest packets are
// screen frames, whose JPEG strips stay far below this; a larger length closes the connection
// without reading or allocating anything more.
inline constexpr std::uint32_t kMaxPacketLength = 16u * 1024 * 1024;

enum class TransferDirection { kReceive = 0, kSend = 1 };

// The check word that starts every packet, made from the low byte of the sender's tick count.
std::array<std::uint8_t, 4> MakeCheckWord(std::uint8_t tick);
bool IsCheckWord(const std::uint8_t* bytes);

class CPacket {
  public:
    // Kind 0: the target of a receive; every consumer ignores it.
    CPacket() = default;
    // Kind 1: the text and the MD5 hex digest of its first N UTF-16LE bytes, N = its length in
    // characters (the peers' own rule: for "[RC00004]" the bytes of "[RC0" and the low byte of "0").
    explicit CPacket(std::u16string text);
    // Kind 12, compressed frame: value (the uncompressed length), the bytes (copied), tag value
    // (the frame number).
    CPacket(std::int32_t value, const void* bytes, std::size_t size, std::int32_t tagValue);
    // Kind 11, sound block.
    CPacket(std::int32_t value, const void* bytes, std::size_t size);
    // Kind 4: takes over the records, in order.
    explicit CPacket(std::vector<KeyEventRecord>&& keys);
    // Kind 5: moves the records out of the caller's queue, in order, leaving it empty.
    explicit CPacket(std::vector<MouseEventRecord>&& mouse);

    CPacket(const CPacket&) = default;
    CPacket& operator=(const CPacket&) = default;
    CPacket(CPacket&&) = default;
    CPacket& operator=(CPacket&&) = default;
    virtual ~CPacket() = default;
    bool operator==(const CPacket&) const = default;

    // Send writes the whole packet (an invalid kind closes the stream and writes nothing); Receive
    // reads one packet into this object. Every failed read or check closes the stream and leaves
    // the packet empty (kind 0). Returns whether a packet went out or came in.
    bool Transfer(ByteStream& stream, TransferDirection direction);

    // Turns this packet into a relay envelope (kind 13) that carries its former self. Envelopes
    // (kinds 13 and 14) and invalid kinds are not wrapped: false, nothing changes.
    bool Wrap(std::int32_t firstId, std::int32_t secondId);
    // Turns a relay envelope back into the packet it carries; the ids are dropped. False, changing
    // nothing, for any other kind, for a malformed inner packet and for an envelope inside an
    // envelope (which is never unwrapped again).
    bool Unwrap();

    // The whole packet as sent, with the check word of `tick`. Empty for an invalid kind.
    std::vector<std::uint8_t> Serialize(std::uint8_t tick) const;
    // The kind byte and the payload (kind 1 enciphered): the inner packet of an envelope.
    std::vector<std::uint8_t> SerializeBody() const;
    // Parses a kind byte and its payload (bytes after the payload are ignored). False for an
    // invalid kind or a malformed payload; `out` is only written on success.
    static bool ParseBody(const std::uint8_t* data, std::size_t size, CPacket& out);

    PacketKind kind = PacketKind::kEmpty;

    // 1 text: the digest as it was received (not checked against the text) and the text.
    std::u16string digest;
    std::u16string text;
    // 2 three integers: A1 to A3.
    std::array<std::int32_t, 3> a{};
    // 3 mixed record: G1 to G5, G6 to G9, H1, H2 (at most 65535 bytes each are sent).
    std::array<std::int32_t, 5> g{};
    std::array<std::uint16_t, 4> g16{};
    std::vector<std::uint8_t> h1;
    std::vector<std::uint8_t> h2;
    // 4 and 5: input events.
    std::vector<KeyEventRecord> keyEvents;
    std::vector<MouseEventRecord> mouseEvents;
    // 7 data record: K1 to K5, B1, K6 in wire order; block C; K7 (only on the wire when K5 is 0);
    // data D in `data`. Kind 16 uses block C and `data` as well.
    std::array<std::int32_t, 7> k{};
    std::array<std::uint8_t, 16> blockC{};
    std::int32_t k7 = 0;
    // 8: E1, then the fields of kind 12.
    std::int32_t e1 = 0;
    // 9 named data: F1 to F3, the name and data F in `data`.
    std::array<std::int32_t, 3> f{};
    std::u16string name;
    // 10 two integers: B1, B2.
    std::array<std::int32_t, 2> b{};
    // 8, 11, 12, 15: value (for frames the uncompressed length), the block, and (8, 12) the tag
    // value (for frames the frame number). Kinds 7, 9 and 16 keep their byte buffer here too.
    std::int32_t value = 0;
    std::vector<std::uint8_t> data;
    std::int32_t tagValue = 0;
    // 13 relay envelope (and 14 with its target list): the two ids and the inner packet's bytes.
    std::vector<std::int32_t> targets;
    std::int32_t envelopeFirstId = 0;
    std::int32_t envelopeSecondId = 0;
    std::vector<std::uint8_t> inner;

  private:
    std::size_t EstimatedBodySize() const;
    void AppendBody(std::vector<std::uint8_t>& out) const;
    bool Send(ByteStream& stream) const;
    bool Receive(ByteStream& stream);
};

// The digest rule of the text packets, on its own (32 lowercase hex digits).
std::u16string TextPacketDigest(std::u16string_view text);

}  // namespace orvane
