// The podium PC's teacher program: greets a pad with its version and acceptance (and a password
// request when a password is set), answers keep-alives and switches, reports its monitors, and
// during remote control sends the moving test desktop as tile frames, one frame in flight, paced
// by the pad's "[RC00006]" acknowledgements. Reached directly or through the relay server (which
// connects to it like a pad would). Main thread only; everything the pad sends is untrusted.
#pragma once

#include <QElapsedTimer>
#include <QTcpServer>
#include <QTimer>
#include <memory>
#include <string>
#include <vector>

#include "sim/EventLog.h"
#include "sim/PacketLink.h"
#include "sim/SimOptions.h"
#include "sim/TestDesktop.h"

namespace orvane::sim {

class PodiumPc : public QObject {
  public:
    PodiumPc(const SimOptions& options, EventLog& log, QObject* parent = nullptr);
    ~PodiumPc() override;
    bool Start(int port, std::string& error);
    void Stop();
    int port() const { return server_.serverPort(); }

  private:
    class Session;
    void Accept();

    const SimOptions& options_;
    EventLog& log_;
    QTcpServer server_;
    std::vector<Session*> sessions_;  // children of this object
};

}  // namespace orvane::sim
