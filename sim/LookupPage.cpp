#include "sim/LookupPage.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

#include "security/MD5Hash.h"
#include "util/Text.h"

namespace orvane::sim {
namespace {

// "%d" of a signed 32-bit number: an optional minus and decimal digits, no leading zeros.
bool IsTickCount(const std::string& text) {
    std::size_t i = text.size() > 1 && text[0] == '-' ? 1 : 0;
    if (i >= text.size() || text.size() - i > 10)
        return false;
    if (text[i] == '0' && text.size() - i > 1)
        return false;
    for (std::size_t k = i; k < text.size(); ++k)
        if (text[k] < '0' || text[k] > '9')
            return false;
    errno = 0;
    const long long value = std::strtoll(text.c_str(), nullptr, 10);
    return errno == 0 && value >= INT_MIN && value <= INT_MAX && text != "-0";
}

std::string FailureBody(const std::string& code, const std::string& message, bool messageFirst) {
    std::string body = "result:false\n";
    const std::string codeLine = code.empty() ? std::string() : "code:" + code + "\n";
    const std::string messageLine = "message:" + message + "\n";
    body += messageFirst ? messageLine + codeLine : codeLine + messageLine;
    return body;
}

}  // namespace

std::string LookupSignature(const std::string& val1, const std::string& teacherIdUtf8) {
    return Md5Hex(val1 + "." + WideToAnsi(Utf8StringToWide(teacherIdUtf8)));
}

LookupResult AnswerLookup(const LookupRequest& request, const SimOptions& options, int loginPort) {
    LookupResult result;
    result.expectedVal2 = LookupSignature(request.val1, request.val3);
    if (!IsTickCount(request.val1))
        result.problem = "val1 is not a signed 32-bit decimal number";
    else if (request.val3.empty())
        result.problem = "val3 (teacher ID) is empty";
    else if (request.val2 != result.expectedVal2)
        result.problem = "val2 does not match MD5(val1 \".\" teacher ID)";
    result.requestValid = result.problem.empty();
    result.teacherKnown = options.teacherId.empty() || options.teacherId == request.val3;

    std::string text;
    if (!result.requestValid) {
        text = FailureBody("1", "잘못된 접근입니다.", false);
    } else if (!result.teacherKnown) {
        text = FailureBody("2", "유효하지않은  선생님 ID 입니다.", false);
    } else if (options.lookupAnswer == LookupAnswer::kFailure) {
        text = FailureBody(options.lookupCode, options.lookupMessage, options.lookupMessageFirst);
    } else if (options.lookupAnswer == LookupAnswer::kNoAddress) {
        text = "result:true\n";
    } else {
        text = "result:true\nrsip:127.0.0.1\nrsport:" + std::to_string(loginPort) + "\n";
    }
    if (options.lookupCrLf) {
        std::string crlf;
        for (char c : text)
            crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
        text = crlf;
    }
    result.bodyUtf8 = text;
    result.body = WideToAnsi(Utf8StringToWide(text));
    return result;
}

}  // namespace orvane::sim
