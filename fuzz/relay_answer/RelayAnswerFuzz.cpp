// The relay lookup's answer as the service (or anyone on the path) may send it: any bytes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "login/RelayLookup.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    orvane::RelayLookupFields fields;
    orvane::ParseRelayAnswer(orvane::DecodeRelayAnswer(body), fields, orvane::DefaultLookupString);
    // Every field is one trimmed line.
    for (const std::u16string* f :
         {&fields.result, &fields.code, &fields.message, &fields.serverAddress, &fields.serverPort}) {
        if (f->find(u'\n') != std::u16string::npos ||
            (!f->empty() && (f->front() == u' ' || f->back() == u' ')))
            std::abort();
    }
    return 0;
}
