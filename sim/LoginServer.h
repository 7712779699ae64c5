// The login server: greets each pad with "[UR00001]", checks its "[US00001]" identification field by
// field, then tells it where the relay ("[UR00004]") and the podium PC ("[UR00002]") are. Main
// thread only; what the pad sends is untrusted and checked, never assumed.
#pragma once

#include <QTcpServer>
#include <string>
#include <vector>

#include "sim/EventLog.h"
#include "sim/PacketLink.h"
#include "sim/Ports.h"
#include "sim/SimOptions.h"

namespace orvane::sim {

// The problems of one "[US00001]" argument text, empty when it is right. `peerPort` is the pad's
// port of the connection it came on; `teacherId` the only accepted ID (empty = any).
std::vector<std::string> CheckLoginIdentification(std::u16string_view args, int peerPort,
                                                  const std::string& teacherId);

class LoginServer : public QObject {
  public:
    LoginServer(const SimOptions& options, const ClassroomPorts& ports, EventLog& log,
                QObject* parent = nullptr);
    bool Start(int port, std::string& error);
    void Stop();
    int port() const { return server_.serverPort(); }

  private:
    void Accept();
    void Greet(PacketLink& link);
    void OnPacket(PacketLink& link, const CPacket& packet);
    void AnswerIdentification(PacketLink& link, std::u16string_view args);

    const SimOptions& options_;
    const ClassroomPorts& ports_;
    EventLog& log_;
    QTcpServer server_;
    int greeted_ = 0;
    std::vector<PacketLink*> links_;
};

}  // namespace orvane::sim
