#include "sim/PodiumPc.h"

#include <algorithm>

#include "protocol/TileFrameBlock.h"
#include "sim/PasswordAnswer.h"
#include "sim/Ports.h"
#include "util/Text.h"

namespace orvane::sim {
namespace {

// Without an acknowledgement for this long, the frame is taken as lost and a whole frame follows.
constexpr int kAckWaitMs = 5000;
// A frame number n with (n - 1) % 30 == 0 is always sent whole.
constexpr int kWholeEvery = 30;

std::u16string Num(long long value) {
    return W(std::to_string(value));
}

}  // namespace

class PodiumPc::Session : public QObject {
  public:
    Session(PodiumPc& owner, QTcpSocket* socket, int id)
        : QObject(&owner),
          owner_(owner),
          options_(owner.options_),
          log_(owner.log_),
          encoder_(owner.options_.jpegQuality) {
        touch_ = options_.touchOn;
        broadcast_ = options_.broadcastOn;
        passwordOk_ = options_.password.empty();
        link_ = new PacketLink(socket, "podium", id, log_, this);
        link_->onPacket = [this](CPacket& packet, std::span<const std::uint8_t>) { OnPacket(packet); };
        link_->onClosed = [this](const std::string&) { Finish(); };

        frameTimer_.setSingleShot(true);
        connect(&frameTimer_, &QTimer::timeout, this, [this] { SendFrame(); });
        ackTimer_.setSingleShot(true);
        connect(&ackTimer_, &QTimer::timeout, this, [this] {
            Event("frame " + std::to_string(lastSent_) +
                  " not acknowledged within 5 s; a whole frame follows");
            inFlight_ = false;
            nextWhole_ = true;
            SendFrame();
        });
        endTimer_.setSingleShot(true);
        connect(&endTimer_, &QTimer::timeout, this, [this] { EndOnOwnAccord(); });
        Greet();
    }

    void Close(const std::string& reason) { link_->Close(reason); }

  private:
    bool NewVersion() const { return VersionAtLeast(options_.teacherVersion, "2.0.1.1068"); }
    // Switch answers came with the versions after 2.0.1.1027.
    bool AnswersSwitches() const { return options_.teacherVersion.compare("2.0.1.1027") > 0; }
    int Monitors() const { return NewVersion() ? options_.monitors : 1; }

    void Event(const std::string& text) {
        log_.Write(JsonObject()
                       .Str("event", "note")
                       .Str("peer", "podium")
                       .Int("conn", link_->connection())
                       .Str("text", text));
        log_.Console("podium #" + std::to_string(link_->connection()) + " " + text);
    }

    void Send(std::u16string_view text) { link_->SendText(text); }

    void Accept() {
        if (accepted_)
            return;
        accepted_ = true;
        Send(u"[MV00007]");
        if (options_.podiumEnd != PodiumEnd::kNone)
            endTimer_.start(static_cast<int>(options_.endAfterSeconds * 1000));
    }

    void AskPassword() { Send(u"[RH00011]0,0"); }

    void Greet() {
        const bool password = !options_.password.empty();
        const std::u16string version = u"[MV00094]" + W(options_.teacherVersion);
        switch (options_.podiumOrder) {
            case PodiumOrder::kVersionAcceptPassword:
                Send(version);
                Accept();
                if (password)
                    AskPassword();
                break;
            case PodiumOrder::kVersionPasswordAccept:
                Send(version);
                if (password)
                    AskPassword();
                Accept();
                break;
            case PodiumOrder::kAcceptAfterPassword:
                Send(version);
                if (password)
                    AskPassword();
                else
                    Accept();
                break;
            case PodiumOrder::kAcceptVersion:
                Accept();
                Send(version);
                if (password)
                    AskPassword();
                break;
            case PodiumOrder::kAcceptOnly:
                Accept();
                if (password)
                    AskPassword();
                break;
            case PodiumOrder::kSilent:
                break;
        }
    }

    void EndOnOwnAccord() {
        switch (options_.podiumEnd) {
            case PodiumEnd::kEndMessage:
                Send(u"[MV10000]0," + Utf8StringToWide(options_.endMessage));
                break;
            case PodiumEnd::kEndBadCount:
                Send(u"[MV10000]0," + Utf8StringToWide(options_.endMessage) + u",extra");
                break;
            case PodiumEnd::kServerEnd:
                Send(u"[MV10001]");
                break;
            case PodiumEnd::kClose:
                link_->Close("the teacher program leaves (scenario podium-close)");
                break;
            case PodiumEnd::kNone:
                break;
        }
    }

    void OnPacket(const CPacket& packet) {
        switch (packet.kind) {
            case PacketKind::kText:
                if (packet.text.size() >= 9)
                    OnText(std::u16string_view(packet.text).substr(0, 9),
                           std::u16string_view(packet.text).substr(9));
                break;
            case PacketKind::kCompressedFrame:
                OnScreenUpFrame(packet);
                break;
            default:
                break;  // input events and sound blocks: logged by the link, nothing to answer
        }
    }

    void OnText(std::u16string_view tag, std::u16string_view args) {
        if (tag == u"[RC00003]") {
            if (options_.keepAliveAnswers)
                Send(u"[RH10002]");
            return;
        }
        if (tag == u"[RC00024]") {
            OnPasswordAnswer(args);
            return;
        }
        if (tag == u"[RC00022]")
            return;
        if (tag == u"[RC00001]") {
            if (passwordOk_ && accepted_)
                SendStatus();
            return;
        }
        if (!passwordOk_ || !accepted_) {
            log_.Write(
                JsonObject()
                    .Str("event", "ignored")
                    .Str("peer", "podium")
                    .Int("conn", link_->connection())
                    .Str("tag", WideToUtf8String(tag))
                    .Str("reason", accepted_ ? "no right password yet" : "the pad was not accepted yet"));
            return;
        }
        if (tag == u"[RC00004]")
            StartRemoteControl();
        else if (tag == u"[RC00005]")
            StopRemoteControl();
        else if (tag == u"[RC00006]")
            OnAck(args);
        else if (tag == u"[RC00010]")
            OnPadScreen(args);
        else if (tag == u"[RC00023]")
            OnSelectMonitor(args);
        else if (tag == u"[RC00012]")
            OnSwitch(args, broadcast_, u"[RH00004]");
        else if (tag == u"[RC00013]")
            OnSwitch(args, touch_, u"[RH00003]");
    }

    void OnPasswordAnswer(std::u16string_view args) {
        if (options_.password.empty()) {
            Event("password answer without a password request; ignored");
            return;
        }
        const PasswordAnswer answer = ReadPasswordAnswer(args, WideToUtf8String(options_.aesKey));
        const bool right = answer.readable && answer.password == options_.password;
        log_.Write(JsonObject()
                       .Str("event", "check")
                       .Str("peer", "podium")
                       .Int("conn", link_->connection())
                       .Str("what", "password")
                       .Bool("ok", right)
                       .Bool("readable", answer.readable)
                       .Bool("enciphered", answer.enciphered)
                       .Str("got", answer.password)
                       .Str("problem", answer.problem));
        Event(right ? "password right"
                    : "password wrong" + (answer.problem.empty() ? "" : " (" + answer.problem + ")"));
        if (!right) {
            Send(u"[RH00011]2");
            return;
        }
        passwordOk_ = true;
        if (!accepted_)
            Accept();
        Send(u"[RH00011]1");
    }

    FrameGeometry Geometry() const {
        FrameGeometry g;
        g.monitor = selected_ - 1;
        if (NewVersion()) {
            g.width = options_.monitorWidth;
            g.height = options_.monitorHeight;
            g.tileWidth = options_.tileWidth;
            g.tileHeight = options_.tileHeight;
        } else {
            // Older teacher programs scale their screen to the pad's and cut it by the pad's rule.
            g.width = padWidth_ > 0 ? padWidth_ : options_.monitorWidth;
            g.height = padHeight_ > 0 ? padHeight_ : options_.monitorHeight;
            g.tileWidth = TileSideFor(g.width);
            g.tileHeight = TileSideFor(g.height);
            g.width -= g.width % g.tileWidth;
            g.height -= g.height % g.tileHeight;
        }
        return g;
    }

    void SendMonitors() {
        const FrameGeometry g = Geometry();
        const int left = NewVersion() ? (selected_ - 1) * g.width : 0;
        const int desktopWidth = NewVersion() ? Monitors() * g.width : g.width;
        Send(u"[RH00009]" + Num(Monitors()) + u"," + Num(selected_) + u"," + Num(left) + u",0," +
             Num(left + g.width) + u"," + Num(g.height));
        Send(u"[RH00010]" + Num(Monitors()) + u",0,0," + Num(desktopWidth) + u"," + Num(g.height));
    }

    void SendStatus() {
        const FrameGeometry g = Geometry();
        const int desktopWidth = NewVersion() ? Monitors() * g.width : g.width;
        Send(u"[RH00001]" + Num(desktopWidth) + u"," + Num(g.height));
        Send(u"[RH00007]" + Num(g.tileWidth) + u"," + Num(g.tileHeight));
        SendMonitors();
        if (AnswersSwitches()) {
            Send(u"[RH00003]" + Num(touch_ ? 1 : 0));
            Send(u"[RH00004]" + Num(broadcast_ ? 1 : 0));
        }
    }

    void StartRemoteControl() {
        SendStatus();
        streaming_ = true;
        frame_ = 0;
        inFlight_ = false;
        nextWhole_ = true;
        geometry_ = Geometry();
        SendFrame();
    }

    // A frame still in flight stays so: its late acknowledgement is expected and sends nothing.
    void StopRemoteControl() {
        streaming_ = false;
        frameTimer_.stop();
        ackTimer_.stop();
    }

    void SendFrame() {
        if (!streaming_ || inFlight_ || !link_->open())
            return;
        const FrameGeometry g = Geometry();
        if (!(g == geometry_)) {
            geometry_ = g;
            nextWhole_ = true;
        }
        const int number = ++frame_;
        const bool whole = nextWhole_ || (number - 1) % kWholeEvery == 0;
        nextWhole_ = false;
        const CPacket packet = encoder_.Encode(g, number, whole ? AllTiles(g) : ChangedTiles(g, number));
        if (packet.kind != PacketKind::kCompressedFrame) {
            Event("the JPEG encoder failed; remote control frames stop");
            streaming_ = false;
            return;
        }
        link_->Send(packet);
        lastSent_ = number;
        inFlight_ = true;
        sinceSend_.start();
        ackTimer_.start(kAckWaitMs);
    }

    void OnAck(std::u16string_view args) {
        const std::string text = WideToUtf8String(args);
        const int number = std::atoi(text.c_str());
        if (!inFlight_ || number != lastSent_) {
            log_.Write(JsonObject()
                           .Str("event", "check")
                           .Str("peer", "podium")
                           .Int("conn", link_->connection())
                           .Str("what", "frame acknowledgement")
                           .Bool("ok", false)
                           .Int("expected", inFlight_ ? lastSent_ : -1)
                           .Str("got", text));
            if (!inFlight_)
                return;
        }
        inFlight_ = false;
        ackTimer_.stop();
        const int interval = 1000 / std::max(1, options_.framesPerSecond);
        frameTimer_.start(std::max<qint64>(0, interval - sinceSend_.elapsed()));
    }

    void OnPadScreen(std::u16string_view args) {
        const std::vector<std::u16string> f = SplitArgs(args);
        const int w = f.size() == 2 ? std::atoi(WideToUtf8String(f[0]).c_str()) : 0;
        const int h = f.size() == 2 ? std::atoi(WideToUtf8String(f[1]).c_str()) : 0;
        if (w < 16 || h < 16 || w > 8192 || h > 8192) {
            Event("pad screen size \"" + WideToUtf8String(args) + "\" ignored");
            return;
        }
        padWidth_ = w;
        padHeight_ = h;
    }

    void OnSelectMonitor(std::u16string_view args) {
        const int wanted = std::atoi(WideToUtf8String(args).c_str());
        if (wanted >= 1 && wanted <= Monitors()) {
            selected_ = wanted;
        } else {
            log_.Write(JsonObject()
                           .Str("event", "check")
                           .Str("peer", "podium")
                           .Int("conn", link_->connection())
                           .Str("what", "monitor number")
                           .Bool("ok", false)
                           .Str("got", WideToUtf8String(args))
                           .Int("monitors", Monitors()));
        }
        SendMonitors();
        nextWhole_ = true;
    }

    void OnSwitch(std::u16string_view args, bool& state, std::u16string_view answerTag) {
        if (args != u"on" && args != u"off") {
            Event("switch argument \"" + WideToUtf8String(args) + "\" ignored");
            return;
        }
        state = args == u"on";
        if (AnswersSwitches())
            Send(std::u16string(answerTag) + Num(state ? 1 : 0));
    }

    void OnScreenUpFrame(const CPacket& packet) {
        std::vector<std::uint8_t> block;
        TileFrameView view;
        JsonObject record;
        record.Str("event", "screen-up frame")
            .Str("peer", "podium")
            .Int("conn", link_->connection())
            .Int("frame", packet.tagValue);
        if (InflateFramePacket(packet, block) && ParseTileFrameBlock(block, INT32_MAX, view))
            record.Int("tiles", static_cast<long long>(view.indices.size()))
                .Int("jpeg_bytes", static_cast<long long>(view.jpeg.size()))
                .Bool("ok", true);
        else
            record.Bool("ok", false);
        log_.Write(record);
        Send(u"[RH00002]" + Num(packet.tagValue));
    }

    void Finish() {
        frameTimer_.stop();
        ackTimer_.stop();
        endTimer_.stop();
        owner_.sessions_.erase(std::remove(owner_.sessions_.begin(), owner_.sessions_.end(), this),
                               owner_.sessions_.end());
        deleteLater();
    }

    PodiumPc& owner_;
    const SimOptions& options_;
    EventLog& log_;
    PacketLink* link_ = nullptr;
    FrameEncoder encoder_;
    QTimer frameTimer_;
    QTimer ackTimer_;
    QTimer endTimer_;
    QElapsedTimer sinceSend_;
    FrameGeometry geometry_;
    bool accepted_ = false;
    bool passwordOk_ = false;
    bool touch_ = false;
    bool broadcast_ = false;
    bool streaming_ = false;
    bool inFlight_ = false;
    bool nextWhole_ = true;
    int frame_ = 0;
    int lastSent_ = 0;
    int selected_ = 1;
    int padWidth_ = 0;
    int padHeight_ = 0;
};

PodiumPc::PodiumPc(const SimOptions& options, EventLog& log, QObject* parent)
    : QObject(parent), options_(options), log_(log) {
    connect(&server_, &QTcpServer::newConnection, this, [this] { Accept(); });
}

PodiumPc::~PodiumPc() = default;

bool PodiumPc::Start(int port, std::string& error) {
    return ListenOnLoopback(server_, port, "podium PC", error);
}

void PodiumPc::Stop() {
    server_.close();
    for (Session* session : std::vector<Session*>(sessions_))
        session->Close("the classroom stops");
}

void PodiumPc::Accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        const int id = log_.Accepted("podium", socket->peerPort());
        sessions_.push_back(new Session(*this, socket, id));
    }
}

}  // namespace orvane::sim
