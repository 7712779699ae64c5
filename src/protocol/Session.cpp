// The handshake with the login server and the relay server, the connects with their loading texts
// and waits, the timers that supervise the session, and every way it ends. The podium PC's messages
// are dispatched in SessionDispatch.cpp.
#include "protocol/Session.h"

#include <QThread>

#include "app/Language.h"
#include "app/Registry.h"
#include "security/Crypt256.h"
#include "util/DebugLog.h"
#include "util/LocalAddress.h"
#include "util/Text.h"

namespace orvane {
namespace {

// Differences of the "last heard" time beyond this many days are not valid date-time arithmetic.
constexpr long long kMaxValidDays = 3615897;

QString Q(std::u16string_view text) {
    return QString::fromStdU16String(std::u16string(text));
}

}  // namespace

CSession::CSession(SessionHost& host, SessionTimings timings, QObject* parent)
    : QObject(parent),
      host_(host),
      timings_(std::move(timings)),
      mailbox_([this](std::unique_ptr<CPacket> packet) { SendOverTransport(std::move(*packet), mode_); }) {
    for (CTCPSocket* socket : {&direct_, &loginSocket_, &relay_}) {
        socket->SetNotify(this);
        socket->SetPacketDeadline(timings_.packetDeadlineMs);
    }
    // Time-outs are the user's waits: they fire when due, not up to 5 % early.
    for (QTimer* timer : {&keepAliveTimer_, &connectTimeoutTimer_, &loginTimeoutTimer_, &promptTimer_,
                          &showTimer_, &passwordTimer_})
        timer->setTimerType(Qt::PreciseTimer);
    for (QTimer* timer :
         {&connectTimeoutTimer_, &loginTimeoutTimer_, &promptTimer_, &showTimer_, &passwordTimer_})
        timer->setSingleShot(true);
    connect(&keepAliveTimer_, &QTimer::timeout, this, [this] { OnKeepAlive(); });
    connect(&connectTimeoutTimer_, &QTimer::timeout, this, [this] { OnConnectTimeout(); });
    connect(&loginTimeoutTimer_, &QTimer::timeout, this, [this] { OnLoginTimeout(); });
    connect(&promptTimer_, &QTimer::timeout, this, [this] { OnPasswordPrompt(); });
    connect(&showTimer_, &QTimer::timeout, this, [this] { OnShowAfterPassword(); });
    connect(&passwordTimer_, &QTimer::timeout, this, [this] { Disconnect(u"pswd_timeout"); });
}

CSession::~CSession() {
    for (CTCPSocket* socket : {&direct_, &loginSocket_, &relay_}) {
        socket->SetNotify(nullptr);
        socket->Close();
    }
}

void CSession::Start(const LoginTarget& login) {
    Q_ASSERT(QThread::currentThread() == thread());
    login_ = login;
    method_ = kMethodDirect;
    ConnectLoginServer();
}

std::chrono::system_clock::time_point CSession::Now() const {
    return timings_.clock ? timings_.clock() : std::chrono::system_clock::now();
}

void CSession::After(int ms, std::function<void()> step) {
    // The waits let the loading box paint and settle before a connect; the session keeps running.
    QTimer::singleShot(ms, Qt::PreciseTimer, this, [this, step = std::move(step)] {
        if (!ended_)
            step();
    });
}

// ---- Connecting ----

bool CSession::Open(CTCPSocket& socket, const std::u16string& host, const std::u16string& port) {
    if (!socket.CreateSocket())
        return false;
    // An address that cannot be used reports nothing: the time-out that is running decides.
    socket.Connect(host, port);
    return true;
}

void CSession::FirstAttempt(std::function<void()> connect) {
    if (firstAttempt_) {
        connect();
        return;
    }
    firstAttempt_ = true;
    host_.ShowLoadingText(Str(1522));
    After(timings_.loginWaitMs, [this, connect = std::move(connect)] {
        loginTimeoutTimer_.start(timings_.loginTimeoutMs);
        connect();
    });
}

void CSession::ConnectLoginServer() {
    FirstAttempt([this] {
        if (!Open(loginSocket_, login_.host, login_.port)) {
            host_.ShowMessage(
                Str(1525).replace(QStringLiteral("%d"), QString::number(loginSocket_.LastError())));
            return;
        }
        localPort_ = W(std::to_string(static_cast<unsigned>(loginSocket_.LocalPort())));
        localAddress_ = GetLocalIpAddress();
    });
}

void CSession::ConnectPodiumPc(std::function<void()> then) {
    host_.ShowLoadingText(Str(1520));
    After(timings_.podiumWaitMs, [this, then = std::move(then)] {
        connectTimeoutTimer_.start(timings_.connectTimeoutMs);
        Open(direct_, podium_.address(), podium_.port());
        then();
    });
}

void CSession::ConnectRelay() {
    FirstAttempt([this] { Open(relay_, relayHost_, relayPort_); });
}

// ---- Socket events ----

void CSession::OnSocketConnected(CTCPSocket&, int error) {
    if (ended_ || error == 0)
        return;
    // Only the login server's connect fails loudly; later connects are decided by their time-out.
    if (podium_.address().empty()) {
        Show(true);
        End(Str(205));
    }
}

void CSession::OnSocketData(CTCPSocket& socket) {
    CPacket packet;
    socket.Transfer(packet, TransferDirection::kReceive);
    if (ended_)
        return;
    if (!loggedIn_) {
        LoginPhase(packet);
        return;
    }
    mode_ = kModeDirect;
    Dispatch(Source::kDirect, packet);
}

void CSession::OnSocketClosed(CTCPSocket& socket) {
    if (ended_)
        return;
    if (&socket == &direct_)
        Disconnect(u"CloseConn");
    else if (&socket == &relay_)
        Disconnect(u"CloseConn_FR");
}

// ---- Login phase: the login server and the relay server ----

void CSession::LoginPhase(CPacket& packet) {
    if (packet.kind == PacketKind::kRelayEnvelope) {
        if (packet.Unwrap())
            Dispatch(Source::kRelay, packet);
        return;
    }
    if (packet.kind != PacketKind::kText)
        return;
    const msg::Message message = msg::Recognize(packet.text);
    switch (message.tag) {
        case msg::Tag::kUR00001:
            OnLoginGreeting(message.args);
            break;
        case msg::Tag::kUR00002:
            OnPodiumAddress(message.args);
            break;
        case msg::Tag::kUR00004:
            OnRelayAddress(message.args);
            break;
        case msg::Tag::kFR00001:
            OnRelayGreeting(message.args);
            break;
        case msg::Tag::kFR00002:
            OnRelaySession(message.args);
            break;
        case msg::Tag::kFR10000:
            OnRelayRefusal(message.args);
            break;
        case msg::Tag::kMV10001:
            host_.HideLoading();
            Disconnect(u"disconnect");
            break;
        default:
            break;
    }
}

void CSession::InvalidAnswer() {
    // A window that was never shown ends at once on its close request; the handshake must not go on
    // behind the message meanwhile (and show the window, which would turn the close into a question).
    if (!mainVisible_)
        Halt();
    host_.HideLoading();
    host_.ShowMessage(Str(232));
    host_.CloseMainWindow();
}

void CSession::OnLoginGreeting(std::u16string_view args) {
    const auto greeting = msg::ParseLoginGreeting(args);
    if (!greeting) {
        InvalidAnswer();
        return;
    }
    loginTimeoutTimer_.stop();
    host_.HideLoading();
    if (greeting->accepted) {
        // Without an adapter of its own the pad names the address the connection actually uses.
        const std::u16string address = localAddress_.empty() ? W(loginSocket_.LocalAddress()) : localAddress_;
        CPacket identification(msg::LoginIdentification(login_.teacherId, address, localPort_, clientFlag_,
                                                        reserved1_, reserved2_));
        loginSocket_.Transfer(identification, TransferDirection::kSend);
        return;
    }

    // The refusal: the server's text (worded in the user's language when it is a known one), then
    // the login dialog again. The connection is closed first, so nothing arrives on it meanwhile.
    const std::u16string text =
        msg::LocalizeRefusal(greeting->refusal, g_languageCode, [](int id) { return LoadString(id); });
    loginSocket_.Close();
    host_.ShowMessage(Q(text));
    if (ended_)
        return;
    LoginTarget next = login_;
    const bool again = host_.RunLoginDialog(&next);
    if (ended_)
        return;
    if (!again) {
        End(QString());
        return;
    }
    login_ = std::move(next);
    ProfileWriteString(u"config", u"teacherid", login_.teacherId);
    ConnectLoginServer();
}

void CSession::OnPodiumAddress(std::u16string_view args) {
    auto address = msg::ParsePodiumAddress(args);
    if (!address) {
        InvalidAnswer();
        return;
    }
    podium_ = std::move(*address);
    if (method_ == kMethodDirect) {
        ConnectPodiumPc([this] {
            loginSocket_.Close();
            loggedIn_ = true;
        });
    } else if (method_ == kMethodRelay) {
        connectTimeoutTimer_.start(timings_.connectTimeoutMs);
        ConnectRelay();
    }
}

void CSession::OnRelayAddress(std::u16string_view args) {
    const auto relay = msg::ParseRelayAddress(args);
    if (!relay) {
        InvalidAnswer();
        return;
    }
    relayHost_ = relay->host;
    relayPort_ = relay->port;
}

void CSession::OnRelayGreeting(std::u16string_view args) {
    auto version = msg::ParseRelayVersion(args);
    if (!version) {
        InvalidAnswer();
        return;
    }
    connectTimeoutTimer_.stop();
    host_.HideLoading();
    relayVersion_ = std::move(*version);
    CPacket identification(msg::RelayIdentification(login_.teacherId, relayVersion_, clientFlag_));
    relay_.Transfer(identification, TransferDirection::kSend);
}

void CSession::OnRelaySession(std::u16string_view args) {
    const auto session = msg::ParseRelaySession(args);
    if (!session) {
        InvalidAnswer();
        return;
    }
    relayFirst_ = session->first;
    relaySecond_ = session->second;
    mode_ = kModeRelay;
    SendOverTransport(CPacket(msg::RelayConnectRequest()), kModeRelay);
}

void CSession::OnRelayRefusal(std::u16string_view args) {
    const auto code = msg::ParseRelayRefusal(args);
    if (!code) {
        InvalidAnswer();
        return;
    }
    // Code 5: no teacher program runs for this teacher ID. The text is string 1112 with the ID.
    if (*code == 5)
        End(Str(1112).replace(QStringLiteral("%s"), Q(login_.teacherId)));
}

// ---- Sending ----

bool CSession::SendOverTransport(CPacket packet, int mode) {
    if (ended_)
        return false;
    if (mode == kModeDirect)
        return direct_.IsOpen() && direct_.Transfer(packet, TransferDirection::kSend);
    if (mode == kModeRelay)
        return packet.Wrap(relaySecond_, relayFirst_) && relay_.IsOpen() &&
               relay_.Transfer(packet, TransferDirection::kSend);
    return false;
}

void CSession::PostPacket(std::unique_ptr<CPacket> packet) {
    mailbox_.Post(std::move(packet));
}

void CSession::OnDisplayChanged() {
    Q_ASSERT(QThread::currentThread() == thread());
    const QSize screen = host_.PadScreenSize();
    SendText(msg::PadScreenSize(screen.width(), screen.height()));
}

int CSession::DetachDirectSocket() {
    return direct_.Detach();
}

bool CSession::AttachDirectSocket(int descriptor) {
    return direct_.Attach(descriptor);
}

// ---- Timers ----

void CSession::OnKeepAlive() {
    SendText(msg::KeepAlive());
    const auto silence = std::chrono::duration_cast<std::chrono::milliseconds>(Now() - rh_.LastHeard());
    const bool valid = std::chrono::abs(silence).count() <= kMaxValidDays * 24 * 3600 * 1000;
    if (valid && silence > timings_.silenceLimit) {
        keepAliveTimer_.stop();
        Heard();
        Disconnect(u"forced");
    }
}

bool CSession::RelayKnown() const {
    return msg::RelayAddress{relayHost_, relayPort_}.known();
}

QString CSession::PodiumUnreachableText() const {
    return Str(231) + QStringLiteral("(") + Q(podium_.address()) + QStringLiteral(":") + Q(podium_.port()) +
           QStringLiteral(")");
}

void CSession::OnConnectTimeout() {
    // The one second chance of the session: the relay path, taken once (the method becomes 2).
    if ((method_ == kMethodDirect || method_ == kMethodStoreOnly) && RelayKnown()) {
        direct_.Close();
        loginSocket_.Close();
        loggedIn_ = false;
        method_ = kMethodRelay;
        ConnectLoginServer();
        return;
    }
    End(PodiumUnreachableText());
}

void CSession::OnLoginTimeout() {
    End(Str(230));
}

void CSession::OnPasswordPrompt() {
    if (promptOpen_)
        return;  // the dialog that is open answers this request too
    promptTimer_.stop();
    passwordTimer_.stop();
    keepAliveTimer_.stop();
    passwordTimer_.start(timings_.passwordTimeoutMs);
    Heard();
    Show(false);
    promptOpen_ = true;
    QString password;
    const bool ok = host_.RunPasswordDialog(wrongPassword_ ? Str(1601) : QString(), &password);
    promptOpen_ = false;
    if (ended_)
        return;
    if (!ok) {
        End(QString());
        return;
    }
    SendText(msg::PasswordAnswer(EncryptToBase64(password.toStdU16String())));
}

void CSession::OnShowAfterPassword() {
    Show(true);
}

// ---- Ending ----

void CSession::Disconnect(std::u16string_view reason) {
    Q_ASSERT(QThread::currentThread() == thread());
    if (ended_)
        return;
    DebugLog("session: disconnect (%s)", WideToUtf8String(reason).c_str());
    if (mode_ == kModeDirect) {
        direct_.Close();
    } else if (mode_ == kModeRelay) {
        relaySecond_ = -1;
        relay_.Close();
    }
    End(Str(229));
}

void CSession::Show(bool shown) {
    mainVisible_ = shown;
    host_.SetShown(shown);
}

void CSession::Halt() {
    ended_ = true;
    for (QTimer* timer : {&keepAliveTimer_, &connectTimeoutTimer_, &loginTimeoutTimer_, &promptTimer_,
                          &showTimer_, &passwordTimer_})
        timer->stop();
    for (CTCPSocket* socket : {&direct_, &loginSocket_, &relay_})
        socket->Close();
}

void CSession::End(const QString& text) {
    if (ended_)
        return;
    // From here on nothing fires: the message below is modal, and the program ends after it.
    Halt();
    host_.HideLoading();
    if (!text.isEmpty())
        host_.ShowMessage(text);
    host_.EndProgram();
}

}  // namespace orvane
