// Transfer over byte streams: odd read and write sizes, bad headers, stalls and errors, and real
// TCP on loopback.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <random>
#include <thread>

#include "protocol/FakeByteStream.h"
#include "protocol/Packet.h"
#include "protocol/SamplePackets.h"
#include "protocol/TestBytes.h"

namespace orvane {
namespace {

using testing::FakeByteStream;
using testing::Framed;
using testing::Hex;
using Result = ByteStream::Result;

std::vector<std::uint8_t> AllSamplesOnTheWire() {
    std::vector<std::uint8_t> wire;
    for (const auto& p : testing::SamplePackets())
        wire = testing::Concat(wire, p.Serialize(0x77));
    return wire;
}

TEST(Transfer, ReceivesEveryKindWhateverTheReadSizes) {
    const auto samples = testing::SamplePackets();
    std::mt19937 random(4);
    for (int mode = 0; mode < 3; ++mode) {
        FakeByteStream stream(AllSamplesOnTheWire());
        if (mode == 0)
            stream.maxReadChunk = 1;
        if (mode == 1)
            stream.nextReadChunk = [&random] { return std::size_t{random() % 13}; };
        for (const auto& sample : samples) {
            CPacket p;
            ASSERT_TRUE(p.Transfer(stream, TransferDirection::kReceive)) << mode;
            EXPECT_EQ(p, sample);
        }
        EXPECT_EQ(stream.closeCount, 0);
        CPacket last;
        EXPECT_FALSE(last.Transfer(stream, TransferDirection::kReceive));  // end of stream
        EXPECT_EQ(stream.closeCount, 1);
        if (mode == 0) {
            EXPECT_GT(stream.readCalls, AllSamplesOnTheWire().size() - 1);
        }
    }
}

TEST(Transfer, SendsWholePacketsThroughShortWrites) {
    for (std::size_t chunk : {std::size_t{1}, std::size_t{7}, SIZE_MAX}) {
        FakeByteStream stream;
        stream.maxWriteChunk = chunk;
        for (const auto& sample : testing::SamplePackets())
            ASSERT_TRUE(CPacket(sample).Transfer(stream, TransferDirection::kSend));
        FakeByteStream back(stream.written);
        for (const auto& sample : testing::SamplePackets()) {
            CPacket p;
            ASSERT_TRUE(p.Transfer(back, TransferDirection::kReceive));
            EXPECT_EQ(p, sample);
        }
    }
}

TEST(Transfer, SendFailuresCloseTheStream) {
    FakeByteStream failing;
    failing.writeErrorAfter = 20;
    EXPECT_FALSE(CPacket(u"[RC00003]").Transfer(failing, TransferDirection::kSend));
    EXPECT_EQ(failing.closeCount, 1);

    FakeByteStream invalid;
    CPacket empty;
    EXPECT_FALSE(empty.Transfer(invalid, TransferDirection::kSend));
    EXPECT_EQ(invalid.closeCount, 1);
    EXPECT_TRUE(invalid.written.empty());

    // Longer than any peer accepts: refused before anything is written, the connection kept.
    FakeByteStream big;
    std::vector<std::uint8_t> data(kMaxPacketLength, 0);
    EXPECT_FALSE(CPacket(1, data.data(), data.size(), 1).Transfer(big, TransferDirection::kSend));
    EXPECT_TRUE(big.written.empty());
    EXPECT_EQ(big.closeCount, 0);
}

TEST(Transfer, BadHeadersCloseWithoutReadingFurther) {
    const auto tail = Hex("0A 01000000 02000000 0102030405060708");
    const struct {
        const char* header;
        std::size_t readBeforeClose;
    } cases[] = {
        {"A2 A1 A4 5A 0D000000", 4},  // check word does not match its fourth byte
        {"00 00 00 00 0D000000", 4}, {"A2 A1 A5 5A 00000000", 8},  // length 0
        {"A2 A1 A5 5A FFFFFFFF", 8},                               // negative
        {"A2 A1 A5 5A 00000080", 8},                               // most negative
        {"A2 A1 A5 5A 04000000", 8},                               // no kind byte
        {"A2 A1 A5 5A 01000001", 8},                               // one past the cap
        {"A2 A1 A5 5A FFFFFF7F", 8},                               // largest positive
    };
    for (const auto& c : cases) {
        FakeByteStream stream(testing::Concat(Hex(c.header), tail));
        CPacket p;
        EXPECT_FALSE(p.Transfer(stream, TransferDirection::kReceive)) << c.header;
        EXPECT_EQ(stream.closeCount, 1) << c.header;
        EXPECT_EQ(stream.bytesRead(), c.readBeforeClose) << c.header;
        EXPECT_EQ(p.kind, PacketKind::kEmpty);
    }
}

TEST(Transfer, TruncatedStalledOrFailingReadsCloseTheStream) {
    const auto packet = CPacket(u"[RH10002]").Serialize(9);
    for (std::size_t cut : {std::size_t{0}, std::size_t{2}, std::size_t{6}, packet.size() - 1}) {
        for (Result atEnd : {Result::kEndOfStream, Result::kTimedOut}) {
            FakeByteStream stream({packet.begin(), packet.begin() + static_cast<std::ptrdiff_t>(cut)});
            stream.atEnd = atEnd;
            CPacket p;
            EXPECT_FALSE(p.Transfer(stream, TransferDirection::kReceive)) << cut;
            EXPECT_EQ(stream.closeCount, 1);
            EXPECT_EQ(p.kind, PacketKind::kEmpty);
        }
        FakeByteStream failing(packet);
        failing.readErrorAfter = cut;
        CPacket p;
        EXPECT_FALSE(p.Transfer(failing, TransferDirection::kReceive));
        EXPECT_EQ(failing.closeCount, 1);
    }
}

// A blocking POSIX TCP socket as a byte stream, standing in for the program's socket layer.
class TcpStream : public ByteStream {
  public:
    explicit TcpStream(int fd) : fd_(fd) {}
    ~TcpStream() override { Close(); }
    void Close() override {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }
    bool IsOpen() const override { return fd_ >= 0; }

  protected:
    Result ReadSome(void* buffer, std::size_t max, std::size_t& got) override {
        const ssize_t n = ::recv(fd_, buffer, max, 0);
        got = n > 0 ? static_cast<std::size_t>(n) : 0;
        return n > 0 ? Result::kOk : n == 0 ? Result::kEndOfStream : Result::kError;
    }
    Result WriteSome(const void* data, std::size_t count, std::size_t& put) override {
        const ssize_t n = ::send(fd_, data, count, MSG_NOSIGNAL);
        put = n > 0 ? static_cast<std::size_t>(n) : 0;
        return n > 0 ? Result::kOk : Result::kError;
    }

  private:
    int fd_;
};

TEST(Transfer, CarriesEveryKindAndALargeFrameOverLoopbackTcp) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    ASSERT_GE(listener, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    socklen_t size = sizeof address;
    ASSERT_EQ(::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size), 0);

    std::vector<std::uint8_t> frame(3 * 1024 * 1024 + 5);
    for (std::size_t i = 0; i < frame.size(); ++i)
        frame[i] = static_cast<std::uint8_t>(i * 31 + (i >> 12));
    std::vector<CPacket> packets = testing::SamplePackets();
    packets.emplace_back(static_cast<std::int32_t>(frame.size()), frame.data(), frame.size(), 12345);
    CPacket wrapped = packets.back();
    ASSERT_TRUE(wrapped.Wrap(3, 4));
    packets.push_back(wrapped);

    std::thread sender([&] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
            return;
        TcpStream stream(fd);
        for (const auto& p : packets)
            if (!CPacket(p).Transfer(stream, TransferDirection::kSend))
                return;
    });
    const int accepted = ::accept(listener, nullptr, nullptr);
    ::close(listener);
    ASSERT_GE(accepted, 0);
    TcpStream stream(accepted);
    for (const auto& expected : packets) {
        CPacket p;
        ASSERT_TRUE(p.Transfer(stream, TransferDirection::kReceive));
        EXPECT_EQ(p, expected);
    }
    CPacket end;
    EXPECT_FALSE(end.Transfer(stream, TransferDirection::kReceive));
    EXPECT_FALSE(stream.IsOpen());
    sender.join();
}

}  // namespace
}  // namespace orvane
