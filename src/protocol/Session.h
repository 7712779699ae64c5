// CSession: the pad remote's session with the podium PC's teacher program, from the first login
// connection to the end of the program. It logs in at the login server, connects to the podium PC
// directly (once falling back to the relay server when that does not come up), answers the
// connection password request, keeps the connection alive, dispatches the podium PC's messages and
// ends the program on every failure, with the loading texts and messages the user sees.
//
// Ownership: owned by the main window (the SessionHost), which starts it after the login dialog and
// destroys it when its loop has ended. The session owns its three sockets, its timers and the
// remote-host record. Everything received on its sockets comes from the network and is untrusted.
//
// Thread: the main thread, except PostPacket (any thread).
//
// How the window drives it: make the session as a member (after the login dialog's OK, or at
// construction) with the window as its host; Start() it with the dialog's teacher ID and login
// server; call OnDisplayChanged() from the display-change handler after the relayout (then restart
// screen up and send the screen settings); hand the direct socket to remote control with
// DetachDirectSocket() and take it back with AttachDirectSocket(). The window stays hidden until the
// session calls SetShown(true). When the session calls EndProgram() (or the window closes), end the
// window's loop; destroy the session after the loop has returned and the other threads have ended.
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "protocol/MessageCatalogue.h"
#include "protocol/Packet.h"
#include "protocol/PacketMailbox.h"
#include "protocol/RHInfo.h"
#include "protocol/SessionHost.h"
#include "protocol/TCPSocket.h"

namespace orvane {

// Every period and wait of the session, and its clock. The defaults are the product's; tests
// shorten them (all in milliseconds).
struct SessionTimings {
    using Clock = std::function<std::chrono::system_clock::time_point()>;

    int loginWaitMs = 3000;         // loading text up before the first login or relay connect
    int podiumWaitMs = 2000;        // loading text up before the podium PC connect
    int loginTimeoutMs = 3000;      // no greeting from the login server (timer 7)
    int connectTimeoutMs = 3000;    // no acceptance from the podium PC, or no relay greeting (timer 6)
    int keepAliveMs = 10000;        // keep-alive and silence check (timer 3)
    int passwordTimeoutMs = 30000;  // no answer to the password prompt (timer 12)
    int promptDelayMs = 1;          // the password prompt and the showing after it (timers 10, 11)
    std::chrono::milliseconds silenceLimit{40000};                // nothing heard from the podium PC
    int packetDeadlineMs = CTCPSocket::kDefaultPacketDeadlineMs;  // one packet read or written
    Clock clock;  // wall clock of "last heard"; null = the system clock
};

class CSession : public QObject, private SocketEvents {
  public:
    enum Mode { kModeNone = -1, kModeDirect = 1, kModeRelay = 3 };
    enum Method { kMethodDirect = 0, kMethodStoreOnly = 1, kMethodRelay = 2 };

    explicit CSession(SessionHost& host, SessionTimings timings = {}, QObject* parent = nullptr);
    ~CSession() override;

    // Starts the login-server connection for the login dialog's result (connection method 0).
    void Start(const LoginTarget& login);

    // Ends the session: closes the connection of the current mode, shows string 229 and ends the
    // program. `reason` is for the developer only ("forced", "pswd_timeout", "disconnect",
    // "CloseConn", "CloseConn_FR").
    void Disconnect(std::u16string_view reason);

    // Sends over the session's transport: in mode 1 on the direct socket, in mode 3 wrapped on the
    // relay socket; in any other mode, or with that socket closed, the packet is dropped.
    bool SendOverTransport(CPacket packet, int mode);
    bool SendText(std::u16string text) { return SendOverTransport(CPacket(std::move(text)), mode_); }
    // The packet hand-off from other threads: sent on the main thread in the mode current then. The
    // other threads stop posting before the session is destroyed.
    void PostPacket(std::unique_ptr<CPacket> packet);

    // The session part of a display change: the pad's new screen size to the podium PC. The window
    // restarts screen up and sends the screen settings itself.
    void OnDisplayChanged();

    // Remote control in direct mode takes the direct connection to the control thread and gives it
    // back when it ends.
    int DetachDirectSocket();
    bool AttachDirectSocket(int descriptor);

    int mode() const { return mode_; }
    bool DirectSocketOpen() const { return direct_.IsOpen(); }
    bool ended() const { return ended_; }
    CRHInfo& rhInfo() { return rh_; }
    const CRHInfo& rhInfo() const { return rh_; }
    const LoginTarget& login() const { return login_; }

    // Screen-up flow control (the window's screen-up sender reads and resets these).
    int screenUpAcknowledged = 0;
    int screenUpPending = -1;

  private:
    enum class Source { kDirect = kModeDirect, kRelay = kModeRelay };

    // SocketEvents
    void OnSocketConnected(CTCPSocket& socket, int error) override;
    void OnSocketData(CTCPSocket& socket) override;
    void OnSocketClosed(CTCPSocket& socket) override;

    // Connecting
    void ConnectLoginServer();
    void ConnectPodiumPc(std::function<void()> then);
    void ConnectRelay();
    void FirstAttempt(std::function<void()> connect);
    bool Open(CTCPSocket& socket, const std::u16string& host, const std::u16string& port);
    void After(int ms, std::function<void()> step);

    // Login phase
    void LoginPhase(CPacket& packet);
    void OnLoginGreeting(std::u16string_view args);
    void OnPodiumAddress(std::u16string_view args);
    void OnRelayAddress(std::u16string_view args);
    void OnRelayGreeting(std::u16string_view args);
    void OnRelaySession(std::u16string_view args);
    void OnRelayRefusal(std::u16string_view args);
    void InvalidAnswer();

    // Main dispatch
    void Dispatch(Source source, CPacket& packet);
    void OnAcceptance(Source source);
    void OnDesktopSize(std::u16string_view args);
    void OnMonitorLayout(std::u16string_view args);
    void OnPasswordState(Source source, std::u16string_view args);
    void OnTeacherEnd(std::u16string_view args);

    // Timers
    void OnKeepAlive();
    void OnConnectTimeout();
    void OnLoginTimeout();
    void OnPasswordPrompt();
    void OnShowAfterPassword();

    // Every way the session ends: Halt, loading box hidden, `text` shown (when not empty), then the
    // program ends.
    void End(const QString& text);
    // Nothing of the session runs any more: timers stopped, sockets closed.
    void Halt();
    // The main-visible flag and the window with it.
    void Show(bool shown);
    std::chrono::system_clock::time_point Now() const;
    void Heard() { rh_.SetLastHeard(Now()); }
    bool RelayKnown() const;
    QString PodiumUnreachableText() const;

    SessionHost& host_;
    SessionTimings timings_;
    CRHInfo rh_;

    CTCPSocket direct_;
    CTCPSocket loginSocket_;
    CTCPSocket relay_;

    int mode_ = kModeNone;
    bool loggedIn_ = false;
    int method_ = kMethodDirect;
    bool firstAttempt_ = false;
    bool wrongPassword_ = false;
    bool promptOpen_ = false;
    bool mainVisible_ = false;
    bool ended_ = false;

    LoginTarget login_;
    std::u16string localAddress_;
    std::u16string localPort_;
    int clientFlag_ = 1;
    std::u16string reserved1_ = u"Reserved";
    std::u16string reserved2_ = u"Reserved";
    msg::PodiumAddress podium_;
    std::u16string relayHost_;
    std::u16string relayPort_;
    std::u16string relayVersion_;
    int relayFirst_ = -1;
    int relaySecond_ = -1;

    QTimer keepAliveTimer_;       // 3
    QTimer connectTimeoutTimer_;  // 6
    QTimer loginTimeoutTimer_;    // 7
    QTimer promptTimer_;          // 10
    QTimer showTimer_;            // 11
    QTimer passwordTimer_;        // 12

    PacketMailbox mailbox_;
};

}  // namespace orvane
