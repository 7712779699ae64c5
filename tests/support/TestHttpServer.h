// A loopback HTTP/HTTPS server for tests: listens on 127.0.0.1 on a free port, serves one request per
// connection (HTTP/1.0 style) on its own threads, records what it received and answers with whatever the
// test's handler returns, including replies that stall, trickle or never come. TLS uses a certificate
// generated at start (self-signed unless the test hands one over).
//
// Thread: construct, query and destroy on the test's thread; the handler runs on a connection thread.
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <set>
#include <string>
#include <string_view>
#include <thread>
#include <utility>
#include <vector>

#include "support/TestCertificate.h"

typedef struct ssl_ctx_st SSL_CTX;

namespace orvane::test {

struct TestHttpRequest {
    bool tls = false;
    std::string method, target, version;
    std::vector<std::pair<std::string, std::string>> headers;  // in the order received
    std::string head;                                          // raw bytes up to and with the blank line
    bool clientClosedFirst = false;  // the client hung up while the server still held the connection

    // Names of the headers in order; the value of the first header with this name (case-insensitive).
    std::vector<std::string> HeaderNames() const;
    std::string Header(std::string_view name) const;
    // The part of the target after "?" (empty when there is none).
    std::string Query() const;
};

struct TestHttpReply {
    std::string bytes;                     // written exactly as they stand
    bool answer = true;                    // false: write nothing and wait until the client gives up
    bool holdOpen = false;                 // after writing, keep the connection until the client closes it
    std::chrono::milliseconds trickle{0};  // > 0: write one byte per interval, forever if need be
};

// "HTTP/1.0 <status> X" with Content-Length, the extra header lines (without CR LF) and the body.
TestHttpReply MakeReply(int status, std::string_view body, const std::vector<std::string>& extraHeaders = {});

class TestHttpServer {
  public:
    enum class Transport {
        kPlain,
        kTls,
        kSniff  // TLS when the first byte is a handshake record (0x16), plain HTTP otherwise
    };
    using Handler = std::function<TestHttpReply(const TestHttpRequest&)>;

    struct Stats {
        int connections = 0;
        int tlsAccepted = 0;
        int tlsFailed = 0;
    };

    TestHttpServer(Transport transport, Handler handler, TestCertificate certificate = {});
    ~TestHttpServer();
    TestHttpServer(const TestHttpServer&) = delete;
    TestHttpServer& operator=(const TestHttpServer&) = delete;

    int port() const { return port_; }
    std::string HostPort() const;  // "127.0.0.1:<port>"
    std::u16string Url(std::string_view scheme,
                       std::string_view path) const;  // scheme://127.0.0.1:<port><path>
    const TestCertificate& certificate() const { return certificate_; }

    // Wait (up to 10 s) until every connection made so far has been served and closed, then report.
    std::vector<TestHttpRequest> Requests();
    Stats GetStats();
    void WaitIdle();

  private:
    void AcceptLoop();
    void Serve(int fd);
    bool StopRequested() const { return stop_.load(); }
    // Sleeps up to `d`; false when the server is stopping.
    bool Sleep(std::chrono::milliseconds d);

    Transport transport_;
    Handler handler_;
    TestCertificate certificate_;
    SSL_CTX* ctx_ = nullptr;
    int listenFd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread acceptThread_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::thread> threads_;
    std::set<int> open_;
    int active_ = 0;
    Stats stats_;
    std::vector<TestHttpRequest> requests_;
};

}  // namespace orvane::test
