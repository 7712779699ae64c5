#include "protocol/TCPSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <QThread>
#include <cerrno>
#include <chrono>

#include "protocol/MessageCatalogue.h"
#include "util/Text.h"

namespace orvane {
namespace {

using Clock = std::chrono::steady_clock;

// Keep-alive probes: the first after 10 s without traffic, then every 5 s, 3 unanswered end it.
constexpr int kKeepAliveIdleSeconds = 10;
constexpr int kKeepAliveIntervalSeconds = 5;
constexpr int kKeepAliveProbes = 3;

void SetIntOption(int fd, int level, int name, int value) {
    ::setsockopt(fd, level, name, &value, sizeof value);
}

// Options every session connection carries, whether made here or handed back by another thread.
// Small packets go out at once: the handshake writes several in a row and waits for answers.
void ConfigureConnection(int fd) {
    SetIntOption(fd, SOL_SOCKET, SO_KEEPALIVE, 1);
    SetIntOption(fd, IPPROTO_TCP, TCP_KEEPIDLE, kKeepAliveIdleSeconds);
    SetIntOption(fd, IPPROTO_TCP, TCP_KEEPINTVL, kKeepAliveIntervalSeconds);
    SetIntOption(fd, IPPROTO_TCP, TCP_KEEPCNT, kKeepAliveProbes);
    SetIntOption(fd, IPPROTO_TCP, TCP_NODELAY, 1);
}

bool ResolveIpv4(const std::u16string& host, in_addr& out) {
    const std::string text = WideToUtf8String(host);
    if (text.empty())
        return false;
    if (::inet_pton(AF_INET, text.c_str(), &out) == 1)
        return true;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (::getaddrinfo(text.c_str(), nullptr, &hints, &found) != 0 || !found)
        return false;
    out = reinterpret_cast<const sockaddr_in*>(found->ai_addr)->sin_addr;
    ::freeaddrinfo(found);
    return true;
}

}  // namespace

// The socket as the packet codec sees it during one blocking transfer: every read and write waits
// at most until the packet's deadline. Close() only records the codec's verdict; the owner closes.
class CTCPSocket::Stream : public ByteStream {
  public:
    Stream(int fd, Clock::time_point deadline) : fd_(fd), deadline_(deadline) {}

    void Close() override { closeRequested_ = true; }
    bool IsOpen() const override { return !closeRequested_; }
    bool closeRequested() const { return closeRequested_; }

  protected:
    Result ReadSome(void* buffer, std::size_t max, std::size_t& got) override {
        while (true) {
            const ssize_t n = ::recv(fd_, buffer, max, 0);
            if (n > 0) {
                got = static_cast<std::size_t>(n);
                return Result::kOk;
            }
            if (n == 0)
                return Result::kEndOfStream;
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN && errno != EWOULDBLOCK)
                return Result::kError;
            if (const Result waited = Wait(POLLIN); waited != Result::kOk)
                return waited;
        }
    }

    Result WriteSome(const void* data, std::size_t count, std::size_t& put) override {
        while (true) {
            const ssize_t n = ::send(fd_, data, count, MSG_NOSIGNAL);
            if (n > 0) {
                put = static_cast<std::size_t>(n);
                return Result::kOk;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK)
                return Result::kError;
            if (const Result waited = Wait(POLLOUT); waited != Result::kOk)
                return waited;
        }
    }

  private:
    Result Wait(short events) {
        while (true) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now()).count();
            if (left <= 0)
                return Result::kTimedOut;
            pollfd p{fd_, events, 0};
            const int r = ::poll(&p, 1, static_cast<int>(left));
            if (r > 0)
                return Result::kOk;  // ready, or an error the next call reports
            if (r == 0)
                return Result::kTimedOut;
            if (errno != EINTR)
                return Result::kError;
        }
    }

    int fd_;
    Clock::time_point deadline_;
    bool closeRequested_ = false;
};

CTCPSocket::CTCPSocket(QObject* parent)
    : QObject(parent),
      readNotifier_(new QSocketNotifier(QSocketNotifier::Read, this)),
      writeNotifier_(new QSocketNotifier(QSocketNotifier::Write, this)) {
    connect(readNotifier_, &QSocketNotifier::activated, this, [this] { OnReadable(); });
    connect(writeNotifier_, &QSocketNotifier::activated, this, [this] { OnWritable(); });
}

CTCPSocket::~CTCPSocket() {
    Close();
}

void CTCPSocket::AssertThread() const {
    Q_ASSERT(QThread::currentThread() == thread());
}

bool CTCPSocket::CreateSocket() {
    AssertThread();
    Close();
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (fd < 0) {
        lastError_ = errno;
        return false;
    }
    SetIntOption(fd, SOL_SOCKET, SO_REUSEADDR, 1);
    ConfigureConnection(fd);
    sockaddr_in any{};
    any.sin_family = AF_INET;
    any.sin_addr.s_addr = htonl(INADDR_ANY);
    if (::bind(fd, reinterpret_cast<sockaddr*>(&any), sizeof any) != 0) {
        lastError_ = errno;
        ::close(fd);
        return false;
    }
    fd_ = fd;
    ++generation_;
    return true;
}

bool CTCPSocket::Connect(const std::u16string& host, const std::u16string& port) {
    AssertThread();
    if (fd_ < 0) {
        lastError_ = EBADF;
        return false;
    }
    const int number = msg::ToInt(port);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    if (number < 1 || number > 65535 || !ResolveIpv4(host, to.sin_addr)) {
        lastError_ = EINVAL;
        return false;
    }
    to.sin_port = htons(static_cast<std::uint16_t>(number));
    int error = 0;
    if (::connect(fd_, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0 && errno != EINPROGRESS)
        error = errno;
    connecting_ = true;
    Watch(fd_);
    if (error == 0) {
        writeNotifier_->setEnabled(true);
        return true;
    }
    // Refused at once (common on loopback): reported like a late failure, after this call returned.
    const unsigned generation = generation_;
    QMetaObject::invokeMethod(
        this,
        [this, generation, error] {
            if (generation != generation_ || !connecting_)
                return;
            connecting_ = false;
            lastError_ = error;
            Close();
            if (notify_)
                notify_->OnSocketConnected(*this, error);
        },
        Qt::QueuedConnection);
    return true;
}

bool CTCPSocket::Attach(int descriptor) {
    AssertThread();
    if (descriptor < 0)
        return false;
    Close();
    const int flags = ::fcntl(descriptor, F_GETFL);
    if (flags >= 0)
        ::fcntl(descriptor, F_SETFL, flags | O_NONBLOCK);
    ConfigureConnection(descriptor);
    fd_ = descriptor;
    ++generation_;
    Watch(fd_);
    readNotifier_->setEnabled(notify_ != nullptr);
    return true;
}

int CTCPSocket::Detach() {
    AssertThread();
    const int fd = fd_;
    Unwatch();
    fd_ = -1;
    connecting_ = false;
    ++generation_;
    return fd;
}

void CTCPSocket::Close() {
    ++generation_;
    if (fd_ < 0)
        return;
    Unwatch();
    ::shutdown(fd_, SHUT_RDWR);
    ::close(fd_);
    fd_ = -1;
    connecting_ = false;
}

int CTCPSocket::LocalPort() const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length) != 0)
        return 0;
    return ntohs(local.sin_port);
}

std::string CTCPSocket::LocalAddress() const {
    sockaddr_in local{};
    socklen_t length = sizeof local;
    if (fd_ < 0 || ::getsockname(fd_, reinterpret_cast<sockaddr*>(&local), &length) != 0 ||
        local.sin_addr.s_addr == htonl(INADDR_ANY))
        return {};
    char text[INET_ADDRSTRLEN] = {};
    ::inet_ntop(AF_INET, &local.sin_addr, text, sizeof text);
    return text;
}

bool CTCPSocket::Transfer(CPacket& packet, TransferDirection direction) {
    AssertThread();
    if (direction == TransferDirection::kReceive)
        packet = CPacket();
    if (fd_ < 0 || connecting_)
        return false;
    readNotifier_->setEnabled(false);
    Stream stream(fd_, Clock::now() + std::chrono::milliseconds(deadlineMs_));
    const bool ok = packet.Transfer(stream, direction);
    if (stream.closeRequested()) {
        CloseAndReport(true);
        return false;
    }
    readNotifier_->setEnabled(notify_ != nullptr);
    return ok;
}

void CTCPSocket::Watch(int descriptor) {
    readNotifier_->setSocket(descriptor);
    writeNotifier_->setSocket(descriptor);
}

void CTCPSocket::Unwatch() {
    readNotifier_->setEnabled(false);
    writeNotifier_->setEnabled(false);
}

void CTCPSocket::OnReadable() {
    if (fd_ < 0)
        return;
    if (!notify_) {
        // Nobody to tell: leave the bytes where they are instead of waking up for them again.
        readNotifier_->setEnabled(false);
        return;
    }
    char byte;
    const ssize_t n = ::recv(fd_, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (n > 0) {
        notify_->OnSocketData(*this);
        return;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
        return;
    CloseAndReport(false);
}

void CTCPSocket::OnWritable() {
    writeNotifier_->setEnabled(false);
    if (fd_ < 0 || !connecting_)
        return;
    connecting_ = false;
    int error = 0;
    socklen_t length = sizeof error;
    if (::getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
        error = errno;
    if (error != 0) {
        lastError_ = error;
        Close();
    } else {
        readNotifier_->setEnabled(notify_ != nullptr);
    }
    if (notify_)
        notify_->OnSocketConnected(*this, error);
}

void CTCPSocket::CloseAndReport(bool queued) {
    Close();
    const unsigned generation = generation_;
    auto report = [this, generation] {
        if (generation == generation_ && notify_)
            notify_->OnSocketClosed(*this);
    };
    if (queued)
        QMetaObject::invokeMethod(this, report, Qt::QueuedConnection);
    else
        report();
}

}  // namespace orvane
