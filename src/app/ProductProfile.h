// The deployment profile product.ini in the program folder (UTF-8, section [product], read-only):
// the constants that must match the peers. Every key is optional; the built-in defaults match the
// simulated classroom's defaults.
#pragma once

#include <string>

#include "security/CryptSettings.h"

namespace orvane {

struct ProductProfile {
    // Host or host:port of the product's web service (relay lookup and update pages). The simulated
    // classroom serves HTTPS and plain HTTP on this one port.
    std::string serviceHost = "127.0.0.1:48080";
    // Password of the enciphered text packets: 11 lowercase letters and 4 punctuation characters.
    std::u16string packetPassword{kDefaultPacketPassword};
    // Key text of the connection password answer: 32 characters.
    std::u16string aesKey{kDefaultAesKeyText};
};

// Reads product.ini from `folder` (the program folder when empty); missing keys keep their defaults.
ProductProfile LoadProductProfile(const std::string& folder = {});
// The same from the file's bytes (for tests and the simulated classroom).
ProductProfile ParseProductProfile(const std::string& bytes);
// The text of a product.ini that holds `profile`.
std::string FormatProductProfile(const ProductProfile& profile);

}  // namespace orvane
