#include "login/HttpClient.h"

#include <curl/curl.h>
#include <openssl/x509_vfy.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <mutex>

#include "login/TrimText.h"
#include "util/Text.h"

namespace orvane {
namespace {

using Clock = std::chrono::steady_clock;

// Headers every request carries, in this order; the server sees this User-Agent, not the agent name.
constexpr const char* kFixedHeaders[] = {
    "Accept: */*",
    "Accept-Language: ko",
    "User-Agent: Mozilla/4.0 (compatible; MSIE 5.01; Windows NT 5.0)",
    "Connection: Close",
};

// Longest Content-Disposition value that is looked at (characters).
constexpr size_t kMaxDispositionChars = 250;
// Longest wait between two pump calls and two time-out checks.
constexpr int kPollMs = 50;

bool GlobalInit() {
    static std::once_flag once;
    static bool ok = false;
    std::call_once(once, [] { ok = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    return ok;
}

struct EasyDeleter {
    void operator()(CURL* easy) const { curl_easy_cleanup(easy); }
};
struct MultiDeleter {
    void operator()(CURLM* multi) const { curl_multi_cleanup(multi); }
};
struct ListDeleter {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};

bool IEquals(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'A' && x <= 'Z')
            x = static_cast<char>(x - 'A' + 'a');
        if (y >= 'A' && y <= 'Z')
            y = static_cast<char>(y - 'A' + 'a');
        if (x != y)
            return false;
    }
    return true;
}

std::string_view TrimAscii(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r' || s.front() == '\n'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r' || s.back() == '\n'))
        s.remove_suffix(1);
    return s;
}

// State of one attempt, written by libcurl's callbacks on the calling thread. Everything it records
// comes from the network.
struct Attempt {
    const HttpOptions* options = nullptr;
    int status = 0;      // status of the latest response head
    int stopResult = 0;  // set when a callback ended the transfer on purpose
    bool haveDisposition = false;
    std::string disposition;
    std::string body;
    bool connected = false;
    bool requestSent = false;
    Clock::time_point lastActivity = Clock::now();
};

size_t OnHeader(char* data, size_t size, size_t count, void* user) {
    auto* a = static_cast<Attempt*>(user);
    const size_t n = size * count;
    a->lastActivity = Clock::now();
    std::string_view line = TrimAscii(std::string_view(data, n));
    if (line.substr(0, 5) == "HTTP/") {
        // A new response head (after an interim 1xx one, or the first).
        const size_t space = line.find(' ');
        a->status = 0;
        if (space != std::string_view::npos) {
            for (size_t i = space + 1;
                 i < line.size() && line[i] >= '0' && line[i] <= '9' && a->status < 1000; ++i)
                a->status = a->status * 10 + (line[i] - '0');
        }
        a->haveDisposition = false;
        a->disposition.clear();
        return n;
    }
    if (line.empty()) {
        // End of a head: decide before a single body byte is read.
        if (a->status >= 100 && a->status < 200)
            return n;
        if (a->status >= 301 && a->status <= 303) {
            a->stopResult = kHttpRedirect;
            return 0;
        }
        if (a->status != 200) {
            a->stopResult = kHttpBadStatus;
            return 0;
        }
        return n;
    }
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos)
        return n;
    const std::string_view name = TrimAscii(line.substr(0, colon));
    const std::string_view value = TrimAscii(line.substr(colon + 1));
    if (IEquals(name, "Content-Disposition") && !a->haveDisposition) {
        a->haveDisposition = true;
        a->disposition.assign(value);
    } else if (IEquals(name, "Content-Length")) {
        // An announced body over the cap is refused before it is read.
        unsigned long long length = 0;
        bool digits = !value.empty();
        for (char c : value) {
            if (c < '0' || c > '9' || length > (~0ULL - 9) / 10) {
                digits = false;
                break;
            }
            length = length * 10 + static_cast<unsigned>(c - '0');
        }
        if (digits && length > a->options->maxBodyBytes) {
            a->stopResult = kHttpSendFailed;
            return 0;
        }
    }
    return n;
}

size_t OnBody(char* data, size_t size, size_t count, void* user) {
    auto* a = static_cast<Attempt*>(user);
    const size_t n = size * count;
    a->lastActivity = Clock::now();
    if (n > a->options->maxBodyBytes - a->body.size()) {
        a->stopResult = kHttpSendFailed;
        return 0;
    }
    a->body.append(data, n);
    return n;
}

int OnConnected(void* user, char*, char*, int, int) {
    auto* a = static_cast<Attempt*>(user);
    a->connected = true;
    a->lastActivity = Clock::now();
    return CURL_PREREQFUNC_OK;
}

// Runs one transfer on `easy` to its end, pumping and watching the send and receive time-outs.
// Returns the result code; `code` gets libcurl's own result.
int Perform(CURL* easy, Attempt& a, CURLcode& code) {
    code = CURLE_OK;
    std::unique_ptr<CURLM, MultiDeleter> multi(curl_multi_init());
    if (!multi || curl_multi_add_handle(multi.get(), easy) != CURLM_OK)
        return kHttpNoSession;
    const HttpOptions& options = *a.options;
    bool finished = false, timedOut = false;
    for (;;) {
        int running = 0;
        if (curl_multi_perform(multi.get(), &running) != CURLM_OK)
            break;
        if (running == 0) {
            finished = true;
            break;
        }
        if (options.pump)
            options.pump();
        if (a.connected) {
            const Clock::time_point now = Clock::now();
            if (!a.requestSent) {
                long sent = 0;
                if (curl_easy_getinfo(easy, CURLINFO_REQUEST_SIZE, &sent) == CURLE_OK && sent > 0) {
                    a.requestSent = true;
                    a.lastActivity = now;
                }
            }
            const auto limit = a.requestSent ? options.receiveTimeout : options.sendTimeout;
            if (now - a.lastActivity > limit) {
                timedOut = true;
                break;
            }
        }
        curl_multi_poll(multi.get(), nullptr, 0, kPollMs, nullptr);
    }
    if (finished) {
        int left = 0;
        while (CURLMsg* msg = curl_multi_info_read(multi.get(), &left)) {
            if (msg->msg == CURLMSG_DONE)
                code = msg->data.result;
        }
    }
    curl_multi_remove_handle(multi.get(), easy);
    if (!finished || timedOut)
        return kHttpSendFailed;
    if (a.stopResult != 0)
        return a.stopResult;
    if (code == CURLE_OK)
        return a.status == 200 ? kHttpOk : kHttpBadStatus;
    if (code == CURLE_URL_MALFORMAT)
        return kHttpBadUrl;
    return kHttpSendFailed;
}

// True when libcurl's OpenSSL backend refused the peer because no trusted authority vouches for its
// chain (self-signed, unknown or missing issuer). A name mismatch, an expired certificate from a
// trusted authority or a broken handshake are not "not trusted" and are never retried.
bool CertificateNotTrusted(CURL* easy, CURLcode code) {
    if (code != CURLE_PEER_FAILED_VERIFICATION)
        return false;
    const curl_version_info_data* info = curl_version_info(CURLVERSION_NOW);
    if (!info || !info->ssl_version || std::strncmp(info->ssl_version, "OpenSSL", 7) != 0)
        return false;
    long verify = X509_V_OK;
    if (curl_easy_getinfo(easy, CURLINFO_SSL_VERIFYRESULT, &verify) != CURLE_OK)
        return false;
    switch (verify) {
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        case X509_V_ERR_CERT_UNTRUSTED:
            return true;
        default:
            return false;
    }
}

// Bytes libcurl will not take in a URL (blanks, controls, non-ASCII) become %xx; the rest stays.
std::string EscapeForWire(const std::string& text) {
    static const char kHex[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : text) {
        if (c <= 0x20 || c >= 0x7F) {
            out += '%';
            out += kHex[c >> 4];
            out += kHex[c & 15];
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

void ReplaceAll(std::u16string& text, std::u16string_view from, std::u16string_view to) {
    for (size_t at = text.find(from); at != std::u16string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

int Get(const HttpTarget& target, std::u16string_view queryData, HttpResponse& response,
        const HttpOptions& options) {
    response.body.clear();
    response.fileName.clear();
    if (!GlobalInit())
        return kHttpNoSession;
    std::unique_ptr<CURL, EasyDeleter> easy(curl_easy_init());
    if (!easy)
        return kHttpNoSession;

    // The query is encoded before anything goes out; "=" and "&" stay readable as separators.
    std::u16string query;
    if (!UrlEncodeQuery(queryData, query))
        return kHttpSendFailed;
    ReplaceAll(query, u"%3d", u"=");
    ReplaceAll(query, u"%26", u"&");

    std::u16string object = target.path.empty() ? u"/" : target.path;
    if (!query.empty())
        object += u"?" + query;
    std::string host = WideToUtf8String(target.server);
    if (host.find(':') != std::string::npos)
        host = "[" + host + "]";
    const std::string url = (target.secure ? "https://" : "http://") + host + ":" +
                            std::to_string(target.port) + EscapeForWire(WideToUtf8String(object));

    std::unique_ptr<curl_slist, ListDeleter> headers;
    for (const char* h : kFixedHeaders) {
        curl_slist* grown = curl_slist_append(headers.get(), h);
        if (!grown)
            return kHttpNoSession;
        headers.release();
        headers.reset(grown);
    }

    Attempt attempt;
    attempt.options = &options;
    CURL* e = easy.get();
    bool ok = curl_easy_setopt(e, CURLOPT_URL, url.c_str()) == CURLE_OK &&
              curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https") == CURLE_OK &&
              curl_easy_setopt(e, CURLOPT_PATH_AS_IS, 1L) == CURLE_OK;
    if (!ok)
        return kHttpNoConnection;
    curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(e, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(e, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_0));
    curl_easy_setopt(e, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(e, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(options.connectTimeout.count()));
    if (options.lowSpeedSeconds > 0 && options.lowSpeedBytesPerSecond > 0) {
        curl_easy_setopt(e, CURLOPT_LOW_SPEED_LIMIT, options.lowSpeedBytesPerSecond);
        curl_easy_setopt(e, CURLOPT_LOW_SPEED_TIME, options.lowSpeedSeconds);
    }
    curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &OnHeader);
    curl_easy_setopt(e, CURLOPT_HEADERDATA, &attempt);
    curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &OnBody);
    curl_easy_setopt(e, CURLOPT_WRITEDATA, &attempt);
    curl_easy_setopt(e, CURLOPT_PREREQFUNCTION, &OnConnected);
    curl_easy_setopt(e, CURLOPT_PREREQDATA, &attempt);
    if (!target.secure) {
        if (!options.agentName.empty())
            curl_easy_setopt(e, CURLOPT_USERAGENT, options.agentName.c_str());
        const std::string user = WideToUtf8String(target.user);
        const std::string password = WideToUtf8String(target.password);
        if (!user.empty()) {
            curl_easy_setopt(e, CURLOPT_USERNAME, user.c_str());
            curl_easy_setopt(e, CURLOPT_PASSWORD, password.c_str());
        }
    } else if (!options.caCertificatesPem.empty()) {
        curl_blob blob{const_cast<char*>(options.caCertificatesPem.data()), options.caCertificatesPem.size(),
                       CURL_BLOB_COPY};
        curl_easy_setopt(e, CURLOPT_CAINFO_BLOB, &blob);
    }

    CURLcode code = CURLE_OK;
    int result = Perform(e, attempt, code);
    if (target.secure && result == kHttpSendFailed && CertificateNotTrusted(e, code)) {
        // The one resend: accept any certificate (authority, name, dates) from this server.
        curl_easy_setopt(e, CURLOPT_SSL_VERIFYPEER, 0L);
        curl_easy_setopt(e, CURLOPT_SSL_VERIFYHOST, 0L);
        attempt = Attempt{};
        attempt.options = &options;
        result = Perform(e, attempt, code);
    }
    if (result != kHttpOk)
        return result;
    response.body = std::move(attempt.body);
    if (attempt.haveDisposition) {
        const std::u16string value = AnsiToWide(attempt.disposition);
        if (value.size() <= kMaxDispositionChars)
            response.fileName = FileNameFromContentDisposition(value);
    }
    return kHttpOk;
}

}  // namespace

HttpOptions UpdaterHttpOptions(std::function<void()> pump) {
    HttpOptions options;
    options.agentName = "OmbrixUpdater";
    options.pump = std::move(pump);
    return options;
}

bool ParseHttpUrl(std::u16string_view url, HttpTarget& target) {
    target = HttpTarget{};
    const size_t schemeEnd = url.find(u"://");
    if (schemeEnd == std::u16string_view::npos)
        return false;
    std::u16string scheme(url.substr(0, schemeEnd));
    for (auto& c : scheme)
        if (c >= u'A' && c <= u'Z')
            c = static_cast<char16_t>(c - u'A' + u'a');
    if (scheme == u"https")
        target.secure = true;
    else if (scheme != u"http")
        return false;
    std::u16string_view rest = url.substr(schemeEnd + 3);
    const size_t authorityEnd = std::min(rest.find_first_of(u"/?#"), rest.size());
    std::u16string_view authority = rest.substr(0, authorityEnd);
    std::u16string_view path = rest.substr(authorityEnd);

    const size_t at = authority.rfind(u'@');
    if (at != std::u16string_view::npos) {
        const std::u16string_view userInfo = authority.substr(0, at);
        const size_t colon = userInfo.find(u':');
        target.user = std::u16string(userInfo.substr(0, colon));
        if (colon != std::u16string_view::npos)
            target.password = std::u16string(userInfo.substr(colon + 1));
        authority = authority.substr(at + 1);
    }
    std::u16string_view portText;
    if (!authority.empty() && authority.front() == u'[') {
        const size_t close = authority.find(u']');
        if (close == std::u16string_view::npos)
            return false;
        target.server = std::u16string(authority.substr(1, close - 1));
        const std::u16string_view after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != u':')
                return false;
            portText = after.substr(1);
        }
    } else {
        const size_t colon = authority.find(u':');
        target.server = std::u16string(authority.substr(0, colon));
        if (colon != std::u16string_view::npos)
            portText = authority.substr(colon + 1);
    }
    if (target.server.empty())
        return false;
    target.port = target.secure ? 443 : 80;
    if (!portText.empty()) {
        int port = 0;
        for (char16_t c : portText) {
            if (c < u'0' || c > u'9' || port > 65535)
                return false;
            port = port * 10 + (c - u'0');
        }
        if (port < 1 || port > 65535)
            return false;
        target.port = port;
    }
    target.path = path.empty() ? std::u16string(u"/") : std::u16string(path);
    if (target.path.front() != u'/')
        target.path.insert(target.path.begin(), u'/');
    return true;
}

int HttpRequest(std::u16string_view url, std::u16string_view queryData, HttpResponse& response,
                const HttpOptions& options) {
    response.body.clear();
    response.fileName.clear();
    HttpTarget target;
    if (!ParseHttpUrl(url, target))
        return kHttpBadUrl;
    return target.secure ? HttpsGet(target, queryData, response, options)
                         : HttpGet(target, queryData, response, options);
}

int HttpRequestWithFallback(std::u16string_view url, std::u16string_view queryData, HttpResponse& response,
                            const HttpOptions& options) {
    const int result = HttpRequest(url, queryData, response, options);
    if (result == kHttpOk)
        return result;
    std::u16string plain(url);
    ReplaceAll(plain, u"https://", u"http://");
    return HttpRequest(plain, queryData, response, options);
}

int HttpGet(const HttpTarget& target, std::u16string_view queryData, HttpResponse& response,
            const HttpOptions& options) {
    HttpTarget plain = target;
    plain.secure = false;
    return Get(plain, queryData, response, options);
}

int HttpsGet(const HttpTarget& target, std::u16string_view queryData, HttpResponse& response,
             const HttpOptions& options) {
    HttpTarget secure = target;
    secure.secure = true;
    secure.user.clear();
    secure.password.clear();
    return Get(secure, queryData, response, options);
}

bool UrlEncodeQuery(std::u16string_view text, std::u16string& encoded) {
    static const char kHex[] = "0123456789abcdef";
    encoded.clear();
    std::u16string out;
    for (unsigned char c : WideToUtf8String(text)) {
        const bool keep = (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                          std::strchr("!%'()*-./:_~", c) != nullptr;
        if (keep && c != 0) {
            out += static_cast<char16_t>(c);
        } else {
            out += u'%';
            out += static_cast<char16_t>(kHex[c >> 4]);
            out += static_cast<char16_t>(kHex[c & 15]);
        }
        if (out.size() > kMaxEncodedQuery)
            return false;
    }
    encoded = std::move(out);
    return true;
}

std::u16string FileNameFromContentDisposition(std::u16string_view value) {
    static constexpr std::u16string_view kKey = u"filename=";
    for (size_t i = 0; i + kKey.size() <= value.size(); ++i) {
        bool match = true;
        for (size_t k = 0; k < kKey.size() && match; ++k) {
            char16_t c = value[i + k];
            if (c >= u'A' && c <= u'Z')
                c = static_cast<char16_t>(c - u'A' + u'a');
            match = c == kKey[k];
        }
        if (match) {
            std::u16string_view name = value.substr(i + kKey.size());
            return TrimWhiteSpace(name.substr(0, name.find(u';')));
        }
    }
    return {};
}

}  // namespace orvane
