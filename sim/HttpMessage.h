// The few pieces of HTTP/1.x the web service needs: reading a GET request head, splitting its query
// string and writing a response. The request bytes come from any local program and are untrusted.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvane::sim {

// A request head is refused when it does not end within this many bytes.
inline constexpr std::size_t kMaxRequestHead = 16 * 1024;

struct HttpRequest {
    std::string method;
    std::string target;  // as sent: path and query
    std::string path;    // before "?"
    std::string query;   // after "?", not decoded
    std::string version;
    std::vector<std::pair<std::string, std::string>> headers;

    // First header of that name (case-insensitive), or empty.
    std::string Header(std::string_view name) const;
};

enum class HeadStatus { kIncomplete, kComplete, kBad };

// Parses the request head at the start of `bytes` (request line, headers, empty line; CR LF or LF).
// kIncomplete: more bytes are needed (and `bytes` is still below the cap). On kComplete,
// `headLength` is the number of bytes the head took.
HeadStatus ParseRequestHead(std::string_view bytes, HttpRequest& out, std::size_t& headLength);

// Splits "a=1&b=%20x" into decoded pairs. Percent escapes are decoded ("%zz" stays as it is);
// "+" is kept, since the pad remote encodes a plus sign as "%2b". Empty pieces are skipped.
std::vector<std::pair<std::string, std::string>> ParseQuery(std::string_view query);
std::string PercentDecode(std::string_view text);

// Value of the first pair with that key, or empty.
std::string QueryValue(const std::vector<std::pair<std::string, std::string>>& pairs, std::string_view key);

struct HttpResponse {
    int status = 200;
    std::string contentType = "text/plain; charset=euc-kr";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;  // extra headers
    std::string summary;                                       // for the console only, never sent
};

const char* StatusText(int status);

// The whole response: status line, headers (Content-Length, Connection: close), body.
std::string FormatResponse(const HttpResponse& response);

}  // namespace orvane::sim
