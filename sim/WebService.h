// The product's web service on 127.0.0.1: HTTPS (self-signed certificate made at start) and plain
// HTTP on one port, told apart by the first byte a client sends (0x16 opens a TLS handshake). Pages
// are registered by path; the relay lookup page is built in, the update pages are added by their
// owner. Main thread only; every request and answer goes to the event log.
#pragma once

#include <QObject>
#include <QSslCertificate>
#include <QSslKey>
#include <QTcpServer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "sim/EventLog.h"
#include "sim/HttpMessage.h"
#include "sim/SelfSignedCert.h"
#include "sim/SimOptions.h"

namespace orvane::sim {

class WebService : public QObject {
  public:
    // `request` comes from a local client and is untrusted. `secure`: it arrived over TLS.
    using PageHandler = std::function<HttpResponse(const HttpRequest& request, bool secure, int connection)>;

    WebService(const SimOptions& options, EventLog& log, QObject* parent = nullptr);
    ~WebService() override;

    // Makes the certificate (unless the options turn TLS off) and listens on 127.0.0.1:`port`
    // (0 = a free port). False with a reason on failure.
    bool Start(int port, std::string& error);
    void Stop();
    int port() const;
    bool tlsAvailable() const { return tlsReady_; }
    const SelfSignedCert& certificate() const { return cert_; }

    // The port the relay lookup answers with (the login server's, or one where nothing listens).
    void SetLoginPort(int port) { loginPort_ = port; }

    // Serves `path` exactly, or every path under it when it ends with "/". Later pages win over
    // earlier ones for the same path.
    void AddPage(const std::string& path, PageHandler handler);

  private:
    class Listener;
    class Connection;
    friend class Connection;

    void Accept(qintptr descriptor);
    // Decides the answer of one request; logs it.
    std::string Answer(const HttpRequest& request, bool secure, int connection);
    HttpResponse LookupPage(const HttpRequest& request, int connection);
    void Forget(Connection* connection);

    const SimOptions& options_;
    EventLog& log_;
    std::unique_ptr<Listener> listener_;
    SelfSignedCert cert_;
    QSslCertificate qtCert_;
    QSslKey qtKey_;
    bool tlsReady_ = false;
    int loginPort_ = 0;
    std::vector<std::pair<std::string, PageHandler>> pages_;
    std::vector<Connection*> connections_;  // owned through Qt parenting
};

}  // namespace orvane::sim
