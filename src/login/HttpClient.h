// The synchronous HTTP(S) GET client of both programs, on libcurl: one URL plus query data in; the
// outcome, the raw body and the server's download file name out. The pad remote uses it for the relay
// lookup, the updater for the update service; the updater's differences (agent name, a pump that keeps
// its window responsive) are options of this client.
//
// Thread: any thread. A call blocks the calling thread until the answer is read, a time-out expires or
// a limit is hit; the pump (if any) runs on that same thread. Calls on different threads share nothing.
#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace orvane {

// Result codes. Callers treat 0 as success and anything else as failure.
inline constexpr int kHttpOk = 0;
inline constexpr int kHttpBadUrl = -100;        // not http:// or https://, or no usable host or port
inline constexpr int kHttpNoSession = -101;     // libcurl could not be set up
inline constexpr int kHttpNoConnection = -102;  // libcurl refused the connection target
// The query does not encode within 1022 characters (nothing is sent), or connecting, the TLS handshake,
// sending or receiving failed or timed out, or the body broke off or exceeded its cap.
inline constexpr int kHttpSendFailed = -103;
inline constexpr int kHttpBadStatus = -105;  // a status other than 200 and 301-303; the body is not read
inline constexpr int kHttpRedirect = -106;   // status 301, 302 or 303; the body is not read

// Largest encoded query (characters).
inline constexpr std::size_t kMaxEncodedQuery = 1022;

struct HttpOptions {
    // Identifies the session to a proxy on plain HTTP requests ("Ombrix"; the updater's
    // "OmbrixUpdater"). Servers always see the fixed User-Agent header; HTTPS requests carry no agent.
    std::string agentName = "Ombrix";

    // Connect covers name resolution, TCP and the TLS handshake. Send runs from the established
    // connection until the request is out; receive is the longest silence while waiting for bytes.
    std::chrono::milliseconds connectTimeout{30000};
    std::chrono::milliseconds sendTimeout{30000};
    std::chrono::milliseconds receiveTimeout{30000};

    // A peer that trickles a byte now and then never trips the receive time-out: a transfer that
    // stays below this many bytes per second for this many seconds is abandoned (-103).
    long lowSpeedBytesPerSecond = 1024;
    long lowSpeedSeconds = 30;

    // Cap on the body held in memory: 256 MiB, far above any update file. A larger announced or
    // received body fails the request (-103) instead of filling memory.
    std::size_t maxBodyBytes = std::size_t{256} << 20;

    // PEM certificates to trust instead of the system's store; empty uses the system's store.
    std::string caCertificatesPem;

    // Called on the calling thread between received blocks and at least every 50 ms while a request
    // waits, so a window can handle its events meanwhile. It may start other requests; it must not
    // destroy the response the running request writes into.
    std::function<void()> pump;
};

// The updater's client: agent name "OmbrixUpdater" and a pump that keeps its window responsive.
HttpOptions UpdaterHttpOptions(std::function<void()> pump);

struct HttpResponse {
    // The body bytes as received; set only when the result is 0. From the network: untrusted.
    std::string body;
    // The text after "filename=" in a Content-Disposition header, cut at ";" and trimmed, quotes kept;
    // empty when there is none. From the network: never use it as a path unchecked.
    std::u16string fileName;
};

// Fetches `url` (http:// or https://, optional user:password@ and :port) with `queryData` URL-encoded
// by UrlEncodeQuery and appended as "?query" when not empty. Returns one of the result codes above.
int HttpRequest(std::u16string_view url, std::u16string_view queryData, HttpResponse& response,
                const HttpOptions& options = {});

// HttpRequest, and on failure the same request once more with every "https://" replaced by "http://"
// (the service answers both on the same host and port). Returns the result of the last attempt.
int HttpRequestWithFallback(std::u16string_view url, std::u16string_view queryData, HttpResponse& response,
                            const HttpOptions& options = {});

// One request target, as HttpRequest takes it apart.
struct HttpTarget {
    bool secure = false;
    std::u16string server;
    int port = 0;
    std::u16string path;  // from the first "/" (or "?") on; "/" when the URL has none
    std::u16string user;
    std::u16string password;
};

// Splits an http:// or https:// URL without decoding or encoding anything. False for another scheme,
// an empty host or a port outside 1..65535.
bool ParseHttpUrl(std::u16string_view url, HttpTarget& target);

// Plain HTTP GET with the URL's user and password. HTTPS GET ignores them, and when the server's
// certificate is not trusted resends the request once with relaxed certificate checks.
int HttpGet(const HttpTarget& target, std::u16string_view queryData, HttpResponse& response,
            const HttpOptions& options = {});
int HttpsGet(const HttpTarget& target, std::u16string_view queryData, HttpResponse& response,
             const HttpOptions& options = {});

// Percent-encodes the UTF-8 bytes of `text`, keeping ! % ' ( ) * - . / 0-9 : A-Z _ a-z ~ as they are and
// writing every other byte as "%" and two lower-case hex digits. False (and `encoded` empty) when the
// result would exceed kMaxEncodedQuery characters.
bool UrlEncodeQuery(std::u16string_view text, std::u16string& encoded);

// The file name of a Content-Disposition header value (see HttpResponse::fileName).
std::u16string FileNameFromContentDisposition(std::u16string_view value);

}  // namespace orvane
