// Everything the simulated classroom reads from a local client is untrusted: a request head and its
// query, the packet stream, the identification texts and the password answer. One input feeds each
// reader; none may read out of bounds, loop or accept a packet bigger than its bytes.
#include <cstdint>
#include <span>
#include <string>

#include "sim/HttpMessage.h"
#include "sim/LoginServer.h"
#include "sim/LookupPage.h"
#include "sim/PacketLink.h"
#include "sim/PasswordAnswer.h"
#include "sim/RelayServer.h"
#include "util/Text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace orvane;
    using namespace orvane::sim;
    const std::string bytes(reinterpret_cast<const char*>(data), size);

    HttpRequest request;
    std::size_t headLength = 0;
    if (ParseRequestHead(bytes, request, headLength) == HeadStatus::kComplete) {
        if (headLength > bytes.size())
            __builtin_trap();
        const auto query = ParseQuery(request.query);
        const LookupRequest lookup{QueryValue(query, "val1"), QueryValue(query, "val2"),
                                   QueryValue(query, "val3")};
        AnswerLookup(lookup, SimOptions{}, 1);
    }

    std::span<const std::uint8_t> stream(data, size);
    while (true) {
        CPacket packet;
        const PacketCut cut = CutPacket(stream, packet);
        if (cut.status != PacketCut::kPacket)
            break;
        if (cut.size < 9 || cut.size > stream.size())
            __builtin_trap();
        stream = stream.subspan(cut.size);
    }

    const std::u16string text = Utf8StringToWide(bytes);
    CheckLoginIdentification(text, 1234, "teacher01");
    CheckRelayIdentification(text, "1.0.1.1000", "");
    ReadPasswordAnswer(text, "orvane-classroom-demo-aes-key-32");
    ReadPasswordAnswer(u"0," + text, "orvane-classroom-demo-aes-key-32");
    return 0;
}
