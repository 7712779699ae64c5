#include "login/RelayLookup.h"

#include <time.h>

#include <array>

#include "app/ProductProfile.h"
#include "login/TrimText.h"
#include "security/MD5Hash.h"
#include "util/Text.h"

namespace orvane {
namespace {

void RemoveAll(std::u16string& text, std::u16string_view key) {
    for (size_t at = text.find(key); at != std::u16string::npos; at = text.find(key, at))
        text.erase(at, key.size());
}

}  // namespace

std::u16string DefaultLookupString(int id) {
    switch (id) {
        case kStringInvalidAccess:
            return u"잘못된 접근입니다.";
        case kStringInvalidTeacherId:
            return u"유효하지않은 선생님 ID 입니다.";
        case kStringInvalidUniqueCode:
            return u"유효하지않은 고유코드 입니다.";
        default:
            return {};
    }
}

std::uint32_t SystemTickCount() {
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const auto ms =
        static_cast<std::uint64_t>(now.tv_sec) * 1000u + static_cast<std::uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<std::uint32_t>(ms);
}

std::u16string RelayLookupUrl(std::string_view serviceHost) {
    return u"https://" + Utf8StringToWide(serviceHost) + std::u16string(kRelayLookupPath);
}

std::u16string RelayLookupQuery(std::uint32_t tick, std::u16string_view teacherId) {
    const std::u16string val1 = W(std::to_string(static_cast<std::int32_t>(tick)));
    const std::u16string val2 = W(Md5Hex(WideToAnsi(val1 + u"." + std::u16string(teacherId))));
    return u"val1=" + val1 + u"&val2=" + val2 + u"&val3=" + std::u16string(teacherId);
}

std::u16string DecodeRelayAnswer(std::string_view body) {
    return TrimWhiteSpace(AnsiToWide(body));
}

std::u16string FetchRelayAnswer(std::u16string_view url, std::u16string_view query,
                                const HttpOptions& options) {
    HttpResponse response;
    if (HttpRequestWithFallback(url, query, response, options) != kHttpOk)
        return std::u16string(kRelayLookupFailureAnswer);
    return DecodeRelayAnswer(response.body);
}

std::u16string RewordLookupMessage(std::u16string_view message, std::u16string_view code,
                                   const StringLoader& loadString) {
    if (message.empty())
        return {};
    const StringLoader& load = loadString ? loadString : StringLoader(DefaultLookupString);
    if (message == u"잘못된 접근입니다.")
        return load(kStringInvalidAccess);
    if (message == u"유효하지않은  선생님 ID 입니다.")  // the service's text has two blanks
        return load(kStringInvalidTeacherId);
    if (message == u"유효하지않은 고유코드 입니다.")
        return load(kStringInvalidUniqueCode);
    if (code == u"1")
        return load(kStringInvalidAccess);
    if (code == u"2")
        return load(kStringInvalidTeacherId);
    return std::u16string(message);
}

void ParseRelayAnswer(std::u16string_view answer, RelayLookupFields& fields, const StringLoader& loadString) {
    fields = RelayLookupFields{};
    // Keys in the order they are tried; each line sets at most one field.
    const std::array<std::pair<std::u16string_view, std::u16string*>, 5> keys{{
        {u"result:", &fields.result},
        {u"message:", &fields.message},
        {u"code:", &fields.code},
        {u"rsip:", &fields.serverAddress},
        {u"rsport:", &fields.serverPort},
    }};
    size_t start = 0;
    for (;;) {
        const size_t end = answer.find(u'\n', start);
        const std::u16string line = TrimWhiteSpace(answer.substr(start, end - start));
        for (const auto& [key, field] : keys) {
            if (line.compare(0, key.size(), key) != 0)
                continue;
            std::u16string value = line;
            RemoveAll(value, key);
            value = TrimWhiteSpace(value);
            *field = field == &fields.message ? RewordLookupMessage(value, fields.code, loadString) : value;
            break;
        }
        if (end == std::u16string_view::npos)
            break;
        start = end + 1;
    }
}

int RelayLookup(std::u16string_view teacherId, RelayLookupFields& fields, const RelayLookupConfig& config) {
    const std::string host =
        config.serviceHost.empty() ? LoadProductProfile().serviceHost : config.serviceHost;
    const std::uint32_t tick = config.tick ? config.tick() : SystemTickCount();
    const std::u16string answer =
        FetchRelayAnswer(RelayLookupUrl(host), RelayLookupQuery(tick, teacherId), config.http);
    ParseRelayAnswer(answer, fields, config.loadString);
    return 1;
}

}  // namespace orvane
