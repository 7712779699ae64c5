// CTCPSocket over real loopback TCP against a Qt server in the same thread: connect outcomes,
// whole packets in both directions, closure by the peer, the packet deadline on a stalled reader
// and writer, bad bytes, and the hand-over of a connection between socket objects.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <string>
#include <vector>

#include "EventLoopWait.h"
#include "protocol/TCPSocket.h"
#include "util/Text.h"

namespace orvane {
namespace {

using testing::DrainPostedEvents;
using testing::RunEventsUntil;

struct Recorder : SocketEvents {
    std::vector<std::string> events;
    std::vector<std::u16string> texts;
    // Reads one packet per data report, as the session does.
    bool readOnData = true;
    bool lastTransferOk = true;
    PacketKind lastKind = PacketKind::kEmpty;

    void OnSocketConnected(CTCPSocket&, int error) override {
        events.push_back("connected:" + std::to_string(error));
    }
    void OnSocketData(CTCPSocket& socket) override {
        events.push_back("data");
        if (!readOnData)
            return;
        CPacket packet;
        lastTransferOk = socket.Transfer(packet, TransferDirection::kReceive);
        lastKind = packet.kind;
        if (packet.kind == PacketKind::kText)
            texts.push_back(packet.text);
    }
    void OnSocketClosed(CTCPSocket&) override { events.push_back("closed"); }
    long Count(const std::string& event) const { return std::count(events.begin(), events.end(), event); }
};

QByteArray Wire(const CPacket& packet) {
    const std::vector<std::uint8_t> bytes = packet.Serialize(0x5A);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

int GetIntOption(int fd, int level, int name) {
    int value = -1;
    socklen_t length = sizeof value;
    ::getsockopt(fd, level, name, &value, &length);
    return value;
}

class SocketTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server_.listen(QHostAddress::LocalHost));
        socket_.SetNotify(&recorder_);
    }

    // Connects `socket_` to the server and takes the server's end of the connection.
    void ConnectPair() {
        ASSERT_TRUE(socket_.CreateSocket());
        ASSERT_TRUE(socket_.Connect(u"127.0.0.1", W(std::to_string(server_.serverPort()))));
        ASSERT_TRUE(RunEventsUntil(
            [&] { return recorder_.Count("connected:0") == 1 && server_.hasPendingConnections(); }));
        peer_ = server_.nextPendingConnection();
        QObject::connect(peer_, &QTcpSocket::disconnected, [this] { peerDisconnected_ = true; });
    }

    Recorder recorder_;
    CTCPSocket socket_;
    QTcpServer server_;
    QTcpSocket* peer_ = nullptr;
    bool peerDisconnected_ = false;
};

TEST_F(SocketTest, CarriesWholePacketsBothWaysWithKeepAliveOn) {
    ConnectPair();
    EXPECT_EQ(socket_.LocalAddress(), "127.0.0.1");
    EXPECT_GT(socket_.LocalPort(), 0);

    // Two packets in one write: each data report reads exactly one, in order.
    peer_->write(Wire(CPacket(u"[UR00001]0,OK")) + Wire(CPacket(u"[UR00004]NONE,0")));
    ASSERT_TRUE(RunEventsUntil([&] { return recorder_.texts.size() == 2; }));
    EXPECT_EQ(recorder_.texts, (std::vector<std::u16string>{u"[UR00001]0,OK", u"[UR00004]NONE,0"}));

    CPacket out(u"[RC00003]");
    ASSERT_TRUE(socket_.Transfer(out, TransferDirection::kSend));
    QByteArray received;
    ASSERT_TRUE(RunEventsUntil([&] {
        received += peer_->readAll();
        return received.size() >= 8 && received.size() >= 4 + static_cast<unsigned char>(received[4]);
    }));
    CPacket parsed;
    ASSERT_TRUE(CPacket::ParseBody(reinterpret_cast<const std::uint8_t*>(received.constData()) + 8,
                                   static_cast<std::size_t>(received.size() - 8), parsed));
    EXPECT_EQ(parsed.text, u"[RC00003]");

    const int fd = socket_.Detach();
    ASSERT_GE(fd, 0);
    EXPECT_EQ(GetIntOption(fd, SOL_SOCKET, SO_KEEPALIVE), 1);
    EXPECT_EQ(GetIntOption(fd, IPPROTO_TCP, TCP_KEEPIDLE), 10);
    EXPECT_EQ(GetIntOption(fd, IPPROTO_TCP, TCP_NODELAY), 1);
    EXPECT_TRUE(socket_.Attach(fd));
    EXPECT_EQ(recorder_.Count("closed"), 0);
}

TEST_F(SocketTest, RefusedConnectIsReportedWithItsError) {
    const quint16 port = server_.serverPort();
    server_.close();
    ASSERT_TRUE(socket_.CreateSocket());
    ASSERT_TRUE(socket_.Connect(u"127.0.0.1", W(std::to_string(port))));
    ASSERT_TRUE(RunEventsUntil([&] { return !recorder_.events.empty(); }));
    EXPECT_EQ(recorder_.events, std::vector<std::string>{"connected:" + std::to_string(ECONNREFUSED)});
    EXPECT_FALSE(socket_.IsOpen());
}

TEST_F(SocketTest, UnusableAddressReportsNothing) {
    ASSERT_TRUE(socket_.CreateSocket());
    EXPECT_FALSE(socket_.Connect(u"", u"48081"));
    EXPECT_FALSE(socket_.Connect(u"127.0.0.1", u""));
    EXPECT_FALSE(socket_.Connect(u"127.0.0.1", u"70000"));
    DrainPostedEvents();
    EXPECT_TRUE(recorder_.events.empty());
}

TEST_F(SocketTest, PeerCloseIsReportedOnceAndClosesTheSocket) {
    ConnectPair();
    peer_->disconnectFromHost();
    ASSERT_TRUE(RunEventsUntil([&] { return recorder_.Count("closed") == 1; }));
    EXPECT_FALSE(socket_.IsOpen());
    DrainPostedEvents();
    EXPECT_EQ(recorder_.events, (std::vector<std::string>{"connected:0", "closed"}));
}

// A peer that sends half a packet and stalls costs the reader one deadline, never more: the read
// fails, the socket closes and the closure is reported like the peer's own.
TEST_F(SocketTest, HalfPacketThenSilenceEndsAtTheDeadline) {
    socket_.SetPacketDeadline(200);
    ConnectPair();
    peer_->write(Wire(CPacket(u"[MV00007]")).left(20));
    ASSERT_TRUE(RunEventsUntil([&] { return recorder_.Count("closed") == 1; }));
    EXPECT_FALSE(recorder_.lastTransferOk);
    EXPECT_EQ(recorder_.lastKind, PacketKind::kEmpty);
    EXPECT_FALSE(socket_.IsOpen());
    EXPECT_TRUE(RunEventsUntil([&] { return peerDisconnected_; }));
}

TEST_F(SocketTest, BadBytesCloseAndAreReported) {
    ConnectPair();
    peer_->write(QByteArray("\x01\x02\x03\x04\x05\x00\x00\x00\x01", 9));
    ASSERT_TRUE(RunEventsUntil([&] { return recorder_.Count("closed") == 1; }));
    EXPECT_FALSE(recorder_.lastTransferOk);
    EXPECT_TRUE(recorder_.texts.empty());
}

// A peer that stops reading cannot hold the writer either.
TEST_F(SocketTest, StalledReaderEndsTheWriteAtTheDeadline) {
    socket_.SetPacketDeadline(300);
    ConnectPair();
    const std::vector<std::uint8_t> block(15u * 1024 * 1024, 0x55);
    CPacket big(7, block.data(), block.size());
    EXPECT_FALSE(socket_.Transfer(big, TransferDirection::kSend));
    EXPECT_FALSE(socket_.IsOpen());
    EXPECT_TRUE(RunEventsUntil([&] { return recorder_.Count("closed") == 1; }));
}

// A closure report still queued for a connection that has since been replaced is dropped, so it
// cannot end the new one.
TEST_F(SocketTest, ClosureOfAnEarlierConnectionIsNotReportedForTheNext) {
    socket_.SetPacketDeadline(100);
    recorder_.readOnData = false;
    ConnectPair();
    peer_->write(QByteArray("\xA2\xA1\xA5", 3));
    ASSERT_TRUE(RunEventsUntil([&] { return recorder_.Count("data") >= 1; }));
    CPacket packet;
    EXPECT_FALSE(socket_.Transfer(packet, TransferDirection::kReceive));
    ASSERT_TRUE(socket_.CreateSocket());
    DrainPostedEvents();
    EXPECT_EQ(recorder_.Count("closed"), 0);
}

TEST_F(SocketTest, DetachedConnectionWorksInAnotherSocketObject) {
    ConnectPair();
    Recorder other;
    CTCPSocket taker;
    taker.SetNotify(&other);
    ASSERT_TRUE(taker.Attach(socket_.Detach()));
    EXPECT_FALSE(socket_.IsOpen());
    peer_->write(Wire(CPacket(u"[RH10002]")));
    ASSERT_TRUE(RunEventsUntil([&] { return other.texts.size() == 1; }));
    EXPECT_EQ(other.texts[0], u"[RH10002]");
    EXPECT_EQ(recorder_.events, std::vector<std::string>{"connected:0"});
    EXPECT_EQ(socket_.Detach(), -1);
}

}  // namespace
}  // namespace orvane
