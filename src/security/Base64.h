// Standard Base64 (RFC 4648 alphabet, "=" padding, no line breaks). Thread-safe.
#pragma once

#include <cstddef>
#include <string>

namespace orvane {

std::string ToBase64(const void* bytes, std::size_t count);

}  // namespace orvane
