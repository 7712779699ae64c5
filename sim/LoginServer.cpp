#include "sim/LoginServer.h"

#include <algorithm>

#include "util/Text.h"

namespace orvane::sim {
namespace {

bool IsDecimal(std::u16string_view text, std::size_t maxDigits) {
    if (text.empty() || text.size() > maxDigits)
        return false;
    return std::all_of(text.begin(), text.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
}

bool IsIpv4(std::u16string_view text) {
    const std::vector<std::u16string> parts = [&] {
        std::vector<std::u16string> out;
        std::size_t start = 0;
        while (true) {
            const std::size_t dot = text.find(u'.', start);
            out.emplace_back(text.substr(start, dot == text.npos ? text.npos : dot - start));
            if (dot == text.npos)
                return out;
            start = dot + 1;
        }
    }();
    if (parts.size() != 4)
        return false;
    for (const std::u16string& part : parts) {
        if (!IsDecimal(part, 3) || std::stoi(WideToUtf8String(part)) > 255)
            return false;
    }
    return true;
}

std::string Quote(std::u16string_view text) {
    return "\"" + WideToUtf8String(text) + "\"";
}

}  // namespace

std::vector<std::string> CheckLoginIdentification(std::u16string_view args, int peerPort,
                                                  const std::string& teacherId) {
    std::vector<std::string> problems;
    const std::vector<std::u16string> f = SplitArgs(args);
    if (f.size() != 8) {
        problems.push_back("expected 8 fields, got " + std::to_string(f.size()));
        return problems;
    }
    auto expect = [&](int index, std::u16string_view want, const char* what) {
        if (f[index] != want)
            problems.push_back("field " + std::to_string(index + 1) + " (" + what + ") is " +
                               Quote(f[index]) + ", expected " + Quote(want));
    };
    expect(0, u"3", "protocol number");
    if (f[1].empty())
        problems.push_back("field 2 (teacher ID) is empty");
    else if (!teacherId.empty() && WideToUtf8String(f[1]) != teacherId)
        problems.push_back("field 2 (teacher ID) " + Quote(f[1]) + " is not the known teacher \"" +
                           teacherId + "\"");
    if (!IsIpv4(f[2]))
        problems.push_back("field 3 (local address) " + Quote(f[2]) + " is not an IPv4 address");
    if (!IsDecimal(f[3], 5) || std::stoi(WideToUtf8String(f[3])) != peerPort)
        problems.push_back("field 4 (local port) " + Quote(f[3]) + " is not the connection's port " +
                           std::to_string(peerPort));
    expect(4, u"3.0.1.1007", "pad version");
    expect(5, u"1", "client flag");
    expect(6, u"Reserved", "reserved 1");
    expect(7, u"Reserved", "reserved 2");
    return problems;
}

LoginServer::LoginServer(const SimOptions& options, const ClassroomPorts& ports, EventLog& log,
                         QObject* parent)
    : QObject(parent), options_(options), ports_(ports), log_(log) {
    connect(&server_, &QTcpServer::newConnection, this, [this] { Accept(); });
}

bool LoginServer::Start(int port, std::string& error) {
    return ListenOnLoopback(server_, port, "login server", error);
}

void LoginServer::Stop() {
    server_.close();
    for (PacketLink* link : std::vector<PacketLink*>(links_))
        link->Close("the classroom stops");
}

void LoginServer::Accept() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        const int id = log_.Accepted("login", socket->peerPort());
        auto* link = new PacketLink(socket, "login", id, log_, this);
        links_.push_back(link);
        link->onPacket = [this, link](CPacket& packet, std::span<const std::uint8_t>) {
            OnPacket(*link, packet);
        };
        link->onClosed = [this, link](const std::string&) {
            links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
            link->deleteLater();
        };
        Greet(*link);
    }
}

void LoginServer::Greet(PacketLink& link) {
    const int number = ++greeted_;
    bool refuse = options_.loginGreeting == LoginGreeting::kRefuse ||
                  (options_.loginGreeting == LoginGreeting::kRefuseOnce && number == 1);
    if (options_.loginGreeting == LoginGreeting::kSilent)
        return;
    if (refuse) {
        std::u16string text = u"[UR00001]1," + Utf8StringToWide(options_.refuseText);
        if (options_.refuseSixTokens)
            text += u",0,0,0,0";
        link.SendText(text);
        return;
    }
    link.SendText(options_.loginFault == LoginFault::kGreetingThreeTokens ? u"[UR00001]0,OK,extra"
                                                                          : u"[UR00001]0,OK");
}

void LoginServer::OnPacket(PacketLink& link, const CPacket& packet) {
    if (packet.kind != PacketKind::kText || packet.text.size() < 9)
        return;
    const std::u16string_view text = packet.text;
    if (text.substr(0, 9) == u"[US00001]")
        AnswerIdentification(link, text.substr(9));
}

void LoginServer::AnswerIdentification(PacketLink& link, std::u16string_view args) {
    const std::vector<std::string> problems =
        CheckLoginIdentification(args, link.peerPort(), options_.teacherId);
    log_.Check("login", link.connection(), "[US00001]", problems);
    if (!problems.empty()) {
        link.SendText(u"[MV10001]");
        return;
    }
    if (options_.loginFault == LoginFault::kDisconnect) {
        link.SendText(u"[MV10001]");
        return;
    }

    if (options_.loginFault == LoginFault::kRelayOneField)
        link.SendText(u"[UR00004]127.0.0.1");
    else if (options_.relayKnown)
        link.SendText(u"[UR00004]127.0.0.1," + W(std::to_string(ports_.relay)));
    else
        link.SendText(u"[UR00004]NONE,0");

    const std::u16string teacher = SplitArgs(args)[1];
    std::u16string fields = teacher + u",CLASSROOM-PC,Tavelon Teacher," + W(options_.teacherVersion);
    if (options_.loginFault != LoginFault::kAddressSixFields)
        fields += u",127.0.0.1";
    fields += u"," + W(std::to_string(ports_.advertisedPodium)) + u",Reserved";
    if (options_.loginFault == LoginFault::kAddressEightFields)
        fields += u",Extra";
    link.SendText(u"[UR00002]" + fields);
}

}  // namespace orvane::sim
