// The relay lookup: asks the product's web service for the address and port of the login server that
// serves a teacher ID, and reads its small line answer into the five fields the login dialog decides on.
//
// Thread: the caller's (the login dialog's, on the GUI thread); a lookup blocks for up to two requests,
// pumping through the HTTP options when the caller gives a pump. Everything in the answer comes from the
// network and is only ever stored as text.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

#include "login/HttpClient.h"

namespace orvane {

inline constexpr std::u16string_view kRelayLookupPath = u"/tavl/rsinfo/checkRsInfo.jsp";
// Stands in for the answer when the service cannot be reached over HTTPS or HTTP.
inline constexpr std::u16string_view kRelayLookupFailureAnswer =
    u"result:false\ncode:404\nmessage:Failed to access to the URL page.";

// Ids of the texts a service message is reworded to.
inline constexpr int kStringInvalidAccess = 1113;
inline constexpr int kStringInvalidTeacherId = 1114;
inline constexpr int kStringInvalidUniqueCode = 1115;

// Loads a user-visible text by string id (the language resources).
using StringLoader = std::function<std::u16string(int id)>;
// The built-in Korean texts of the ids above (empty for any other id).
std::u16string DefaultLookupString(int id);

struct RelayLookupFields {
    std::u16string result;         // "false" marks a failure; anything else, empty included, is success
    std::u16string code;           // failure code; "404": the service could not be reached
    std::u16string message;        // failure text, already reworded for the user
    std::u16string serverAddress;  // login server: IPv4 address or host name ("rsip:")
    std::u16string serverPort;     // login server: decimal TCP port ("rsport:")
};

struct RelayLookupConfig {
    // Host or host:port of the web service; empty reads service_host from product.ini in the program folder.
    std::string serviceHost;
    // Millisecond tick of the request; the system's when empty.
    std::function<std::uint32_t()> tick;
    // Texts of the rewording; the built-in Korean ones when empty.
    StringLoader loadString;
    HttpOptions http;
};

// Milliseconds since the system started (suspend included), as a 32-bit counter that wraps.
std::uint32_t SystemTickCount();

// "https://" + host + kRelayLookupPath.
std::u16string RelayLookupUrl(std::string_view serviceHost);
// "val1=<tick as signed 32-bit decimal>&val2=<md5 hex of CP949 'val1.teacherId'>&val3=<teacherId>".
std::u16string RelayLookupQuery(std::uint32_t tick, std::u16string_view teacherId);

// The answer text of a body: CP949 bytes up to the first zero byte, trimmed.
std::u16string DecodeRelayAnswer(std::string_view body);
// Fetches the answer over HTTPS, then once over plain HTTP; the failure answer when both fail.
std::u16string FetchRelayAnswer(std::u16string_view url, std::u16string_view query,
                                const HttpOptions& options);

// Empties the fields, then reads the answer's lines ("result:", "message:", "code:", "rsip:", "rsport:";
// a later line overwrites an earlier one; other lines are ignored). A message is reworded as it is read,
// with the code read so far.
void ParseRelayAnswer(std::u16string_view answer, RelayLookupFields& fields, const StringLoader& loadString);

// The text shown for a service message: the three known service texts and the codes "1" and "2" become
// the local strings 1113-1115; anything else stays as received; an empty message stays empty.
std::u16string RewordLookupMessage(std::u16string_view message, std::u16string_view code,
                                   const StringLoader& loadString);

// Runs the whole lookup for an already checked teacher ID. Always returns 1: success or failure is read
// from the fields.
int RelayLookup(std::u16string_view teacherId, RelayLookupFields& fields,
                const RelayLookupConfig& config = {});

}  // namespace orvane
