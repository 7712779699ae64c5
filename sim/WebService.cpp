#include "sim/WebService.h"

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QHostAddress>
#include <QSocketNotifier>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTimer>
#include <algorithm>
#include <cerrno>

#include "sim/LookupPage.h"

namespace orvane::sim {
namespace {

// A client that says nothing, or never finishes its request, is dropped after this long.
constexpr int kIdleMs = 30000;

std::string OneLine(const std::string& text) {
    std::string out;
    for (char c : text) {
        if (c == '\r')
            continue;
        out += c == '\n' ? ' ' : c;
    }
    while (!out.empty() && out.back() == ' ')
        out.pop_back();
    return out;
}

std::string QueryJson(const std::string& query) {
    JsonObject object;
    for (const auto& [key, value] : ParseQuery(query))
        object.Str(key, value);
    return object.Text();
}

}  // namespace

class WebService::Listener : public QTcpServer {
  public:
    explicit Listener(WebService& service) : service_(service) {}

  protected:
    void incomingConnection(qintptr descriptor) override { service_.Accept(descriptor); }

  private:
    WebService& service_;
};

// One client connection: first waits, without reading, for the first byte to tell TLS from plain
// HTTP; then reads one request head, answers and closes.
class WebService::Connection : public QObject {
  public:
    Connection(WebService& service, qintptr descriptor, int id)
        : QObject(&service), service_(service), descriptor_(descriptor), id_(id) {
        notifier_ = new QSocketNotifier(descriptor, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] { Peek(); });
        idle_.setSingleShot(true);
        connect(&idle_, &QTimer::timeout, this, [this] { Close("idle for 30 s"); });
        idle_.start(kIdleMs);
    }

    ~Connection() override {
        if (descriptor_ >= 0)
            ::close(static_cast<int>(descriptor_));
    }

    void Close(const char* reason) {
        if (closed_)
            return;
        closed_ = true;
        idle_.stop();
        service_.log_.Write(
            JsonObject().Str("event", "close").Str("peer", "web").Int("conn", id_).Str("reason", reason));
        if (notifier_)
            notifier_->setEnabled(false);
        if (socket_) {
            socket_->disconnect(this);
            socket_->abort();
        }
        service_.Forget(this);
        deleteLater();
    }

  private:
    void Peek() {
        unsigned char first = 0;
        const ssize_t n = ::recv(static_cast<int>(descriptor_), &first, 1, MSG_PEEK | MSG_DONTWAIT);
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR))
            return;
        if (n <= 0) {
            Close(n == 0 ? "closed by the client before a request" : "receive error");
            return;
        }
        notifier_->setEnabled(false);
        const bool tls = first == 0x16;
        // The descriptor moves to a Qt socket, which brings its own notifier; this one goes first.
        QMetaObject::invokeMethod(
            this,
            [this, tls] {
                delete notifier_;
                notifier_ = nullptr;
                if (!closed_)
                    Begin(tls);
            },
            Qt::QueuedConnection);
    }

    void Begin(bool tls) {
        if (tls && service_.options_.webMode == WebMode::kHttpOnly) {
            Close("HTTPS refused (scenario web-http-only)");
            return;
        }
        if (tls && !service_.tlsReady_) {
            Close("HTTPS is not available (no TLS backend)");
            return;
        }
        secure_ = tls;
        QSslSocket* socket = new QSslSocket(this);
        socket_ = socket;
        if (!socket->setSocketDescriptor(descriptor_)) {
            Close("the socket could not be taken over");
            return;
        }
        descriptor_ = -1;
        connect(socket, &QSslSocket::readyRead, this, [this] { Read(); });
        connect(socket, &QSslSocket::disconnected, this, [this] { Close("closed"); });
        connect(socket, &QAbstractSocket::errorOccurred, this, [this](QAbstractSocket::SocketError error) {
            if (error != QAbstractSocket::RemoteHostClosedError)
                Close(("socket error: " + socket_->errorString().toStdString()).c_str());
        });
        if (tls) {
            connect(socket, &QSslSocket::sslErrors, this, [this](const QList<QSslError>& errors) {
                Close(("TLS error: " + (errors.isEmpty() ? std::string("unknown")
                                                         : errors.first().errorString().toStdString()))
                          .c_str());
            });
            connect(socket, &QSslSocket::encrypted, this, [this, socket] {
                service_.log_.Write(
                    JsonObject()
                        .Str("event", "tls")
                        .Str("peer", "web")
                        .Int("conn", id_)
                        .Str("protocol", socket->sessionProtocol() == QSsl::TlsV1_3 ? "TLS 1.3" : "TLS 1.2"));
            });
            socket->setLocalCertificate(service_.qtCert_);
            socket->setPrivateKey(service_.qtKey_);
            socket->setPeerVerifyMode(QSslSocket::VerifyNone);
            socket->startServerEncryption();
        }
        Read();
    }

    void Read() {
        if (closed_ || answered_)
            return;
        const QByteArray bytes = socket_->readAll();
        buffer_.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        HttpRequest request;
        std::size_t headLength = 0;
        switch (ParseRequestHead(buffer_, request, headLength)) {
            case HeadStatus::kIncomplete:
                return;
            case HeadStatus::kBad: {
                service_.log_.Write(JsonObject()
                                        .Str("peer", "web")
                                        .Int("conn", id_)
                                        .Str("dir", "recv")
                                        .Str("scheme", secure_ ? "https" : "http")
                                        .Str("error", "malformed request head")
                                        .Int("bytes", static_cast<long long>(buffer_.size())));
                HttpResponse bad;
                bad.status = 400;
                bad.body = "bad request\n";
                Send(FormatResponse(bad));
                return;
            }
            case HeadStatus::kComplete:
                break;
        }
        Send(service_.Answer(request, secure_, id_));
    }

    void Send(const std::string& response) {
        answered_ = true;
        idle_.start(kIdleMs);
        socket_->write(response.data(), static_cast<qint64>(response.size()));
        // The client learns the end of the answer from the closed connection as well as from
        // Content-Length; disconnectFromHost closes once everything is written.
        socket_->disconnectFromHost();
    }

    WebService& service_;
    qintptr descriptor_;
    int id_;
    QSocketNotifier* notifier_ = nullptr;
    QSslSocket* socket_ = nullptr;
    QTimer idle_;
    std::string buffer_;
    bool secure_ = false;
    bool answered_ = false;
    bool closed_ = false;
};

WebService::WebService(const SimOptions& options, EventLog& log, QObject* parent)
    : QObject(parent), options_(options), log_(log) {
    AddPage(kLookupPath, [this](const HttpRequest& request, bool, int connection) {
        return LookupPage(request, connection);
    });
}

WebService::~WebService() {
    Stop();
}

bool WebService::Start(int port, std::string& error) {
    if (options_.webMode != WebMode::kHttpOnly && QSslSocket::supportsSsl()) {
        cert_ = MakeSelfSignedCert();
        if (!cert_.certificatePem.empty()) {
            qtCert_ = QSslCertificate(QByteArray::fromStdString(cert_.certificatePem), QSsl::Pem);
            qtKey_ = QSslKey(QByteArray::fromStdString(cert_.privateKeyPem), QSsl::Ec, QSsl::Pem);
            tlsReady_ = !qtCert_.isNull() && !qtKey_.isNull();
        }
    }
    listener_ = std::make_unique<Listener>(*this);
    if (!listener_->listen(QHostAddress::LocalHost, static_cast<quint16>(port))) {
        error = "web service: cannot listen on 127.0.0.1:" + std::to_string(port) + " (" +
                listener_->errorString().toStdString() + ")";
        listener_.reset();
        return false;
    }
    return true;
}

void WebService::Stop() {
    if (listener_)
        listener_->close();
    for (Connection* connection : std::vector<Connection*>(connections_))
        connection->Close("the classroom stops");
    connections_.clear();
}

int WebService::port() const {
    return listener_ ? listener_->serverPort() : 0;
}

void WebService::AddPage(const std::string& path, PageHandler handler) {
    pages_.emplace_back(path, std::move(handler));
}

void WebService::Accept(qintptr descriptor) {
    const int id = log_.NextConnectionId();
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    int peerPort = 0;
    if (::getpeername(static_cast<int>(descriptor), reinterpret_cast<sockaddr*>(&address), &length) == 0 &&
        address.ss_family == AF_INET)
        peerPort = ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    log_.Write(JsonObject()
                   .Str("event", "connect")
                   .Str("peer", "web")
                   .Int("conn", id)
                   .Str("from", "127.0.0.1:" + std::to_string(peerPort)));
    connections_.push_back(new Connection(*this, descriptor, id));
}

void WebService::Forget(Connection* connection) {
    connections_.erase(std::remove(connections_.begin(), connections_.end(), connection), connections_.end());
}

std::string WebService::Answer(const HttpRequest& request, bool secure, int connection) {
    log_.Write(JsonObject()
                   .Str("peer", "web")
                   .Int("conn", connection)
                   .Str("dir", "recv")
                   .Str("scheme", secure ? "https" : "http")
                   .Str("method", request.method)
                   .Str("path", request.path)
                   .Raw("query", QueryJson(request.query))
                   .Str("target", request.target)
                   .Str("user_agent", request.Header("User-Agent")));

    HttpResponse response;
    const PageHandler* page = nullptr;
    for (const auto& [path, handler] : pages_) {
        const bool match =
            path == request.path || (!path.empty() && path.back() == '/' && request.path.rfind(path, 0) == 0);
        if (match)
            page = &handler;
    }
    if (request.method != "GET") {
        response.status = 405;
        response.body = "only GET is served here\n";
    } else if (options_.webStatus != 200) {
        response.status = options_.webStatus;
        response.body = std::string(StatusText(options_.webStatus)) + "\n";
        if (options_.webStatus >= 301 && options_.webStatus <= 303)
            response.headers.emplace_back("Location", "/moved" + request.target);
    } else if (page) {
        response = (*page)(request, secure, connection);
    } else {
        response.status = 404;
        response.body = "no such page\n";
    }

    log_.Write(JsonObject()
                   .Str("peer", "web")
                   .Int("conn", connection)
                   .Str("dir", "send")
                   .Int("status", response.status)
                   .Int("bytes", static_cast<long long>(response.body.size())));
    log_.Console("web    #" + std::to_string(connection) + " " + (secure ? "https " : "http  ") +
                 request.method + " " + request.path + " -> " + std::to_string(response.status) +
                 (response.summary.empty() ? "" : " " + response.summary));
    return FormatResponse(response);
}

HttpResponse WebService::LookupPage(const HttpRequest& request, int connection) {
    const auto query = ParseQuery(request.query);
    LookupRequest lookup{QueryValue(query, "val1"), QueryValue(query, "val2"), QueryValue(query, "val3")};
    const int port = loginPort_;
    const LookupResult result = AnswerLookup(lookup, options_, port);
    log_.Write(JsonObject()
                   .Str("event", "check")
                   .Str("peer", "web")
                   .Int("conn", connection)
                   .Str("what", "val2")
                   .Bool("ok", result.requestValid)
                   .Str("expected", result.expectedVal2)
                   .Str("got", lookup.val2)
                   .Str("problem", result.problem));
    if (!result.teacherKnown)
        log_.Write(JsonObject()
                       .Str("event", "check")
                       .Str("peer", "web")
                       .Int("conn", connection)
                       .Str("what", "teacher ID")
                       .Bool("ok", false)
                       .Str("expected", options_.teacherId)
                       .Str("got", lookup.val3));
    log_.Write(JsonObject()
                   .Str("peer", "web")
                   .Int("conn", connection)
                   .Str("dir", "send")
                   .Str("page", "lookup")
                   .Str("body", result.bodyUtf8));
    HttpResponse response;
    response.body = result.body;
    response.summary = "teacher " + lookup.val3 + (result.requestValid ? "" : " (" + result.problem + ")") +
                       ": " + OneLine(result.bodyUtf8);
    return response;
}

}  // namespace orvane::sim
