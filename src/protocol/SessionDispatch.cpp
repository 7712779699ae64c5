// The main dispatch: what the podium PC's teacher program sends, directly or inside relay
// envelopes. Every text here comes from the network; the message catalogue checks the field
// counts, and the sizes that reach the frame image are bounded by CRHInfo.
#include "protocol/Session.h"

namespace orvane {
namespace {

// The teacher program version from which it reports its monitors and takes the tile size itself.
constexpr std::u16string_view kMonitorVersion = u"2.0.1.1068";

}  // namespace

void CSession::Dispatch(Source source, CPacket& packet) {
    if (packet.kind == PacketKind::kCompressedFrame) {
        host_.HandOverFrame(std::make_unique<CPacket>(std::move(packet)));
        return;
    }
    if (packet.kind != PacketKind::kText)
        return;
    const msg::Message message = msg::Recognize(packet.text);
    switch (message.tag) {
        case msg::Tag::kMV00094:
            rh_.SetTeacherVersion(std::u16string(message.args));
            break;
        case msg::Tag::kMV00007:
            OnAcceptance(source);
            break;
        case msg::Tag::kRH00001:
            OnDesktopSize(message.args);
            break;
        case msg::Tag::kRH00002:
            screenUpAcknowledged = msg::ParseNumber(message.args);
            screenUpPending = -1;
            break;
        case msg::Tag::kRH00003:
            host_.SetButtonCheck(1006, msg::ParseSwitchState(message.args));
            break;
        case msg::Tag::kRH00004:
            host_.SetButtonCheck(1008, msg::ParseSwitchState(message.args));
            break;
        case msg::Tag::kRH00007:
            if (const auto tile = msg::ParseTileSize(message.args)) {
                rh_.tileWidth = tile->width;
                rh_.tileHeight = tile->height;
            }
            break;
        case msg::Tag::kRH00009:
            OnMonitorLayout(message.args);
            break;
        case msg::Tag::kRH00010:
            if (const auto origin = msg::ParseDesktopOrigin(message.args)) {
                rh_.originX = origin->x;
                rh_.originY = origin->y;
            }
            break;
        case msg::Tag::kRH00011:
            OnPasswordState(source, message.args);
            break;
        case msg::Tag::kRH10002:
            Heard();
            break;
        case msg::Tag::kMV10000:
            OnTeacherEnd(message.args);
            break;
        default:
            break;
    }
}

void CSession::OnAcceptance(Source source) {
    connectTimeoutTimer_.stop();
    host_.HideLoading();
    SendOverTransport(CPacket(msg::PadIntroduction()), static_cast<int>(source));
    SendOverTransport(CPacket(msg::Announce()), static_cast<int>(source));
    keepAliveTimer_.start(timings_.keepAliveMs);
    Heard();
    Show(true);
}

void CSession::OnDesktopSize(std::u16string_view args) {
    const auto size = msg::ParseDesktopSize(args);
    if (!size)
        return;
    rh_.remoteWidth = size->width;
    rh_.remoteHeight = size->height;
    rh_.frameBitsPerPixel = 32;
    const QSize pad = host_.PadScreenSize();
    if (!msg::VersionAtLeast(rh_.TeacherVersion(), kMonitorVersion)) {
        // Older teacher programs cut their screen into the tiles the pad chooses for its own size.
        rh_.tileWidth = HalvedTileSide(pad.width());
        rh_.tileHeight = HalvedTileSide(pad.height());
        rh_.SetMonitor({0, 0, pad.width(), pad.height()});
        rh_.ResizeFrameImage(pad.width(), pad.height());
        host_.ShowMonitorButton(false);
    } else if (rh_.selectedMonitor == -1) {
        rh_.selectedMonitor = 1;
    }
    SendText(msg::PadScreenSize(pad.width(), pad.height()));
    SendText(msg::SelectMonitor(rh_.selectedMonitor));
}

void CSession::OnMonitorLayout(std::u16string_view args) {
    const auto layout = msg::ParseMonitorLayout(args);
    if (!layout)
        return;
    rh_.monitorCount = layout->count;
    host_.ShowMonitorButton(msg::VersionAtLeast(rh_.TeacherVersion(), kMonitorVersion) && layout->count >= 2);
    rh_.selectedMonitor = layout->selected;
    const MonitorRect rect{layout->left, layout->top, layout->right, layout->bottom};
    rh_.SetMonitor(rect);
    if (rect.width() > 0 && rect.height() > 0)
        rh_.ResizeFrameImage(rect.width(), rect.height());
    host_.MonitorSelected(layout->selected);
}

void CSession::OnPasswordState(Source source, std::u16string_view args) {
    const auto state = msg::ParsePasswordState(args);
    if (!state)
        return;
    switch (*state) {
        case 0:  // the podium PC asks for its connection password
            wrongPassword_ = false;
            promptTimer_.start(timings_.promptDelayMs);
            break;
        case 1:  // the password was right
            wrongPassword_ = false;
            passwordTimer_.stop();
            keepAliveTimer_.start(timings_.keepAliveMs);
            Heard();
            SendOverTransport(CPacket(msg::Announce()), static_cast<int>(source));
            showTimer_.start(timings_.promptDelayMs);
            break;
        case 2:  // wrong: ask again, with the red line
            wrongPassword_ = true;
            promptTimer_.start(timings_.promptDelayMs);
            break;
        default:
            break;
    }
}

void CSession::OnTeacherEnd(std::u16string_view args) {
    host_.HideLoading();
    const auto text = msg::ParseTeacherEnd(args);
    if (!text) {
        InvalidAnswer();
        return;
    }
    direct_.Close();
    End(QString::fromStdU16String(*text));
}

}  // namespace orvane
