#include "support/TestHttpServer.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <openssl/bio.h>
#include <openssl/err.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace orvane::test {
namespace {

constexpr size_t kMaxHead = 64 * 1024;

[[noreturn]] void Fail(const char* what) {
    std::fprintf(stderr, "test server: %s failed\n", what);
    std::abort();
}

bool IEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// One accepted connection, plain or TLS.
class Connection {
  public:
    explicit Connection(int fd) : fd_(fd) {}
    ~Connection() {
        if (ssl_) {
            SSL_shutdown(ssl_);
            SSL_free(ssl_);
        }
    }
    bool StartTls(SSL_CTX* ctx) {
        ssl_ = SSL_new(ctx);
        if (!ssl_ || SSL_set_fd(ssl_, fd_) != 1)
            return false;
        const bool ok = SSL_accept(ssl_) == 1;
        if (!ok) {
            ERR_clear_error();
            SSL_free(ssl_);
            ssl_ = nullptr;
        }
        return ok;
    }
    long Read(char* buffer, size_t size) {
        if (ssl_) {
            const int n = SSL_read(ssl_, buffer, static_cast<int>(size));
            if (n <= 0)
                ERR_clear_error();
            return n;
        }
        return ::recv(fd_, buffer, size, 0);
    }
    bool Write(std::string_view bytes) {
        while (!bytes.empty()) {
            long n;
            if (ssl_) {
                n = SSL_write(ssl_, bytes.data(), static_cast<int>(bytes.size()));
                if (n <= 0)
                    ERR_clear_error();
            } else {
                n = ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL);
            }
            if (n <= 0)
                return false;
            bytes.remove_prefix(static_cast<size_t>(n));
        }
        return true;
    }
    // Reads and drops until the peer closes (or the server stops); true when the peer closed.
    void DrainUntilClosed() {
        char buffer[4096];
        while (Read(buffer, sizeof buffer) > 0) {
        }
    }

  private:
    int fd_;
    SSL* ssl_ = nullptr;
};

bool ParseHead(const std::string& head, TestHttpRequest& request) {
    size_t lineEnd = head.find("\r\n");
    const std::string_view first(head.data(), lineEnd);
    const size_t s1 = first.find(' ');
    const size_t s2 = first.rfind(' ');
    if (s1 == std::string_view::npos || s2 == s1)
        return false;
    request.method = std::string(first.substr(0, s1));
    request.target = std::string(first.substr(s1 + 1, s2 - s1 - 1));
    request.version = std::string(first.substr(s2 + 1));
    if (request.version.rfind("HTTP/", 0) != 0)
        return false;
    for (size_t at = lineEnd + 2; at < head.size();) {
        const size_t end = head.find("\r\n", at);
        if (end == std::string::npos || end == at)
            break;
        const std::string_view line(head.data() + at, end - at);
        const size_t colon = line.find(':');
        if (colon == std::string_view::npos)
            return false;
        request.headers.emplace_back(std::string(Trim(line.substr(0, colon))),
                                     std::string(Trim(line.substr(colon + 1))));
        at = end + 2;
    }
    return true;
}

}  // namespace

std::vector<std::string> TestHttpRequest::HeaderNames() const {
    std::vector<std::string> names;
    for (const auto& h : headers)
        names.push_back(h.first);
    return names;
}

std::string TestHttpRequest::Header(std::string_view name) const {
    for (const auto& h : headers)
        if (IEquals(h.first, name))
            return h.second;
    return {};
}

std::string TestHttpRequest::Query() const {
    const size_t q = target.find('?');
    return q == std::string::npos ? std::string() : target.substr(q + 1);
}

TestHttpReply MakeReply(int status, std::string_view body, const std::vector<std::string>& extraHeaders) {
    TestHttpReply reply;
    reply.bytes = "HTTP/1.0 " + std::to_string(status) +
                  " X\r\nContent-Length: " + std::to_string(body.size()) + "\r\n";
    for (const auto& h : extraHeaders)
        reply.bytes += h + "\r\n";
    reply.bytes += "\r\n";
    reply.bytes += body;
    return reply;
}

TestHttpServer::TestHttpServer(Transport transport, Handler handler, TestCertificate certificate)
    : transport_(transport), handler_(std::move(handler)), certificate_(std::move(certificate)) {
    ::signal(SIGPIPE, SIG_IGN);  // OpenSSL writes with write(2); a closed peer must not end the test
    if (transport_ != Transport::kPlain) {
        if (certificate_.empty())
            certificate_ = MakeSelfSignedCertificate();
        ctx_ = SSL_CTX_new(TLS_server_method());
        if (!ctx_)
            Fail("SSL_CTX_new");
        std::unique_ptr<BIO, decltype(&BIO_free)> certBio(
            BIO_new_mem_buf(certificate_.certificatePem.data(),
                            static_cast<int>(certificate_.certificatePem.size())),
            BIO_free);
        std::unique_ptr<BIO, decltype(&BIO_free)> keyBio(
            BIO_new_mem_buf(certificate_.privateKeyPem.data(),
                            static_cast<int>(certificate_.privateKeyPem.size())),
            BIO_free);
        X509* cert = PEM_read_bio_X509(certBio.get(), nullptr, nullptr, nullptr);
        EVP_PKEY* key = PEM_read_bio_PrivateKey(keyBio.get(), nullptr, nullptr, nullptr);
        if (!cert || !key || SSL_CTX_use_certificate(ctx_, cert) != 1 ||
            SSL_CTX_use_PrivateKey(ctx_, key) != 1)
            Fail("loading the certificate");
        X509_free(cert);
        EVP_PKEY_free(key);
    }
    listenFd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (listenFd_ < 0)
        Fail("socket");
    const int one = 1;
    ::setsockopt(listenFd_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (::bind(listenFd_, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
        ::listen(listenFd_, 64) != 0 ||
        ::getsockname(listenFd_, reinterpret_cast<sockaddr*>(&addr), &len) != 0)
        Fail("listening");
    port_ = ntohs(addr.sin_port);
    acceptThread_ = std::thread([this] { AcceptLoop(); });
}

TestHttpServer::~TestHttpServer() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
        for (int fd : open_)
            ::shutdown(fd, SHUT_RDWR);
    }
    changed_.notify_all();
    acceptThread_.join();
    for (auto& t : threads_)
        t.join();
    ::close(listenFd_);
    SSL_CTX_free(ctx_);
}

std::string TestHttpServer::HostPort() const {
    return "127.0.0.1:" + std::to_string(port_);
}

std::u16string TestHttpServer::Url(std::string_view scheme, std::string_view path) const {
    const std::string url = std::string(scheme) + "://" + HostPort() + std::string(path);
    return std::u16string(url.begin(), url.end());
}

void TestHttpServer::AcceptLoop() {
    while (!StopRequested()) {
        pollfd p{listenFd_, POLLIN, 0};
        if (::poll(&p, 1, 20) <= 0)
            continue;
        std::lock_guard<std::mutex> lock(mutex_);
        if (stop_)
            break;
        // Accepted under the lock, so WaitIdle never sees a connection that is neither queued nor active.
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_CLOEXEC);
        if (fd < 0)
            continue;
        ++active_;
        ++stats_.connections;
        open_.insert(fd);
        threads_.emplace_back([this, fd] { Serve(fd); });
    }
}

bool TestHttpServer::Sleep(std::chrono::milliseconds d) {
    std::unique_lock<std::mutex> lock(mutex_);
    return !changed_.wait_for(lock, d, [this] { return stop_.load(); });
}

void TestHttpServer::Serve(int fd) {
    TestHttpRequest request;
    bool haveRequest = false;
    {
        Connection conn(fd);
        bool tls = transport_ == Transport::kTls;
        if (transport_ == Transport::kSniff) {
            unsigned char first = 0;
            tls = ::recv(fd, &first, 1, MSG_PEEK) == 1 && first == 0x16;
        }
        bool usable = true;
        if (tls) {
            usable = conn.StartTls(ctx_);
            std::lock_guard<std::mutex> lock(mutex_);
            ++(usable ? stats_.tlsAccepted : stats_.tlsFailed);
        }
        std::string head;
        if (usable) {
            char buffer[4096];
            while (head.find("\r\n\r\n") == std::string::npos && head.size() < kMaxHead) {
                const long n = conn.Read(buffer, sizeof buffer);
                if (n <= 0)
                    break;
                head.append(buffer, static_cast<size_t>(n));
                if (head[0] < 'A' || head[0] > 'Z')
                    break;  // not HTTP (a TLS hello on the plain port, say): answered with 400 at once
            }
        }
        const size_t end = head.find("\r\n\r\n");
        if (end != std::string::npos) {
            head.resize(end + 4);
            request.tls = tls;
            request.head = head;
            TestHttpReply reply;
            if (ParseHead(head, request)) {
                haveRequest = true;
                reply = handler_(request);
            } else {
                reply = MakeReply(400, "bad request");
            }
            if (!reply.answer) {
                conn.DrainUntilClosed();
                request.clientClosedFirst = !StopRequested();
            } else if (reply.trickle.count() > 0) {
                for (char c : reply.bytes)
                    if (!conn.Write(std::string_view(&c, 1)) || !Sleep(reply.trickle))
                        break;
            } else if (conn.Write(reply.bytes) && reply.holdOpen) {
                conn.DrainUntilClosed();
                request.clientClosedFirst = !StopRequested();
            }
        } else if (usable && !head.empty()) {
            conn.Write(MakeReply(400, "bad request").bytes);
        }
    }
    std::lock_guard<std::mutex> lock(mutex_);
    open_.erase(fd);
    ::close(fd);
    if (haveRequest)
        requests_.push_back(std::move(request));
    --active_;
    changed_.notify_all();
}

void TestHttpServer::WaitIdle() {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait_for(lock, std::chrono::seconds(10), [this] {
        pollfd p{listenFd_, POLLIN, 0};
        return active_ == 0 && ::poll(&p, 1, 0) == 0;
    });
}

std::vector<TestHttpRequest> TestHttpServer::Requests() {
    WaitIdle();
    std::lock_guard<std::mutex> lock(mutex_);
    return requests_;
}

TestHttpServer::Stats TestHttpServer::GetStats() {
    WaitIdle();
    std::lock_guard<std::mutex> lock(mutex_);
    return stats_;
}

}  // namespace orvane::test
