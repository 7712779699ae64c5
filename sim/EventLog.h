// The classroom's record of everything it sends and receives: one JSON object a line in the log
// file (read by tests and tools), and a short human line on the console. Main thread only.
#pragma once

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace orvane::sim {

// One JSON object under construction. Keys are plain ASCII written by this program; string values
// may hold any text (they are escaped, and invalid UTF-8 is not produced by the callers).
class JsonObject {
  public:
    JsonObject& Str(std::string_view key, std::string_view value);
    JsonObject& Int(std::string_view key, long long value);
    JsonObject& Bool(std::string_view key, bool value);
    // `json` must already be a JSON value (object, array).
    JsonObject& Raw(std::string_view key, std::string_view json);
    std::string Text() const { return "{" + body_ + "}"; }
    bool empty() const { return body_.empty(); }

  private:
    void Key(std::string_view key);
    std::string body_;
};

// `text` as a JSON string literal, quotes included.
std::string JsonString(std::string_view text);

class EventLog {
  public:
    // `path`: the JSON-lines file ("-" = stdout, empty = none). `console`: human lines on stdout
    // (switched off when the JSON goes to stdout).
    EventLog(const std::string& path, bool console, bool verbose);
    ~EventLog();
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    bool ok() const { return ok_; }

    // Adds "t" (milliseconds since start) in front and writes the line at once, so a reader sees
    // every record as soon as it happened.
    void Write(const JsonObject& record);

    // A console line (nothing when the console is off). `chatty` lines (keep-alives, frame
    // acknowledgements, input events) only appear with --verbose.
    void Console(std::string_view line, bool chatty = false);

    bool verbose() const { return verbose_; }
    // Every accepted or opened connection gets a number, unique across the peers.
    int NextConnectionId() { return ++lastConnectionId_; }

    // Numbers and logs a connection that `peer` accepted from 127.0.0.1:`fromPort`.
    int Accepted(const std::string& peer, int fromPort);

    // Logs the outcome of a check of something the pad sent: passed when `problems` is empty;
    // each problem also goes to the console.
    void Check(const std::string& peer, int connection, const std::string& what,
               const std::vector<std::string>& problems);
    long long ElapsedMs() const;

  private:
    std::FILE* file_ = nullptr;
    bool ownsFile_ = false;
    bool ok_ = true;
    bool console_;
    bool verbose_;
    int lastConnectionId_ = 0;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace orvane::sim
