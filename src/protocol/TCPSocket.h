// CTCPSocket: one TCP connection of the session (login server, relay server or podium PC) on a
// plain non-blocking IPv4 socket watched by Qt socket notifiers. Connect completion, data arrival
// and closure by the peer are reported to one notify target, on the thread the socket lives on,
// while the target's own handler then reads or writes whole packets in one blocking transfer.
//
// Deadline: a blocking transfer never waits forever. Each packet (read or write) must complete
// within the packet deadline (10 s unless set); a peer that sends half a packet and stalls, or stops
// reading, costs its reader at most that long. An expired deadline, a bad packet and a socket error
// all close the socket, and the closure is then reported like a close by the peer (queued, after
// the handler that ran the transfer has returned).
//
// TCP keep-alive is on (first probe after 10 s idle, then every 5 s, 3 probes), so a peer that
// vanished without a word is noticed by the system even when the session is silent.
//
// Thread: the thread that created the socket (the main thread for the session's sockets; the
// control thread owns the direct connection during remote control, through Detach and Attach).
#pragma once

#include <QObject>
#include <string>

#include "protocol/Packet.h"

class QSocketNotifier;

namespace orvane {

class CTCPSocket;

// The notify target of a socket (the main window's session in the original design). Called
// synchronously on the socket's thread.
class SocketEvents {
  public:
    // error 0: connected. Otherwise the connect failed with that errno value and the socket is closed.
    virtual void OnSocketConnected(CTCPSocket& socket, int error) = 0;
    // At least one byte is waiting; the handler is expected to read a packet with Transfer.
    virtual void OnSocketData(CTCPSocket& socket) = 0;
    // The peer closed the connection, or a transfer failed; the socket is already closed.
    virtual void OnSocketClosed(CTCPSocket& socket) = 0;

  protected:
    ~SocketEvents() = default;
};

class CTCPSocket : public QObject {
  public:
    static constexpr int kDefaultPacketDeadlineMs = 10000;

    explicit CTCPSocket(QObject* parent = nullptr);
    ~CTCPSocket() override;
    CTCPSocket(const CTCPSocket&) = delete;
    CTCPSocket& operator=(const CTCPSocket&) = delete;

    // Null: events are not reported.
    void SetNotify(SocketEvents* notify) { notify_ = notify; }
    void SetPacketDeadline(int milliseconds) { deadlineMs_ = milliseconds; }
    int PacketDeadline() const { return deadlineMs_; }

    // A fresh stream socket with SO_REUSEADDR and keep-alive, bound to port 0 on any address.
    // False (LastError() says why, the socket stays closed) when the system refuses.
    bool CreateSocket();
    // Starts an asynchronous connect on a created socket; the outcome arrives as OnSocketConnected.
    // `host`: dotted IPv4 or a host name (resolved here, blocking, as the peers' addresses come from
    // the login server). `port`: decimal text. False, with nothing reported later, when the address
    // cannot be used; every failure of the connect itself is reported.
    bool Connect(const std::u16string& host, const std::u16string& port);

    // Takes over a connected socket descriptor (the direct connection coming back from remote
    // control) with all events; closes what this object held before. False for a negative handle.
    bool Attach(int descriptor);
    // Gives the descriptor away (it stays open and connected); this object is closed afterwards.
    // -1 when closed.
    int Detach();

    // Shuts the connection down both ways and closes it. Reports nothing.
    void Close();
    bool IsOpen() const { return fd_ >= 0; }
    int LastError() const { return lastError_; }
    // Port of the socket's local name, 0 when closed.
    int LocalPort() const;
    // Dotted address of the socket's local name, empty when closed or not yet connected.
    std::string LocalAddress() const;

    // The blocking transfer: notifications off, one whole packet written (kSend) or read
    // (kReceive) within the packet deadline, notifications back on while the socket is open.
    // False when the packet did not go out or come in; the socket is then closed and its closure
    // reported. A received packet that failed stays empty (kind 0).
    bool Transfer(CPacket& packet, TransferDirection direction);

  private:
    class Stream;

    void Watch(int descriptor);
    void Unwatch();
    void OnReadable();
    void OnWritable();
    // Closes after a failed transfer or a peer's close and reports the closure (queued or now).
    void CloseAndReport(bool queued);
    void AssertThread() const;

    int fd_ = -1;
    bool connecting_ = false;
    int lastError_ = 0;
    int deadlineMs_ = kDefaultPacketDeadlineMs;
    // Bumped whenever the descriptor changes or is closed on purpose, so a closure report queued
    // for an earlier connection is dropped.
    unsigned generation_ = 0;
    SocketEvents* notify_ = nullptr;
    QSocketNotifier* readNotifier_;
    QSocketNotifier* writeNotifier_;
};

}  // namespace orvane
