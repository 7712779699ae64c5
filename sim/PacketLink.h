// One TCP connection that speaks the session protocol's packets: cuts the byte stream into packets
// without ever waiting on it, hands each packet to its owner, sends packets, and writes every packet
// in both directions to the event log. Main thread only.
//
// Trust: the bytes come from the pad remote (or another local program). A bad check word, a length
// of 0 or below or above kMaxPacketLength, an invalid kind or a malformed payload closes the
// connection; half a packet that stalls for 30 s does too.
#pragma once

#include <QObject>
#include <QTcpSocket>
#include <QTimer>
#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "protocol/Packet.h"
#include "sim/EventLog.h"

namespace orvane::sim {

// The log fields of a packet: kind and the fields of that kind (an envelope's inner packet nested).
JsonObject PacketJson(const CPacket& packet);

// A short human form of a packet for the console ("[MV00007]", "frame 12 (6 tiles)", ...).
std::string PacketSummary(const CPacket& packet);

// Keep-alives, frame acknowledgements, frames and input events: only shown with --verbose.
bool IsChatty(const CPacket& packet);

// Splits a message text's argument part at every ",", keeping empty fields.
std::vector<std::u16string> SplitArgs(std::u16string_view args);

// One step of cutting a received byte stream into packets.
struct PacketCut {
    enum Status { kNeedMore, kPacket, kBad } status = kNeedMore;
    std::size_t size = 0;  // kPacket: the bytes the packet took, check word included
    std::string problem;   // kBad: why the stream cannot go on
};

// Looks at the start of `bytes` (untrusted): a whole packet is parsed into `out`; a bad check word,
// a length of 0 or below or above kMaxPacketLength, or a malformed packet makes the stream bad; a
// check word is judged as soon as its four bytes are there.
PacketCut CutPacket(std::span<const std::uint8_t> bytes, CPacket& out);

class PacketLink : public QObject {
  public:
    // `socket` is connected (or connecting) and becomes this link's child. `peer` names the peer in
    // the log ("login", "relay", "podium"); `side` is an optional second label ("podium" for the
    // relay's own connection to the podium PC).
    PacketLink(QTcpSocket* socket, std::string peer, int connection, EventLog& log, QObject* parent,
               std::string side = {});
    ~PacketLink() override;

    // Called for every complete packet; `body` is the packet's kind byte and payload as received.
    std::function<void(CPacket& packet, std::span<const std::uint8_t> body)> onPacket;
    // Called once when the connection ends, by either side; the link may be deleted afterwards.
    std::function<void(const std::string& reason)> onClosed;

    void Send(const CPacket& packet);
    void SendText(std::u16string_view text) { Send(CPacket(std::u16string(text))); }
    // Sends an already serialised body (kind byte and payload) under a fresh check word and length;
    // `parsed` is the same packet for the log.
    void SendBody(std::span<const std::uint8_t> body, const CPacket& parsed);

    // Closes the connection (after the bytes already written); `reason` goes to the log.
    void Close(const std::string& reason);

    bool open() const { return !closed_; }
    int connection() const { return connection_; }
    int peerPort() const;
    const std::string& peer() const { return peer_; }

  private:
    void Read();
    // "podium #3" for the console.
    std::string Label() const;
    void Fail(const std::string& reason);
    void Log(const char* dir, const CPacket& packet, std::size_t wireBytes);
    void Write(const std::vector<std::uint8_t>& bytes);

    QTcpSocket* socket_;
    std::string peer_;
    std::string side_;
    int connection_;
    EventLog& log_;
    std::vector<std::uint8_t> buffer_;
    QTimer stall_;
    bool closed_ = false;
};

}  // namespace orvane::sim
