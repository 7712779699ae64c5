#include "sim/PacketLink.h"

#include <chrono>

#include "util/Text.h"

namespace orvane::sim {
namespace {

constexpr int kStallMs = 30000;

std::uint8_t TickByte() {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint8_t>(ms.count() & 0xFF);
}

std::string Utf8(std::u16string_view text) {
    return WideToUtf8String(text);
}

}  // namespace

std::vector<std::u16string> SplitArgs(std::u16string_view args) {
    std::vector<std::u16string> fields;
    if (args.empty())
        return fields;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = args.find(u',', start);
        fields.emplace_back(
            args.substr(start, comma == std::u16string_view::npos ? args.npos : comma - start));
        if (comma == std::u16string_view::npos)
            break;
        start = comma + 1;
    }
    return fields;
}

JsonObject PacketJson(const CPacket& packet) {
    JsonObject json;
    json.Int("kind", static_cast<int>(packet.kind));
    switch (packet.kind) {
        case PacketKind::kText:
            json.Str("text", Utf8(packet.text));
            json.Str("digest", Utf8(packet.digest));
            break;
        case PacketKind::kKeyEvents: {
            std::string records = "[";
            for (const KeyEventRecord& r : packet.keyEvents) {
                if (records.size() > 1)
                    records += ',';
                records += JsonObject()
                               .Int("message", r.message)
                               .Int("vk", r.virtualKey)
                               .Int("repeat", r.repeatCount)
                               .Int("flags", r.flags)
                               .Text();
            }
            json.Raw("keys", records + "]");
            break;
        }
        case PacketKind::kMouseEvents: {
            std::string records = "[";
            for (const MouseEventRecord& r : packet.mouseEvents) {
                if (records.size() > 1)
                    records += ',';
                records += JsonObject()
                               .Int("message", r.message)
                               .Int("flags", r.flags)
                               .Int("x", r.x)
                               .Int("y", r.y)
                               .Int("wheel", r.wheelDelta)
                               .Text();
            }
            json.Raw("mouse", records + "]");
            break;
        }
        case PacketKind::kCompressedFrame:
            json.Int("frame", packet.tagValue);
            json.Int("value", packet.value);
            json.Int("bytes", static_cast<long long>(packet.data.size()));
            break;
        case PacketKind::kSoundBlock:
        case PacketKind::kBlock:
            json.Int("value", packet.value);
            json.Int("bytes", static_cast<long long>(packet.data.size()));
            break;
        case PacketKind::kRelayEnvelope: {
            json.Int("first", packet.envelopeFirstId);
            json.Int("second", packet.envelopeSecondId);
            CPacket inner;
            if (CPacket::ParseBody(packet.inner.data(), packet.inner.size(), inner))
                json.Raw("inner", PacketJson(inner).Text());
            else
                json.Int("inner_bytes", static_cast<long long>(packet.inner.size()));
            break;
        }
        default:
            json.Int("bytes", static_cast<long long>(packet.data.size()));
            break;
    }
    return json;
}

std::string PacketSummary(const CPacket& packet) {
    switch (packet.kind) {
        case PacketKind::kText: {
            std::string text;
            for (char c : Utf8(packet.text))
                text += c == '\n' ? std::string("\\n") : std::string(1, c);
            return text;
        }
        case PacketKind::kKeyEvents:
            return std::to_string(packet.keyEvents.size()) + " key event(s)";
        case PacketKind::kMouseEvents:
            return std::to_string(packet.mouseEvents.size()) + " mouse event(s)";
        case PacketKind::kCompressedFrame:
            return "frame " + std::to_string(packet.tagValue) + " (" + std::to_string(packet.data.size()) +
                   " bytes)";
        case PacketKind::kSoundBlock:
            return "sound block (" + std::to_string(packet.data.size()) + " bytes)";
        case PacketKind::kRelayEnvelope: {
            CPacket inner;
            const std::string head = "envelope(" + std::to_string(packet.envelopeFirstId) + "," +
                                     std::to_string(packet.envelopeSecondId) + ") ";
            if (CPacket::ParseBody(packet.inner.data(), packet.inner.size(), inner))
                return head + PacketSummary(inner);
            return head + "(unreadable)";
        }
        default:
            return "kind " + std::to_string(static_cast<int>(packet.kind));
    }
}

bool IsChatty(const CPacket& packet) {
    if (packet.kind == PacketKind::kRelayEnvelope) {
        CPacket inner;
        return CPacket::ParseBody(packet.inner.data(), packet.inner.size(), inner) && IsChatty(inner);
    }
    if (packet.kind != PacketKind::kText)
        return true;
    const std::u16string_view tag = std::u16string_view(packet.text).substr(0, 9);
    return tag == u"[RC00003]" || tag == u"[RH10002]" || tag == u"[RC00006]" || tag == u"[RH00002]";
}

PacketLink::PacketLink(QTcpSocket* socket, std::string peer, int connection, EventLog& log, QObject* parent,
                       std::string side)
    : QObject(parent),
      socket_(socket),
      peer_(std::move(peer)),
      side_(std::move(side)),
      connection_(connection),
      log_(log) {
    socket_->setParent(this);
    socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
    connect(socket_, &QTcpSocket::readyRead, this, [this] { Read(); });
    connect(socket_, &QTcpSocket::disconnected, this, [this] { Close("closed by the other side"); });
    connect(socket_, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
        Close(error == QAbstractSocket::RemoteHostClosedError
                  ? "closed by the other side"
                  : "socket error: " + socket_->errorString().toStdString());
    });
    stall_.setSingleShot(true);
    connect(&stall_, &QTimer::timeout, this, [this] { Fail("half a packet, then 30 s of silence"); });
}

PacketLink::~PacketLink() {
    if (socket_)
        socket_->disconnect(this);
}

int PacketLink::peerPort() const {
    return socket_->peerPort();
}

std::string PacketLink::Label() const {
    std::string label = peer_ + (side_.empty() ? "" : ">" + side_);
    label.resize(std::max<std::size_t>(label.size(), 6), ' ');
    return label + " #" + std::to_string(connection_);
}

void PacketLink::Log(const char* dir, const CPacket& packet, std::size_t wireBytes) {
    JsonObject record;
    record.Str("peer", peer_);
    if (!side_.empty())
        record.Str("side", side_);
    record.Int("conn", connection_).Str("dir", dir).Int("wire", static_cast<long long>(wireBytes));
    const std::string fields = PacketJson(packet).Text();
    record.Raw("packet", fields);
    log_.Write(record);

    log_.Console(Label() + (dir[0] == 's' ? " -> " : " <- ") + PacketSummary(packet), IsChatty(packet));
}

void PacketLink::Write(const std::vector<std::uint8_t>& bytes) {
    socket_->write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

void PacketLink::Send(const CPacket& packet) {
    if (closed_)
        return;
    const std::vector<std::uint8_t> bytes = packet.Serialize(TickByte());
    if (bytes.empty())
        return;
    Log("send", packet, bytes.size());
    Write(bytes);
}

void PacketLink::SendBody(std::span<const std::uint8_t> body, const CPacket& parsed) {
    if (closed_ || body.empty())
        return;
    std::vector<std::uint8_t> bytes(8);
    const auto check = MakeCheckWord(TickByte());
    std::copy(check.begin(), check.end(), bytes.begin());
    const std::uint32_t length = static_cast<std::uint32_t>(body.size() + 4);
    for (int i = 0; i < 4; ++i)
        bytes[4 + i] = static_cast<std::uint8_t>(length >> (8 * i));
    bytes.insert(bytes.end(), body.begin(), body.end());
    Log("send", parsed, bytes.size());
    Write(bytes);
}

PacketCut CutPacket(std::span<const std::uint8_t> bytes, CPacket& out) {
    PacketCut cut;
    if (bytes.size() >= 4 && !IsCheckWord(bytes.data())) {
        cut.status = PacketCut::kBad;
        cut.problem = "bad check word";
        return cut;
    }
    if (bytes.size() < 8)
        return cut;
    const std::int32_t length = static_cast<std::int32_t>(bytes[4] | (bytes[5] << 8) | (bytes[6] << 16) |
                                                          (static_cast<std::uint32_t>(bytes[7]) << 24));
    if (length <= 4 || static_cast<std::uint32_t>(length) > kMaxPacketLength) {
        cut.status = PacketCut::kBad;
        cut.problem = "bad length field " + std::to_string(length);
        return cut;
    }
    const std::size_t total = 4 + static_cast<std::size_t>(length);
    if (bytes.size() < total)
        return cut;
    if (!CPacket::ParseBody(bytes.data() + 8, total - 8, out)) {
        cut.status = PacketCut::kBad;
        cut.problem = "malformed packet of kind " + std::to_string(bytes[8]);
        return cut;
    }
    cut.status = PacketCut::kPacket;
    cut.size = total;
    return cut;
}

void PacketLink::Read() {
    if (closed_)
        return;
    const QByteArray chunk = socket_->readAll();
    buffer_.insert(buffer_.end(), chunk.begin(), chunk.end());
    std::size_t offset = 0;
    while (!closed_) {
        CPacket packet;
        const PacketCut cut = CutPacket(std::span(buffer_).subspan(offset), packet);
        if (cut.status == PacketCut::kBad) {
            Fail(cut.problem);
            return;
        }
        if (cut.status == PacketCut::kNeedMore)
            break;
        const std::size_t total = cut.size;
        const std::span<const std::uint8_t> body(buffer_.data() + offset + 8, total - 8);
        Log("recv", packet, total);
        if (packet.kind == PacketKind::kText && packet.digest != TextPacketDigest(packet.text))
            log_.Check(peer_, connection_, "digest",
                       {"expected " + Utf8(TextPacketDigest(packet.text)) + ", got " + Utf8(packet.digest)});
        // `body` points into the buffer, which stays as it is until the handler has returned.
        if (onPacket)
            onPacket(packet, body);
        offset += total;
    }
    if (closed_) {
        buffer_.clear();
        return;
    }
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(offset));
    if (buffer_.empty())
        stall_.stop();
    else if (!stall_.isActive() || offset > 0)
        stall_.start(kStallMs);
}

void PacketLink::Fail(const std::string& reason) {
    log_.Write(
        JsonObject().Str("event", "error").Str("peer", peer_).Int("conn", connection_).Str("reason", reason));
    log_.Console(Label() + " protocol error: " + reason);
    Close(reason);
}

void PacketLink::Close(const std::string& reason) {
    if (closed_)
        return;
    closed_ = true;
    stall_.stop();
    socket_->disconnect(this);
    socket_->disconnectFromHost();
    JsonObject record;
    record.Str("event", "close").Str("peer", peer_);
    if (!side_.empty())
        record.Str("side", side_);
    log_.Write(record.Int("conn", connection_).Str("reason", reason));
    log_.Console(Label() + " closed: " + reason);
    if (onClosed)
        onClosed(reason);
}

}  // namespace orvane::sim
