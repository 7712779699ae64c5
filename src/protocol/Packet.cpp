#include "protocol/Packet.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "protocol/WireIO.h"
#include "security/Crypt.h"
#include "security/CryptoCore.h"
#include "security/MD5Hash.h"

namespace orvane {
namespace {

constexpr std::size_t kKeyRecordSize = 14;
constexpr std::size_t kMouseRecordSize = 16;
constexpr std::size_t kHeaderSize = 8;  // check word and length

std::uint8_t CurrentTickByte() {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint8_t>(ms.count());
}

// Buffer lengths on the wire are 32-bit; longer buffers never make it past the length cap.
std::uint32_t WireSize(std::size_t size) {
    return static_cast<std::uint32_t>(std::min<std::size_t>(size, std::numeric_limits<std::uint32_t>::max()));
}

void WriteBuffer(wire::Writer& w, const std::vector<std::uint8_t>& bytes) {
    w.U32(WireSize(bytes.size()));
    w.Bytes(bytes.data(), WireSize(bytes.size()));
}

bool ReadBuffer(wire::Reader& r, std::vector<std::uint8_t>& out) {
    std::uint32_t size;
    return r.Count(size, 1) && r.Bytes(out, size);
}

// A kind-1 text as received: deciphered, then ended at the first zero character. An odd byte
// count leaves a last character whose high byte is zero.
std::u16string DecipherText(const std::uint8_t* bytes, std::size_t count) {
    std::vector<std::uint8_t> plain(bytes, bytes + count);
    if (!plain.empty())
        ApplyPacketCipher(plain.data(), plain.size());
    std::u16string text;
    text.reserve((count + 1) / 2);
    for (std::size_t i = 0; i < count; i += 2) {
        const char16_t c = static_cast<char16_t>(plain[i] | (i + 1 < count ? plain[i + 1] << 8 : 0));
        if (c == 0)
            break;
        text.push_back(c);
    }
    return text;
}

void WriteText(wire::Writer& w, const CPacket& p) {
    w.U32(WireSize(p.digest.size()));
    w.Utf16(p.digest);
    std::string cipher = crypto::Utf16LeBytes(p.text);
    if (!cipher.empty())
        ApplyPacketCipher(cipher.data(), cipher.size());
    w.U32(WireSize(cipher.size()));
    w.Bytes(cipher.data(), cipher.size());
}

bool ReadText(wire::Reader& r, CPacket& p) {
    std::uint32_t chars;
    if (!r.U32(chars) || !r.Utf16(p.digest, chars))
        return false;
    std::uint32_t bytes;
    if (!r.Count(bytes, 1))
        return false;
    p.text = DecipherText(r.position(), bytes);
    return r.Skip(bytes);
}

void WriteBlock12(wire::Writer& w, const CPacket& p) {
    w.I32(p.value);
    w.U32(WireSize(p.data.size()));
    w.I32(p.tagValue);
    w.Bytes(p.data.data(), WireSize(p.data.size()));
}

bool ReadBlock12(wire::Reader& r, CPacket& p) {
    std::uint32_t size;
    return r.I32(p.value) && r.U32(size) && r.I32(p.tagValue) && size <= r.remaining() &&
           r.Bytes(p.data, size);
}

void WriteEnvelope(wire::Writer& w, const CPacket& p) {
    w.I32(p.envelopeFirstId);
    w.I32(p.envelopeSecondId);
    WriteBuffer(w, p.inner);
}

bool ReadEnvelope(wire::Reader& r, CPacket& p) {
    return r.I32(p.envelopeFirstId) && r.I32(p.envelopeSecondId) && ReadBuffer(r, p.inner);
}

void WriteSmallBuffer(wire::Writer& w, const std::vector<std::uint8_t>& bytes) {
    // The length is 16-bit: a longer buffer is cut rather than let its bytes run into the next field.
    const std::size_t n = std::min<std::size_t>(bytes.size(), 0xFFFF);
    w.U16(static_cast<std::uint16_t>(n));
    w.Bytes(bytes.data(), n);
}

bool ReadSmallBuffer(wire::Reader& r, std::vector<std::uint8_t>& out) {
    std::uint16_t n;
    return r.U16(n) && r.Bytes(out, n);
}

void WritePayload(wire::Writer& w, const CPacket& p) {
    switch (p.kind) {
        case PacketKind::kText:
            WriteText(w, p);
            break;
        case PacketKind::kThreeIntegers:
            for (auto v : p.a)
                w.I32(v);
            break;
        case PacketKind::kMixedRecord:
            for (auto v : p.g)
                w.I32(v);
            for (auto v : p.g16)
                w.U16(v);
            WriteSmallBuffer(w, p.h1);
            WriteSmallBuffer(w, p.h2);
            break;
        case PacketKind::kKeyEvents:
            w.U32(WireSize(p.keyEvents.size()));
            for (const auto& e : p.keyEvents) {
                w.U16(e.message);
                w.I32(e.virtualKey);
                w.I32(e.repeatCount);
                w.I32(e.flags);
            }
            break;
        case PacketKind::kMouseEvents:
            w.U32(WireSize(p.mouseEvents.size()));
            for (const auto& e : p.mouseEvents) {
                w.U16(e.message);
                w.I32(e.flags);
                w.I32(e.x);
                w.I32(e.y);
                w.I16(e.wheelDelta);
            }
            break;
        case PacketKind::kDataRecord:
            for (auto v : p.k)
                w.I32(v);
            w.Bytes(p.blockC.data(), p.blockC.size());
            if (p.k[4] == 0)
                w.I32(p.k7);
            WriteBuffer(w, p.data);
            break;
        case PacketKind::kTaggedBlockWithPrefix:
            w.I32(p.e1);
            WriteBlock12(w, p);
            break;
        case PacketKind::kNamedData:
            for (auto v : p.f)
                w.I32(v);
            w.U32(WireSize(p.name.size()));
            w.Utf16(p.name);
            WriteBuffer(w, p.data);
            break;
        case PacketKind::kTwoIntegers:
            for (auto v : p.b)
                w.I32(v);
            break;
        case PacketKind::kSoundBlock:
        case PacketKind::kBlock:
            w.I32(p.value);
            WriteBuffer(w, p.data);
            break;
        case PacketKind::kCompressedFrame:
            WriteBlock12(w, p);
            break;
        case PacketKind::kRelayEnvelope:
            WriteEnvelope(w, p);
            break;
        case PacketKind::kRelayMultiEnvelope:
            w.U32(WireSize(p.targets.size()));
            for (auto t : p.targets)
                w.I32(t);
            w.U8(static_cast<std::uint8_t>(PacketKind::kRelayEnvelope));
            WriteEnvelope(w, p);
            break;
        case PacketKind::kDataBlock:
            w.Bytes(p.blockC.data(), p.blockC.size());
            WriteBuffer(w, p.data);
            break;
        case PacketKind::kEmpty:
            break;
    }
}

bool ReadPayload(wire::Reader& r, CPacket& p) {
    switch (p.kind) {
        case PacketKind::kText:
            return ReadText(r, p);
        case PacketKind::kThreeIntegers:
            return r.I32(p.a[0]) && r.I32(p.a[1]) && r.I32(p.a[2]);
        case PacketKind::kMixedRecord:
            for (auto& v : p.g)
                if (!r.I32(v))
                    return false;
            for (auto& v : p.g16)
                if (!r.U16(v))
                    return false;
            return ReadSmallBuffer(r, p.h1) && ReadSmallBuffer(r, p.h2);
        case PacketKind::kKeyEvents: {
            std::uint32_t count;
            if (!r.Count(count, kKeyRecordSize))
                return false;
            p.keyEvents.resize(count);
            for (auto& e : p.keyEvents)
                r.U16(e.message), r.I32(e.virtualKey), r.I32(e.repeatCount), r.I32(e.flags);
            return true;
        }
        case PacketKind::kMouseEvents: {
            std::uint32_t count;
            if (!r.Count(count, kMouseRecordSize))
                return false;
            p.mouseEvents.resize(count);
            for (auto& e : p.mouseEvents)
                r.U16(e.message), r.I32(e.flags), r.I32(e.x), r.I32(e.y), r.I16(e.wheelDelta);
            return true;
        }
        case PacketKind::kDataRecord: {
            for (auto& v : p.k)
                if (!r.I32(v))
                    return false;
            std::uint8_t c[16];
            if (!r.Fixed(c))
                return false;
            std::copy(std::begin(c), std::end(c), p.blockC.begin());
            if (p.k[4] == 0 && !r.I32(p.k7))
                return false;
            return ReadBuffer(r, p.data);
        }
        case PacketKind::kTaggedBlockWithPrefix:
            return r.I32(p.e1) && ReadBlock12(r, p);
        case PacketKind::kNamedData: {
            std::uint32_t chars;
            return r.I32(p.f[0]) && r.I32(p.f[1]) && r.I32(p.f[2]) && r.U32(chars) &&
                   r.Utf16(p.name, chars) && ReadBuffer(r, p.data);
        }
        case PacketKind::kTwoIntegers:
            return r.I32(p.b[0]) && r.I32(p.b[1]);
        case PacketKind::kSoundBlock:
        case PacketKind::kBlock:
            return r.I32(p.value) && ReadBuffer(r, p.data);
        case PacketKind::kCompressedFrame:
            return ReadBlock12(r, p);
        case PacketKind::kRelayEnvelope:
            return ReadEnvelope(r, p);
        case PacketKind::kRelayMultiEnvelope: {
            std::uint32_t count;
            if (!r.Count(count, 4))
                return false;
            p.targets.resize(count);
            for (auto& t : p.targets)
                r.I32(t);
            std::uint8_t innerKind;  // always 13 from a well-behaved relay; not relied upon
            return r.U8(innerKind) && ReadEnvelope(r, p);
        }
        case PacketKind::kDataBlock: {
            std::uint8_t c[16];
            if (!r.Fixed(c))
                return false;
            std::copy(std::begin(c), std::end(c), p.blockC.begin());
            return ReadBuffer(r, p.data);
        }
        case PacketKind::kEmpty:
            break;
    }
    return false;
}

}  // namespace

bool IsValidPacketKind(std::uint8_t kind) {
    return kind >= 1 && kind <= 16 && kind != 6;
}

std::array<std::uint8_t, 4> MakeCheckWord(std::uint8_t g) {
    return {static_cast<std::uint8_t>((g >> 5) + 0xA0), static_cast<std::uint8_t>((g >> 6) + 0xA0),
            static_cast<std::uint8_t>((g >> 4) + 0xA0), g};
}

bool IsCheckWord(const std::uint8_t* bytes) {
    const auto expected = MakeCheckWord(bytes[3]);
    return std::equal(expected.begin(), expected.end(), bytes);
}

std::u16string TextPacketDigest(std::u16string_view text) {
    const std::string bytes = crypto::Utf16LeBytes(text);
    CMD5Hash hash;
    hash.Update(bytes.data(), text.size());  // N characters, N bytes: the peers' rule
    std::u16string digest;
    hash.HexDigest(digest);
    return digest;
}

CPacket::CPacket(std::u16string message) : kind(PacketKind::kText), text(std::move(message)) {
    digest = TextPacketDigest(text);
}

CPacket::CPacket(std::int32_t v, const void* bytes, std::size_t size, std::int32_t tag)
    : kind(PacketKind::kCompressedFrame), value(v), tagValue(tag) {
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    data.assign(p, p + size);
}

CPacket::CPacket(std::int32_t v, const void* bytes, std::size_t size)
    : kind(PacketKind::kSoundBlock), value(v) {
    const auto* p = static_cast<const std::uint8_t*>(bytes);
    data.assign(p, p + size);
}

CPacket::CPacket(std::vector<KeyEventRecord>&& keys)
    : kind(PacketKind::kKeyEvents), keyEvents(std::move(keys)) {
    keys.clear();
}

CPacket::CPacket(std::vector<MouseEventRecord>&& mouse)
    : kind(PacketKind::kMouseEvents), mouseEvents(std::move(mouse)) {
    mouse.clear();
}

std::size_t CPacket::EstimatedBodySize() const {
    return 64 + data.size() + inner.size() + h1.size() + h2.size() + name.size() * 2 + text.size() * 2 +
           targets.size() * 4 + mouseEvents.size() * kMouseRecordSize + keyEvents.size() * kKeyRecordSize;
}

void CPacket::AppendBody(std::vector<std::uint8_t>& out) const {
    wire::Writer w(out);
    w.U8(static_cast<std::uint8_t>(kind));
    WritePayload(w, *this);
}

std::vector<std::uint8_t> CPacket::SerializeBody() const {
    std::vector<std::uint8_t> out;
    out.reserve(EstimatedBodySize());
    AppendBody(out);
    return out;
}

std::vector<std::uint8_t> CPacket::Serialize(std::uint8_t tick) const {
    if (!IsValidPacketKind(static_cast<std::uint8_t>(kind)))
        return {};
    std::vector<std::uint8_t> out;
    out.reserve(kHeaderSize + EstimatedBodySize());
    const auto check = MakeCheckWord(tick);
    out.assign(check.begin(), check.end());
    out.resize(kHeaderSize);
    AppendBody(out);
    const std::size_t length = out.size() - 4;
    if (length > kMaxPacketLength)
        return {};
    for (int i = 0; i < 4; ++i)
        out[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    return out;
}

bool CPacket::ParseBody(const std::uint8_t* bytes, std::size_t size, CPacket& out) {
    wire::Reader r(bytes, size);
    std::uint8_t kindByte;
    if (!r.U8(kindByte) || !IsValidPacketKind(kindByte))
        return false;
    CPacket parsed;
    parsed.kind = static_cast<PacketKind>(kindByte);
    if (!ReadPayload(r, parsed))
        return false;
    out = std::move(parsed);
    return true;
}

bool CPacket::Transfer(ByteStream& stream, TransferDirection direction) {
    return direction == TransferDirection::kSend ? Send(stream) : Receive(stream);
}

bool CPacket::Send(ByteStream& stream) const {
    if (!IsValidPacketKind(static_cast<std::uint8_t>(kind))) {
        stream.Close();
        return false;
    }
    const std::vector<std::uint8_t> bytes = Serialize(CurrentTickByte());
    if (bytes.empty())
        return false;  // longer than any peer accepts; nothing was written
    if (stream.WriteAll(bytes.data(), bytes.size()) != ByteStream::Result::kOk) {
        stream.Close();
        return false;
    }
    return true;
}

bool CPacket::Receive(ByteStream& stream) {
    *this = CPacket();
    auto refuse = [&stream] {
        stream.Close();
        return false;
    };
    std::uint8_t header[kHeaderSize];
    if (stream.ReadExact(header, 4) != ByteStream::Result::kOk || !IsCheckWord(header))
        return refuse();
    if (stream.ReadExact(header + 4, 4) != ByteStream::Result::kOk)
        return refuse();
    wire::Reader lengthReader(header + 4, 4);
    std::uint32_t length = 0;
    lengthReader.U32(length);
    // At least the length field and a kind byte; at most the cap (which also refuses every value
    // that is negative as a signed field).
    if (length < 5 || length > kMaxPacketLength)
        return refuse();
    std::vector<std::uint8_t> body(length - 4);
    if (stream.ReadExact(body.data(), body.size()) != ByteStream::Result::kOk)
        return refuse();
    if (!ParseBody(body.data(), body.size(), *this))
        return refuse();
    return true;
}

bool CPacket::Wrap(std::int32_t firstId, std::int32_t secondId) {
    if (!IsValidPacketKind(static_cast<std::uint8_t>(kind)) || kind == PacketKind::kRelayEnvelope ||
        kind == PacketKind::kRelayMultiEnvelope)
        return false;
    std::vector<std::uint8_t> body = SerializeBody();
    // The envelope adds its kind byte, two ids and the inner length to the length field's 4 bytes.
    if (body.size() > kMaxPacketLength - 17)
        return false;
    CPacket envelope;
    envelope.kind = PacketKind::kRelayEnvelope;
    envelope.envelopeFirstId = firstId;
    envelope.envelopeSecondId = secondId;
    envelope.inner = std::move(body);
    *this = std::move(envelope);
    return true;
}

bool CPacket::Unwrap() {
    if (kind != PacketKind::kRelayEnvelope || inner.empty())
        return false;
    const auto innerKind = static_cast<PacketKind>(inner[0]);
    if (innerKind == PacketKind::kRelayEnvelope || innerKind == PacketKind::kRelayMultiEnvelope)
        return false;
    CPacket unwrapped;
    if (!ParseBody(inner.data(), inner.size(), unwrapped))
        return false;
    *this = std::move(unwrapped);
    return true;
}

}  // namespace orvane
