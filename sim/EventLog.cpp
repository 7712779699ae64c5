#include "sim/EventLog.h"

#include <algorithm>
#include <cstdio>

namespace orvane::sim {

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
            case '"':
                out += "\\\"";
                break;
            case '\\':
                out += "\\\\";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            default:
                if (c < 0x20) {
                    char buffer[8];
                    std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
                    out += buffer;
                } else {
                    out += static_cast<char>(c);
                }
        }
    }
    out += '"';
    return out;
}

void JsonObject::Key(std::string_view key) {
    if (!body_.empty())
        body_ += ',';
    body_ += JsonString(key);
    body_ += ':';
}

JsonObject& JsonObject::Str(std::string_view key, std::string_view value) {
    Key(key);
    body_ += JsonString(value);
    return *this;
}

JsonObject& JsonObject::Int(std::string_view key, long long value) {
    Key(key);
    body_ += std::to_string(value);
    return *this;
}

JsonObject& JsonObject::Bool(std::string_view key, bool value) {
    Key(key);
    body_ += value ? "true" : "false";
    return *this;
}

JsonObject& JsonObject::Raw(std::string_view key, std::string_view json) {
    Key(key);
    body_ += json;
    return *this;
}

EventLog::EventLog(const std::string& path, bool console, bool verbose)
    : console_(console), verbose_(verbose) {
    if (path == "-") {
        file_ = stdout;
        console_ = false;
    } else if (!path.empty()) {
        file_ = std::fopen(path.c_str(), "w");
        ownsFile_ = true;
        ok_ = file_ != nullptr;
    }
}

EventLog::~EventLog() {
    if (file_ && ownsFile_)
        std::fclose(file_);
}

long long EventLog::ElapsedMs() const {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_)
        .count();
}

void EventLog::Write(const JsonObject& record) {
    if (!file_)
        return;
    std::string line = "{\"t\":" + std::to_string(ElapsedMs());
    const std::string body = record.Text();
    if (body.size() > 2)
        line += "," + body.substr(1, body.size() - 2);
    line += "}\n";
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}

int EventLog::Accepted(const std::string& peer, int fromPort) {
    const int id = NextConnectionId();
    Write(JsonObject()
              .Str("event", "connect")
              .Str("peer", peer)
              .Int("conn", id)
              .Str("from", "127.0.0.1:" + std::to_string(fromPort)));
    return id;
}

void EventLog::Check(const std::string& peer, int connection, const std::string& what,
                     const std::vector<std::string>& problems) {
    std::string list = "[";
    for (const std::string& p : problems)
        list += (list.size() > 1 ? "," : "") + JsonString(p);
    Write(JsonObject()
              .Str("event", "check")
              .Str("peer", peer)
              .Int("conn", connection)
              .Str("what", what)
              .Bool("ok", problems.empty())
              .Raw("problems", list + "]"));
    std::string label = peer;
    label.resize(std::max<std::size_t>(label.size(), 6), ' ');
    for (const std::string& p : problems)
        Console(label + " #" + std::to_string(connection) + " " + what + " refused: " + p);
}

void EventLog::Console(std::string_view line, bool chatty) {
    if (!console_ || (chatty && !verbose_))
        return;
    std::fwrite(line.data(), 1, line.size(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

}  // namespace orvane::sim
