// Text messages from the network: the input as the payload of a kind-1 packet (digest and
// enciphered text), and as a plain UTF-16LE text; each text goes through tag recognition, every
// argument parser and the refusal localisation.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "protocol/MessageCatalogue.h"
#include "protocol/Packet.h"

namespace {

namespace msg = orvane::msg;

void Require(bool condition) {
    if (!condition)
        std::abort();
}

void RunCatalogue(std::u16string_view text) {
    const msg::Message m = msg::Recognize(text);
    if (m.tag == msg::Tag::kTooShort) {
        Require(text.size() < 9);
        return;
    }
    Require(m.args == text.substr(9));
    const auto args = m.args;
    msg::ParseDesktopSize(args);
    msg::ParseTileSize(args);
    msg::ParseMonitorLayout(args);
    msg::ParseDesktopOrigin(args);
    msg::ParsePasswordState(args);
    msg::ParseTeacherEnd(args);
    msg::ParsePodiumAddress(args);
    msg::ParseRelayAddress(args);
    msg::ParseRelayVersion(args);
    msg::ParseRelaySession(args);
    msg::ParseRelayRefusal(args);
    msg::ParseSwitchState(args);
    for (auto token : msg::SplitTokens(args))
        Require(!token.empty() && token.find(u',') == std::u16string_view::npos);
    if (const auto greeting = msg::ParseLoginGreeting(args)) {
        msg::LocalizeRefusal(greeting->refusal, u"Eng",
                             [](int id) { return u"%s" + std::u16string(1, char16_t(id)); });
        msg::LocalizeRefusal(greeting->refusal, u"Eng");
    }
    msg::LocalizeRefusal(args, u"Eng");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::uint8_t> body(size + 1);
    body[0] = 1;
    if (size > 0)
        std::copy(data, data + size, body.begin() + 1);
    orvane::CPacket packet;
    if (orvane::CPacket::ParseBody(body.data(), body.size(), packet)) {
        Require(packet.text.find(u'\0') == std::u16string::npos);
        RunCatalogue(packet.text);
        RunCatalogue(packet.digest);
    }
    std::u16string text(size / 2, u'\0');
    for (std::size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    RunCatalogue(text);
    return 0;
}
