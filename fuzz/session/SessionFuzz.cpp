// The session's handling of what its peers send: each input line becomes one text packet that
// reaches a real CSession over a connected socket pair, as the login phase receives it; a line that
// starts with "E" goes inside a relay envelope (the rest of the line is the text), which reaches
// the main dispatch of the podium PC's messages. Every handler, its field reading and the frame
// image it sizes run against hostile texts. The session's waits and time-outs are set beyond the
// run, so nothing connects anywhere.
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <cstdint>
#include <string>
#include <vector>

#include "protocol/Session.h"
#include "util/Text.h"

namespace {

using namespace orvane;

class QuietHost : public SessionHost {
  public:
    void ShowLoadingText(const QString&) override {}
    void HideLoading() override {}
    void ShowMessage(const QString&) override {}
    void SetShown(bool) override {}
    bool RunPasswordDialog(const QString&, QString* password) override {
        *password = QStringLiteral("1234");
        return ++prompts_ < 3;
    }
    bool RunLoginDialog(LoginTarget*) override { return false; }
    void EndProgram() override {}
    void CloseMainWindow() override {}
    void SetButtonCheck(int, bool) override {}
    void ShowMonitorButton(bool) override {}
    QSize PadScreenSize() const override { return {1366, 768}; }

  private:
    int prompts_ = 0;
};

std::vector<std::uint8_t> Packets(const std::uint8_t* data, std::size_t size) {
    std::vector<std::uint8_t> out;
    std::size_t start = 0;
    while (start <= size) {
        std::size_t end = start;
        while (end < size && data[end] != '\n')
            ++end;
        std::string line(reinterpret_cast<const char*>(data) + start, end - start);
        const bool wrapped = !line.empty() && line[0] == 'E';
        CPacket packet(Utf8StringToWide(wrapped ? line.substr(1) : line));
        if (wrapped)
            packet.Wrap(7001, 5001);
        const auto bytes = packet.Serialize(0x5A);
        out.insert(out.end(), bytes.begin(), bytes.end());
        start = end + 1;
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_session";
    static char* argv[] = {name, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    (void)app;
    if (size > 16384)
        return 0;

    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, pair) != 0)
        return 0;
    SessionTimings timings;
    timings.loginWaitMs = timings.podiumWaitMs = 3600000;
    timings.loginTimeoutMs = timings.connectTimeoutMs = timings.keepAliveMs = 3600000;
    timings.passwordTimeoutMs = 3600000;
    timings.packetDeadlineMs = 100;
    QuietHost host;
    {
        CSession session(host, timings);
        session.AttachDirectSocket(pair[0]);
        const std::vector<std::uint8_t> bytes = Packets(data, size);
        std::size_t sent = 0;
        bool shut = false;
        for (int round = 0; round < 10000 && !session.ended() && session.DirectSocketOpen(); ++round) {
            if (sent < bytes.size()) {
                const ssize_t n = ::send(pair[1], bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
                if (n > 0)
                    sent += static_cast<std::size_t>(n);
            } else if (!shut) {
                ::shutdown(pair[1], SHUT_WR);
                shut = true;
            }
            QCoreApplication::processEvents();
        }
    }
    ::close(pair[1]);
    return 0;
}
