#include "sim/RelayServer.h"

#include <QHostAddress>
#include <algorithm>

#include "util/Text.h"

namespace orvane::sim {

struct RelayServer::Session {
    PacketLink* pad = nullptr;
    PacketLink* podium = nullptr;
    bool podiumConnected = false;
    bool identified = false;
    bool ended = false;
    int first = 0;
    int second = 0;
    // Packets for the podium PC that arrived while its connection was still being made.
    std::vector<std::pair<std::vector<std::uint8_t>, CPacket>> pending;
};

std::vector<std::string> CheckRelayIdentification(std::u16string_view args, const std::string& relayVersion,
                                                  const std::string& teacherId) {
    std::vector<std::string> problems;
    const std::vector<std::u16string> f = SplitArgs(args);
    const bool threeFields = VersionAtLeast(relayVersion, "1.0.1.1000");
    const std::size_t want = threeFields ? 3 : 2;
    if (f.size() != want) {
        problems.push_back("expected " + std::to_string(want) + " fields for relay version " + relayVersion +
                           ", got " + std::to_string(f.size()));
        return problems;
    }
    if (f[0].empty())
        problems.push_back("field 1 (teacher ID) is empty");
    else if (!teacherId.empty() && WideToUtf8String(f[0]) != teacherId)
        problems.push_back("field 1 (teacher ID) \"" + WideToUtf8String(f[0]) +
                           "\" is not the known teacher");
    if (f[1] != u"orvane")
        problems.push_back("field 2 is \"" + WideToUtf8String(f[1]) + "\", expected \"orvane\"");
    if (threeFields && f[2] != u"1")
        problems.push_back("field 3 (client flag) is \"" + WideToUtf8String(f[2]) + "\", expected \"1\"");
    return problems;
}

RelayServer::RelayServer(const SimOptions& options, const ClassroomPorts& ports, EventLog& log,
                         QObject* parent)
    : QObject(parent), options_(options), ports_(ports), log_(log) {
    connect(&server_, &QTcpServer::newConnection, this, [this] { Accept(); });
}

RelayServer::~RelayServer() = default;

bool RelayServer::Start(int port, std::string& error) {
    return ListenOnLoopback(server_, port, "relay server", error);
}

void RelayServer::Stop() {
    server_.close();
    for (auto& session : sessions_)
        End(*session, "the classroom stops");
}

void RelayServer::Accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        const int id = log_.Accepted("relay", socket->peerPort());
        sessions_.push_back(std::make_unique<Session>());
        Session& session = *sessions_.back();
        const int number = ++nextSession_;
        session.first = 5000 + number;
        session.second = 7000 + number;
        session.pad = new PacketLink(socket, "relay", id, log_, this);
        session.pad->onPacket = [this, &session](CPacket& packet, std::span<const std::uint8_t>) {
            OnPadPacket(session, packet);
        };
        session.pad->onClosed = [this, &session](const std::string& reason) {
            End(session, "pad: " + reason);
        };

        if (options_.relayFault == RelayFault::kSilent)
            continue;
        session.pad->SendText(options_.relayVersionEmpty ? std::u16string(u"[FR00001]")
                                                         : u"[FR00001]" + W(options_.relayVersion));
    }
}

void RelayServer::OnPadPacket(Session& session, const CPacket& packet) {
    if (packet.kind == PacketKind::kRelayEnvelope) {
        OnEnvelope(session, packet);
        return;
    }
    if (packet.kind != PacketKind::kText || packet.text.size() < 9 ||
        std::u16string_view(packet.text).substr(0, 9) != u"[US00001]")
        return;

    const std::vector<std::string> problems = CheckRelayIdentification(
        std::u16string_view(packet.text).substr(9), options_.relayVersion, options_.teacherId);
    log_.Check("relay", session.pad->connection(), "[US00001]", problems);

    if (!problems.empty() || options_.relayFault == RelayFault::kDisconnect) {
        session.pad->SendText(u"[MV10001]");
        return;
    }
    if (options_.relayFault == RelayFault::kNoTeacher) {
        session.pad->SendText(u"[FR10000]5");
        return;
    }
    if (options_.relayFault == RelayFault::kBadRefusal) {
        session.pad->SendText(u"[FR10000]5,1");
        return;
    }
    session.identified = true;
    if (options_.relayFault == RelayFault::kBadSession)
        session.pad->SendText(u"[FR00002]" + W(std::to_string(session.first)));
    else
        session.pad->SendText(u"[FR00002]" + W(std::to_string(session.first)) + u"," +
                              W(std::to_string(session.second)));
}

void RelayServer::OnEnvelope(Session& session, const CPacket& envelope) {
    const int conn = session.pad->connection();
    if (envelope.envelopeFirstId != session.second || envelope.envelopeSecondId != session.first)
        log_.Check(
            "relay", conn, "envelope ids",
            {"expected " + std::to_string(session.second) + "," + std::to_string(session.first) + ", got " +
             std::to_string(envelope.envelopeFirstId) + "," + std::to_string(envelope.envelopeSecondId)});
    auto drop = [&](const char* reason) {
        log_.Write(
            JsonObject().Str("event", "error").Str("peer", "relay").Int("conn", conn).Str("reason", reason));
    };
    CPacket inner;
    if (!CPacket::ParseBody(envelope.inner.data(), envelope.inner.size(), inner))
        return drop("unreadable packet inside an envelope");
    if (!session.identified)
        return drop("envelope before the relay session was opened; dropped");
    if (inner.kind == PacketKind::kText && std::u16string_view(inner.text).substr(0, 9) == u"[PC_CONN]") {
        if (!session.podium)
            ConnectPodium(session);
        return;
    }
    if (!session.podium)
        return drop("envelope before \"[PC_CONN]\"; dropped");
    if (session.podiumConnected)
        session.podium->SendBody(envelope.inner, inner);
    else
        session.pending.emplace_back(envelope.inner, inner);
}

void RelayServer::ConnectPodium(Session& session) {
    auto* socket = new QTcpSocket();
    const int id = log_.NextConnectionId();
    session.podium = new PacketLink(socket, "relay", id, log_, this, "podium");
    session.podium->onPacket = [&session](CPacket&, std::span<const std::uint8_t> body) {
        // The teacher program's packets go to the pad inside envelopes, byte for byte.
        CPacket envelope;
        envelope.kind = PacketKind::kRelayEnvelope;
        envelope.envelopeFirstId = session.first;
        envelope.envelopeSecondId = session.second;
        envelope.inner.assign(body.begin(), body.end());
        session.pad->Send(envelope);
    };
    session.podium->onClosed = [this, &session](const std::string& reason) {
        End(session, "podium PC: " + reason);
    };
    connect(socket, &QTcpSocket::connected, this, [this, &session, id] {
        session.podiumConnected = true;
        log_.Write(JsonObject()
                       .Str("event", "connect")
                       .Str("peer", "relay")
                       .Str("side", "podium")
                       .Int("conn", id)
                       .Str("to", "127.0.0.1:" + std::to_string(ports_.podium))
                       .Int("for", session.pad->connection()));
        for (auto& [body, parsed] : session.pending)
            session.podium->SendBody(body, parsed);
        session.pending.clear();
    });
    socket->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(ports_.podium));
}

void RelayServer::End(Session& session, const std::string& reason) {
    if (session.ended)
        return;
    session.ended = true;
    if (session.pad)
        session.pad->Close(reason);
    if (session.podium)
        session.podium->Close(reason);
    if (session.pad)
        session.pad->deleteLater();
    if (session.podium)
        session.podium->deleteLater();
    // The session goes once the callbacks that may still be on the stack have returned.
    Session* gone = &session;
    QMetaObject::invokeMethod(
        this,
        [this, gone] {
            sessions_.erase(std::remove_if(sessions_.begin(), sessions_.end(),
                                           [gone](const auto& s) { return s.get() == gone; }),
                            sessions_.end());
        },
        Qt::QueuedConnection);
}

}  // namespace orvane::sim
