#include "sim/HttpMessage.h"

#include <algorithm>
#include <cctype>

namespace orvane::sim {
namespace {

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

bool IsToken(std::string_view s) {
    if (s.empty())
        return false;
    for (unsigned char c : s)
        if (c <= 0x20 || c >= 0x7F)
            return false;
    return true;
}

}  // namespace

std::string HttpRequest::Header(std::string_view name) const {
    for (const auto& [key, value] : headers)
        if (EqualsIgnoreCase(key, name))
            return value;
    return {};
}

HeadStatus ParseRequestHead(std::string_view bytes, HttpRequest& out, std::size_t& headLength) {
    // The head ends at the first empty line.
    std::size_t end = std::string_view::npos;
    std::size_t pos = 0;
    while (pos < bytes.size()) {
        const std::size_t nl = bytes.find('\n', pos);
        if (nl == std::string_view::npos)
            break;
        const std::string_view line = bytes.substr(pos, nl - pos);
        if (line.empty() || line == "\r") {
            end = nl + 1;
            break;
        }
        pos = nl + 1;
    }
    if (end == std::string_view::npos)
        return bytes.size() >= kMaxRequestHead ? HeadStatus::kBad : HeadStatus::kIncomplete;
    if (end > kMaxRequestHead)
        return HeadStatus::kBad;

    HttpRequest request;
    std::size_t lineStart = 0;
    bool first = true;
    while (lineStart < end) {
        const std::size_t nl = bytes.find('\n', lineStart);
        std::string_view line = bytes.substr(lineStart, nl - lineStart);
        lineStart = nl + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.empty())
            break;
        if (first) {
            first = false;
            const std::size_t sp1 = line.find(' ');
            const std::size_t sp2 = sp1 == std::string_view::npos ? sp1 : line.find(' ', sp1 + 1);
            if (sp2 == std::string_view::npos || line.find(' ', sp2 + 1) != std::string_view::npos)
                return HeadStatus::kBad;
            const std::string_view method = line.substr(0, sp1);
            const std::string_view target = line.substr(sp1 + 1, sp2 - sp1 - 1);
            const std::string_view version = line.substr(sp2 + 1);
            if (!IsToken(method) || !IsToken(target) || target.front() != '/' ||
                version.substr(0, 5) != "HTTP/")
                return HeadStatus::kBad;
            request.method = method;
            request.target = target;
            request.version = version;
            const std::size_t q = target.find('?');
            request.path = target.substr(0, q);
            if (q != std::string_view::npos)
                request.query = target.substr(q + 1);
            continue;
        }
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos || colon == 0)
            return HeadStatus::kBad;
        request.headers.emplace_back(std::string(Trim(line.substr(0, colon))),
                                     std::string(Trim(line.substr(colon + 1))));
    }
    if (first)
        return HeadStatus::kBad;
    out = std::move(request);
    headLength = end;
    return HeadStatus::kComplete;
}

std::string PercentDecode(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            const int hi = HexValue(text[i + 1]);
            const int lo = HexValue(text[i + 2]);
            if (hi >= 0 && lo >= 0) {
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

std::vector<std::pair<std::string, std::string>> ParseQuery(std::string_view query) {
    std::vector<std::pair<std::string, std::string>> pairs;
    std::size_t pos = 0;
    while (pos <= query.size()) {
        std::size_t amp = query.find('&', pos);
        if (amp == std::string_view::npos)
            amp = query.size();
        const std::string_view piece = query.substr(pos, amp - pos);
        if (!piece.empty()) {
            const std::size_t eq = piece.find('=');
            if (eq == std::string_view::npos)
                pairs.emplace_back(PercentDecode(piece), std::string());
            else
                pairs.emplace_back(PercentDecode(piece.substr(0, eq)), PercentDecode(piece.substr(eq + 1)));
        }
        pos = amp + 1;
    }
    return pairs;
}

std::string QueryValue(const std::vector<std::pair<std::string, std::string>>& pairs, std::string_view key) {
    for (const auto& [k, v] : pairs)
        if (k == key)
            return v;
    return {};
}

const char* StatusText(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 301:
            return "Moved Permanently";
        case 302:
            return "Found";
        case 303:
            return "See Other";
        case 400:
            return "Bad Request";
        case 404:
            return "Not Found";
        case 405:
            return "Method Not Allowed";
        case 500:
            return "Internal Server Error";
        default:
            return "Unknown";
    }
}

std::string FormatResponse(const HttpResponse& response) {
    std::string out =
        "HTTP/1.1 " + std::to_string(response.status) + " " + StatusText(response.status) + "\r\n";
    out += "Server: orvane-classroom\r\n";
    out += "Content-Type: " + response.contentType + "\r\n";
    out += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
    for (const auto& [key, value] : response.headers)
        out += key + ": " + value + "\r\n";
    out += "Connection: close\r\n\r\n";
    out += response.body;
    return out;
}

}  // namespace orvane::sim
