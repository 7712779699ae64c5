// The relay lookup page "/tavl/rsinfo/checkRsInfo.jsp": checks the pad's signed request and answers
// where the login server is. Pure functions; the web service calls them on the main thread.
#pragma once

#include <string>

#include "sim/SimOptions.h"

namespace orvane::sim {

inline constexpr const char* kLookupPath = "/tavl/rsinfo/checkRsInfo.jsp";

// What the pad sends: val1 (its tick count, "%d"), val2 (the signature), val3 (the teacher ID).
// Values are already percent-decoded; val3 is UTF-8 as the pad's query encoding makes it.
struct LookupRequest {
    std::string val1;
    std::string val2;
    std::string val3;
};

// The signature the pad computes: MD5, in lowercase hex, of val1 "." teacher ID with the teacher ID
// in CP949 (characters without a mapping become "?").
std::string LookupSignature(const std::string& val1, const std::string& teacherIdUtf8);

struct LookupResult {
    bool requestValid = false;  // val1 a 32-bit decimal, val2 the right signature, val3 present
    bool teacherKnown = false;
    std::string problem;  // why the request was refused (for the log), empty when valid
    std::string expectedVal2;
    std::string bodyUtf8;  // the answer as text (for the log)
    std::string body;      // the answer as sent: CP949 bytes
};

// `loginPort`: the port the answer names (the login server's, or an unused one).
LookupResult AnswerLookup(const LookupRequest& request, const SimOptions& options, int loginPort);

}  // namespace orvane::sim
