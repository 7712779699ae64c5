#include "sim/Classroom.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdio>
#include <fstream>

#include "app/ProductProfile.h"
#include "security/CryptSettings.h"
#include "sim/LoginServer.h"
#include "sim/LookupPage.h"
#include "sim/PodiumPc.h"
#include "sim/RelayServer.h"
#include "sim/WebService.h"
#include "util/Files.h"
#include "util/Text.h"

namespace orvane::sim {
namespace {

// The self-pipe of the signal handlers: the handler writes the signal number, the event loop reads
// it. Written only by the async-signal-safe handler; set up once.
int g_signalPipe[2] = {-1, -1};

void OnSignal(int number) {
    const unsigned char byte = static_cast<unsigned char>(number);
    [[maybe_unused]] const ssize_t ignored = ::write(g_signalPipe[1], &byte, 1);
}

std::string Address(int port) {
    return "127.0.0.1:" + std::to_string(port);
}

std::string JoinScenarios(const std::vector<std::string>& names) {
    std::string out;
    for (const std::string& n : names)
        out += (out.empty() ? "" : ", ") + n;
    return out;
}

}  // namespace

const char* Classroom::Version() {
    return "1.0.0";
}

Classroom::Classroom(const SimOptions& options, QObject* parent) : QObject(parent), options_(options) {
    timeLimit_.setSingleShot(true);
    timeLimit_.setTimerType(Qt::PreciseTimer);
    connect(&timeLimit_, &QTimer::timeout, this, [this] { Stop("time limit"); });
}

Classroom::~Classroom() {
    if (!stopped_)
        Stop("shutdown");
}

std::string Classroom::ProductIni() const {
    ProductProfile profile;
    profile.serviceHost = Address(ports_.web);
    profile.packetPassword = options_.packetPassword;
    profile.aesKey = options_.aesKey;
    return FormatProductProfile(profile);
}

bool Classroom::Start(std::string& error) {
    log_ = std::make_unique<EventLog>(options_.logPath, !options_.quiet, options_.verbose);
    if (!log_->ok()) {
        error = "cannot write the log file " + options_.logPath;
        return false;
    }
    // The text packets are enciphered under this process's packet password; the pad must use the
    // same one (it is in the product.ini printed below).
    SetPacketPassword(options_.packetPassword);
    SetAesKeyText(options_.aesKey);

    podium_ = std::make_unique<PodiumPc>(options_, *log_);
    relay_ = std::make_unique<RelayServer>(options_, ports_, *log_);
    login_ = std::make_unique<LoginServer>(options_, ports_, *log_);
    web_ = std::make_unique<WebService>(options_, *log_);
    refusing_ = std::make_unique<RefusingPort>();
    if (!podium_->Start(options_.podiumPort, error) || !relay_->Start(options_.relayPort, error) ||
        !login_->Start(options_.loginPort, error) || !refusing_->Open(error))
        return false;
    ports_.podium = podium_->port();
    ports_.relay = relay_->port();
    ports_.login = login_->port();
    ports_.lookupLogin = options_.loginUnreachable ? refusing_->port() : ports_.login;
    ports_.advertisedPodium = ports_.podium;
    if (options_.podiumAddress == PodiumAddress::kRefused) {
        ports_.advertisedPodium = refusing_->port();
    } else if (options_.podiumAddress == PodiumAddress::kSilent) {
        silent_ = std::make_unique<SilentPort>(*log_);
        if (!silent_->Open(error))
            return false;
        ports_.advertisedPodium = silent_->serverPort();
    }
    web_->SetLoginPort(ports_.lookupLogin);
    if (options_.webMode == WebMode::kOff) {
        // The pad finds nothing at the service address. A free port is picked as one that refuses.
        ports_.web = options_.webPort != 0 ? options_.webPort : refusing_->port();
    } else {
        if (!web_->Start(options_.webPort, error))
            return false;
        ports_.web = web_->port();
    }

    if (!options_.productIniFolder.empty()) {
        MakeDirectories(options_.productIniFolder);
        const std::string path = options_.productIniFolder + "/product.ini";
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out << ProductIni();
        if (!out.good()) {
            error = "cannot write " + path;
            return false;
        }
    }

    InstallSignalHandlers();
    if (options_.timeLimitSeconds > 0)
        timeLimit_.start(static_cast<int>(std::min(options_.timeLimitSeconds * 1000.0, 2.0e9)));

    std::string scenarios = "[";
    for (const std::string& s : options_.scenarios)
        scenarios += (scenarios.size() > 1 ? "," : "") + JsonString(s);
    log_->Write(JsonObject()
                    .Str("event", "ready")
                    .Int("web", options_.webMode == WebMode::kOff ? 0 : ports_.web)
                    .Int("login", ports_.login)
                    .Int("relay", ports_.relay)
                    .Int("podium", ports_.podium)
                    .Int("lookup_login", ports_.lookupLogin)
                    .Int("advertised_podium", ports_.advertisedPodium)
                    .Raw("scenarios", scenarios + "]")
                    .Str("service_host", Address(ports_.web))
                    .Int("pid", ::getpid()));
    PrintBanner();
    return true;
}

void Classroom::PrintBanner() {
    // The first line is for programs that start the classroom: every address, key=value.
    std::printf("orvane-classroom ready: web=%s login=%s relay=%s podium=%s pid=%d\n",
                options_.webMode == WebMode::kOff ? "off" : Address(ports_.web).c_str(),
                Address(ports_.login).c_str(), Address(ports_.relay).c_str(), Address(ports_.podium).c_str(),
                static_cast<int>(::getpid()));
    if (options_.quiet && options_.logPath == "-") {
        std::fflush(stdout);
        return;
    }
    FILE* out = options_.logPath == "-" ? stderr : stdout;
    std::fprintf(out, "\nTavelon Orvane simulated classroom %s - scenario: %s\n\n", Version(),
                 JoinScenarios(options_.scenarios).c_str());
    const std::string lookupUrl = "https://" + Address(ports_.web) + kLookupPath;
    switch (options_.webMode) {
        case WebMode::kOn:
            std::fprintf(out, "  web service   %s\n                (plain http:// on the same port too)\n",
                         lookupUrl.c_str());
            if (web_->tlsAvailable())
                std::fprintf(out, "                self-signed certificate, SHA-256 %s\n",
                             web_->certificate().sha256Fingerprint.c_str());
            else
                std::fprintf(out,
                             "                HTTPS unavailable here (no TLS backend): plain HTTP only\n");
            break;
        case WebMode::kHttpOnly:
            std::fprintf(out, "  web service   http://%s%s (HTTPS connections are closed)\n",
                         Address(ports_.web).c_str(), kLookupPath);
            break;
        case WebMode::kOff:
            std::fprintf(out, "  web service   off (nothing answers at %s)\n", Address(ports_.web).c_str());
            break;
    }
    std::fprintf(out, "  login server  %s   %s\n", Address(ports_.login).c_str(),
                 options_.teacherId.empty() ? "accepts any teacher ID"
                                            : ("accepts teacher ID " + options_.teacherId).c_str());
    if (ports_.lookupLogin != ports_.login)
        std::fprintf(out, "                (the lookup names %s, where nothing listens)\n",
                     Address(ports_.lookupLogin).c_str());
    std::fprintf(out, "  relay server  %s   version %s%s\n", Address(ports_.relay).c_str(),
                 options_.relayVersionEmpty ? "(empty)" : options_.relayVersion.c_str(),
                 options_.relayKnown ? "" : " (not announced to the pad)");
    std::fprintf(
        out, "  podium PC     %s   Tavelon Teacher %s, %d monitor(s) of %dx%d, %s\n",
        Address(ports_.podium).c_str(), options_.teacherVersion.c_str(),
        VersionAtLeast(options_.teacherVersion, "2.0.1.1068") ? options_.monitors : 1, options_.monitorWidth,
        options_.monitorHeight,
        options_.password.empty() ? "no password" : ("password \"" + options_.password + "\"").c_str());
    const char* path = options_.podiumAddress == PodiumAddress::kReal      ? "direct"
                       : options_.podiumAddress == PodiumAddress::kRefused ? "refuses (relay fallback)"
                                                                           : "stays silent (relay fallback)";
    std::fprintf(out, "  pad is sent   to the podium PC at %s: %s\n",
                 Address(ports_.advertisedPodium).c_str(), path);
    std::fprintf(out, "\nproduct.ini for the pad remote (its program folder):\n%s", ProductIni().c_str());
    if (!options_.productIniFolder.empty())
        std::fprintf(out, "(written to %s/product.ini)\n", options_.productIniFolder.c_str());
    if (!options_.logPath.empty() && options_.logPath != "-")
        std::fprintf(out, "\nMessage log (JSON lines): %s\n", options_.logPath.c_str());
    if (options_.timeLimitSeconds > 0)
        std::fprintf(out, "Stops by itself after %g s.\n", options_.timeLimitSeconds);
    std::fprintf(out, "Press Ctrl+C to stop.\n\n");
    std::fflush(out);
}

void Classroom::InstallSignalHandlers() {
    if (g_signalPipe[0] < 0 && ::pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGHUP, &action, nullptr);
    // A pad that vanishes mid-write must not end the classroom.
    ::signal(SIGPIPE, SIG_IGN);
    signalNotifier_ = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
    connect(signalNotifier_.get(), &QSocketNotifier::activated, this, [this] {
        unsigned char number = 0;
        if (::read(g_signalPipe[0], &number, 1) == 1)
            Stop(number == SIGTERM ? "SIGTERM" : number == SIGINT ? "SIGINT" : "SIGHUP");
    });
}

void Classroom::Stop(const std::string& reason) {
    if (stopped_)
        return;
    stopped_ = true;
    timeLimit_.stop();
    if (web_)
        web_->Stop();
    if (login_)
        login_->Stop();
    if (relay_)
        relay_->Stop();
    if (podium_)
        podium_->Stop();
    if (log_) {
        log_->Write(JsonObject().Str("event", "stop").Str("reason", reason));
        log_->Console("stopped (" + reason + ")");
    }
    if (signalNotifier_)
        signalNotifier_->setEnabled(false);
    QCoreApplication::quit();
}

}  // namespace orvane::sim
