// The process-wide cipher secrets: the text-packet password and the key text of the connection
// password answer. Start-up fills them from product.ini before any thread that sends or receives
// starts; until then (and in tests and tools) they hold the built-in defaults, which are also the
// defaults of the deployment profile. Readable from any thread.
#pragma once

#include <string>
#include <string_view>

namespace orvane {

// 11 lowercase letters followed by 4 punctuation characters.
inline constexpr std::u16string_view kDefaultPacketPassword = u"tavelonpadr!@#$";
// 32 printable ASCII characters.
inline constexpr std::u16string_view kDefaultAesKeyText = u"orvane-classroom-demo-aes-key-32";

void SetPacketPassword(std::u16string_view password);
std::u16string PacketPassword();
// The packet password as the cipher hashes it: its UTF-16LE code units.
std::string PacketPasswordBytes();

void SetAesKeyText(std::u16string_view keyText);
// The key text as the cipher hashes it: its UTF-8 bytes (its ASCII bytes for a proper key text).
std::string AesKeyBytes();

}  // namespace orvane
