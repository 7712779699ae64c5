// The relay server: greets each pad with "[FR00001]" and its version, checks the pad's
// identification form against that version, opens a relay session ("[FR00002]") and, once the pad
// asks for the teacher program with "[PC_CONN]", carries packets between the pad (inside relay
// envelopes) and the podium PC (plain packets over its own loopback connection). Main thread only.
#pragma once

#include <QTcpServer>
#include <memory>
#include <string>
#include <vector>

#include "sim/EventLog.h"
#include "sim/PacketLink.h"
#include "sim/Ports.h"
#include "sim/SimOptions.h"

namespace orvane::sim {

// The problems of a relay "[US00001]" argument text for a relay of `relayVersion`: from
// "1.0.1.1000" on (as text) three fields teacher ID, "orvane", "1"; before it two fields.
std::vector<std::string> CheckRelayIdentification(std::u16string_view args, const std::string& relayVersion,
                                                  const std::string& teacherId);

class RelayServer : public QObject {
  public:
    RelayServer(const SimOptions& options, const ClassroomPorts& ports, EventLog& log,
                QObject* parent = nullptr);
    ~RelayServer() override;
    bool Start(int port, std::string& error);
    void Stop();
    int port() const { return server_.serverPort(); }

  private:
    struct Session;
    void Accept();
    void OnPadPacket(Session& session, const CPacket& packet);
    void OnEnvelope(Session& session, const CPacket& envelope);
    void ConnectPodium(Session& session);
    void End(Session& session, const std::string& reason);

    const SimOptions& options_;
    const ClassroomPorts& ports_;
    EventLog& log_;
    QTcpServer server_;
    int nextSession_ = 0;
    std::vector<std::unique_ptr<Session>> sessions_;
};

}  // namespace orvane::sim
