#include "sim/Ports.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QHostAddress>
#include <QTcpSocket>
#include <cerrno>
#include <cstring>

namespace orvane::sim {

bool ListenOnLoopback(QTcpServer& server, int port, const std::string& what, std::string& error) {
    if (server.listen(QHostAddress::LocalHost, static_cast<quint16>(port)))
        return true;
    error = what + ": cannot listen on 127.0.0.1:" + std::to_string(port) + " (" +
            server.errorString().toStdString() + ")";
    if (port != 0)
        error += "; choose another port or use --ports-auto";
    return false;
}

RefusingPort::~RefusingPort() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool RefusingPort::Open(std::string& error) {
    fd_ = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (fd_ < 0 || ::bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        error = std::string("cannot reserve a refusing port: ") + std::strerror(errno);
        return false;
    }
    port_ = ntohs(address.sin_port);
    return true;
}

bool SilentPort::Open(std::string& error) {
    connect(this, &QTcpServer::newConnection, this, [this] { Accept(); });
    return ListenOnLoopback(*this, 0, "silent port", error);
}

void SilentPort::Accept() {
    while (QTcpSocket* socket = nextPendingConnection()) {
        const int id = log_.Accepted("silent", socket->peerPort());
        socket->setParent(this);
        log_.Console("silent #" + std::to_string(id) + " connection accepted; it will never be answered");
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, id] {
            const QByteArray bytes = socket->readAll();
            log_.Write(JsonObject()
                           .Str("peer", "silent")
                           .Int("conn", id)
                           .Str("dir", "recv")
                           .Int("bytes", bytes.size()));
        });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }
}

}  // namespace orvane::sim
