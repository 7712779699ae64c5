// Settings files come from disk and may have been edited or damaged by anything: the encoding
// detection, the profile reader and the one-key writer must take any bytes.
#include <cstdint>
#include <string>

#include "app/IniFile.h"
#include "platform/PrivateProfile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    orvane::DetectTextEncodingOfBytes(bytes);
    orvane::ReadProfileStringFromBytes(bytes, u"default", u"rsip", u"0.0.0.0");
    const std::string written = orvane::WriteProfileStringToBytes(bytes, u"default", u"rsport", u"10240");
    // A write never loses the bytes it did not touch: the file can only grow or change one line.
    if (orvane::ReadProfileStringFromBytes(written, u"default", u"rsport", u"") != u"10240" &&
        bytes.find('\0') == std::string::npos && bytes.size() > 0 && bytes[0] != '\xFE' &&
        bytes[0] != '\xFF') {
        // Byte-encoded files always read back what was written.
        __builtin_trap();
    }
    return 0;
}
