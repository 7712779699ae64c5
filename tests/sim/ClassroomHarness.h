// Test side of the simulated classroom: starts the real orvane-classroom process on free loopback
// ports, reads its JSON-lines log, and plays the pad remote over plain blocking sockets (every read
// bounded by a receive time-out, so a silent peer fails the test instead of hanging it).
#pragma once

#include <arpa/inet.h>
#include <curl/curl.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <chrono>
#include <cstring>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "protocol/Packet.h"
#include "support/TempFolder.h"
#include "util/Text.h"

extern char** environ;

namespace orvane::sim_test {

using testing_support::ReadFileBytes;
using testing_support::TempFolder;

// Generous bounds for a loaded machine; they only stop a broken run from hanging.
constexpr auto kStartWait = std::chrono::seconds(30);
constexpr int kReceiveTimeoutSeconds = 15;

inline std::string HexOf(const std::vector<std::uint8_t>& bytes, std::size_t from = 0) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    for (std::size_t i = from; i < bytes.size(); ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

inline std::vector<std::uint8_t> BytesOfHex(const std::string& hex) {
    std::vector<std::uint8_t> out;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    return out;
}

class SimProcess {
  public:
    explicit SimProcess(std::vector<std::string> args, bool portsAuto = true) {
        logPath_ = folder_ / "classroom.log";
        outPath_ = folder_ / "stdout.txt";
        std::vector<std::string> all = {ORVANE_CLASSROOM_BIN};
        if (portsAuto)
            all.push_back("--ports-auto");
        all.push_back("--log");
        all.push_back(logPath_);
        all.insert(all.end(), args.begin(), args.end());
        std::vector<char*> argv;
        for (std::string& a : all)
            argv.push_back(a.data());
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_addopen(&actions, 1, outPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        posix_spawn_file_actions_addopen(&actions, 2, (folder_ / "stderr.txt").c_str(),
                                         O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int rc = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        if (rc != 0) {
            pid_ = -1;
            return;
        }
        const auto deadline = std::chrono::steady_clock::now() + kStartWait;
        while (std::chrono::steady_clock::now() < deadline) {
            const std::string out = ReadFileBytes(outPath_);
            const auto nl = out.find('\n');
            if (nl != std::string::npos) {
                ParseReadyLine(out.substr(0, nl));
                return;
            }
            if (Exited())
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    ~SimProcess() {
        if (pid_ > 0 && !exited_) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }

    bool ready() const { return ready_; }
    int web() const { return web_; }
    int login() const { return login_; }
    int relay() const { return relay_; }
    int podium() const { return podium_; }
    const TempFolder& folder() const { return folder_; }
    std::string Stdout() const { return ReadFileBytes(outPath_); }
    std::string Stderr() const { return ReadFileBytes(folder_ / "stderr.txt"); }

    // SIGTERM, then the exit status (-1 when it did not end on its own within the bound).
    int Terminate() {
        if (pid_ > 0 && !exited_)
            ::kill(pid_, SIGTERM);
        return WaitExit();
    }

    int WaitExit() {
        const auto deadline = std::chrono::steady_clock::now() + kStartWait;
        while (!Exited() && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return exited_ && WIFEXITED(status_) ? WEXITSTATUS(status_) : -1;
    }

    // Every record of the log so far, in order. The classroom may be writing while this reads, so a
    // last line without its line end is left for the next read.
    std::vector<QJsonObject> Log() const {
        std::vector<QJsonObject> records;
        std::string bytes = ReadFileBytes(logPath_);
        bytes.erase(bytes.rfind('\n') == std::string::npos ? 0 : bytes.rfind('\n') + 1);
        std::istringstream in(bytes);
        std::string line;
        while (std::getline(in, line)) {
            const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(line));
            EXPECT_TRUE(doc.isObject()) << "not a JSON object: " << line;
            records.push_back(doc.object());
        }
        return records;
    }

  private:
    bool Exited() {
        if (exited_)
            return true;
        if (pid_ > 0 && ::waitpid(pid_, &status_, WNOHANG) == pid_)
            exited_ = true;
        return exited_;
    }

    void ParseReadyLine(const std::string& line) {
        if (line.rfind("orvane-classroom ready:", 0) != 0)
            return;
        auto portOf = [&](const std::string& key) {
            const auto at = line.find(key + "=127.0.0.1:");
            return at == std::string::npos ? 0 : std::atoi(line.c_str() + at + key.size() + 11);
        };
        web_ = portOf("web");
        login_ = portOf("login");
        relay_ = portOf("relay");
        podium_ = portOf("podium");
        ready_ = login_ > 0 && relay_ > 0 && podium_ > 0;
    }

    TempFolder folder_;
    std::string logPath_;
    std::string outPath_;
    pid_t pid_ = -1;
    int status_ = 0;
    bool exited_ = false;
    bool ready_ = false;
    int web_ = 0, login_ = 0, relay_ = 0, podium_ = 0;
};

// One received packet: the parsed packet and every byte of it as it came off the wire.
struct Received {
    CPacket packet;
    std::vector<std::uint8_t> wire;
};

// The pad's side of one TCP connection, blocking with a receive time-out.
class PadConnection {
  public:
    PadConnection() = default;
    ~PadConnection() {
        if (fd_ >= 0)
            ::close(fd_);
    }
    PadConnection(const PadConnection&) = delete;
    PadConnection& operator=(const PadConnection&) = delete;

    // False when the connection is refused.
    bool Connect(int port) {
        fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
        timeval tv{kReceiveTimeoutSeconds, 0};
        ::setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        int one = 1;
        ::setsockopt(fd_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    }

    int LocalPort() const {
        sockaddr_in address{};
        socklen_t length = sizeof address;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length);
        return ntohs(address.sin_port);
    }

    void SendRaw(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL), static_cast<ssize_t>(bytes.size()));
    }
    void Send(const CPacket& packet) { SendRaw(packet.Serialize(0x5A)); }
    void SendText(std::u16string_view text) { Send(CPacket(std::u16string(text))); }
    // In relay mode every packet travels in an envelope with the relay's numbers swapped.
    void SendWrapped(std::u16string_view text, int first, int second) {
        CPacket packet{std::u16string(text)};
        ASSERT_TRUE(packet.Wrap(second, first));
        Send(packet);
    }

    // Nullopt on time-out, end of stream or an unreadable packet.
    std::optional<Received> Receive() {
        Received r;
        r.wire.resize(8);
        if (!ReadExact(r.wire.data(), 8))
            return std::nullopt;
        const std::uint32_t length =
            r.wire[4] | (r.wire[5] << 8) | (r.wire[6] << 16) | (static_cast<std::uint32_t>(r.wire[7]) << 24);
        if (length < 5 || length > kMaxPacketLength)
            return std::nullopt;
        r.wire.resize(4 + length);
        if (!ReadExact(r.wire.data() + 8, length - 4))
            return std::nullopt;
        if (!CPacket::ParseBody(r.wire.data() + 8, length - 4, r.packet))
            return std::nullopt;
        return r;
    }

    // The text of the next packet, which must be a text packet ("" otherwise).
    std::string ReceiveText() {
        auto r = Receive();
        if (!r || r->packet.kind != PacketKind::kText)
            return "(no text packet)";
        return WideToUtf8String(r->packet.text);
    }

    // The text inside the next packet, which must be a relay envelope around a text packet.
    std::string ReceiveWrappedText() {
        auto r = Receive();
        if (!r || r->packet.kind != PacketKind::kRelayEnvelope || !r->packet.Unwrap() ||
            r->packet.kind != PacketKind::kText)
            return "(no wrapped text packet)";
        return WideToUtf8String(r->packet.text);
    }

    // True when the other side closes the connection (before the receive time-out).
    bool ClosedByPeer() {
        std::uint8_t byte;
        while (true) {
            const ssize_t n = ::recv(fd_, &byte, 1, 0);
            if (n == 0)
                return true;
            if (n < 0)
                return errno == ECONNRESET;
        }
    }

  private:
    bool ReadExact(std::uint8_t* p, std::size_t count) {
        while (count > 0) {
            const ssize_t n = ::recv(fd_, p, count, 0);
            if (n <= 0)
                return false;
            p += n;
            count -= static_cast<std::size_t>(n);
        }
        return true;
    }

    int fd_ = -1;
};

struct HttpResult {
    CURLcode code = CURLE_OK;
    long status = 0;
    std::string body;
};

// One GET; HTTPS without certificate checks (the classroom's certificate is self-signed).
inline HttpResult HttpGet(const std::string& url) {
    HttpResult result;
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(curl, CURLOPT_SSL_VERIFYHOST, 0L);
    curl_easy_setopt(curl, CURLOPT_TIMEOUT, 20L);
    curl_easy_setopt(curl, CURLOPT_HTTP_VERSION, CURL_HTTP_VERSION_1_0);
    curl_easy_setopt(
        curl, CURLOPT_WRITEFUNCTION, +[](char* data, size_t size, size_t n, void* user) {
            static_cast<std::string*>(user)->append(data, size * n);
            return size * n;
        });
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &result.body);
    result.code = curl_easy_perform(curl);
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &result.status);
    curl_easy_cleanup(curl);
    return result;
}

// Log records of one kind of packet: peer, direction and (for text) the text of each.
inline std::vector<std::string> LoggedTexts(const std::vector<QJsonObject>& log, const std::string& peer,
                                            const std::string& dir) {
    std::vector<std::string> texts;
    for (const QJsonObject& r : log) {
        if (r["peer"].toString().toStdString() != peer || r["dir"].toString().toStdString() != dir ||
            r.contains("side"))
            continue;
        QJsonObject packet = r["packet"].toObject();
        if (packet["kind"].toInt() == 13)
            packet = packet["inner"].toObject();
        if (packet["kind"].toInt() == 1)
            texts.push_back(packet["text"].toString().toStdString());
    }
    return texts;
}

}  // namespace orvane::sim_test
