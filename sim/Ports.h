// The classroom's addresses, all on 127.0.0.1, and the two kinds of port that exist only to fail:
// one that refuses connections and one that accepts and never answers. Main thread only.
#pragma once

#include <QTcpServer>
#include <string>
#include <vector>

#include "sim/EventLog.h"

namespace orvane::sim {

struct ClassroomPorts {
    int web = 0;
    int login = 0;
    int relay = 0;
    int podium = 0;
    int lookupLogin = 0;       // the login port the relay lookup names
    int advertisedPodium = 0;  // the podium PC port the login server names
};

// Listens on 127.0.0.1:`port` (0 = a free port). On failure `error` names the peer and the port.
bool ListenOnLoopback(QTcpServer& server, int port, const std::string& what, std::string& error);

// A port that refuses every connection: a socket bound to 127.0.0.1 and never listening. Holding
// the socket keeps the port from being taken by anyone else for the classroom's lifetime.
class RefusingPort {
  public:
    RefusingPort() = default;
    ~RefusingPort();
    RefusingPort(const RefusingPort&) = delete;
    RefusingPort& operator=(const RefusingPort&) = delete;

    bool Open(std::string& error);
    int port() const { return port_; }

  private:
    int fd_ = -1;
    int port_ = 0;
};

// A port that accepts connections, logs what arrives and never says anything.
class SilentPort : public QTcpServer {
  public:
    explicit SilentPort(EventLog& log) : log_(log) {}
    bool Open(std::string& error);

  private:
    void Accept();
    EventLog& log_;
};

}  // namespace orvane::sim
