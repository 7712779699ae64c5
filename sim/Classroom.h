// The whole simulated classroom: starts the peers on 127.0.0.1 in dependency order (podium PC,
// relay, login server, web service), prints the banner and the product.ini, and stops everything
// cleanly on SIGTERM, SIGINT or the time limit. Main thread only; lives inside a QCoreApplication.
#pragma once

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>
#include <string>

#include "sim/EventLog.h"
#include "sim/Ports.h"
#include "sim/SimOptions.h"

namespace orvane::sim {

class WebService;
class LoginServer;
class RelayServer;
class PodiumPc;

class Classroom : public QObject {
  public:
    explicit Classroom(const SimOptions& options, QObject* parent = nullptr);
    ~Classroom() override;

    // Starts every peer and prints the banner. False with a one-line reason (a port in use, an
    // unwritable log or product.ini); nothing is left listening then.
    bool Start(std::string& error);

    // Stops every peer, writes the "stop" record and quits the event loop.
    void Stop(const std::string& reason);

    const ClassroomPorts& ports() const { return ports_; }

    // The product.ini text for this classroom.
    std::string ProductIni() const;

    // The version printed by --version and in the banner.
    static const char* Version();

  private:
    void InstallSignalHandlers();
    void PrintBanner();

    SimOptions options_;
    std::unique_ptr<EventLog> log_;
    ClassroomPorts ports_;
    std::unique_ptr<RefusingPort> refusing_;
    std::unique_ptr<SilentPort> silent_;
    std::unique_ptr<PodiumPc> podium_;
    std::unique_ptr<RelayServer> relay_;
    std::unique_ptr<LoginServer> login_;
    std::unique_ptr<WebService> web_;
    std::unique_ptr<QSocketNotifier> signalNotifier_;
    QTimer timeLimit_;
    bool stopped_ = false;
};

}  // namespace orvane::sim
