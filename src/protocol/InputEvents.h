// One queued pointer or key event of remote control, as it travels in the mouse-events and
// key-events packets (16 and 14 bytes on the wire).
#pragma once

#include <cstdint>

namespace orvane {

struct MouseEventRecord {
    std::uint16_t message = 0;  // window message number of the event
    std::int32_t flags = 0;     // button and modifier state (MK_ bits)
    std::int32_t x = 0;         // remote desktop coordinates
    std::int32_t y = 0;
    std::int16_t wheelDelta = 0;
    bool operator==(const MouseEventRecord&) const = default;
};

struct KeyEventRecord {
    std::uint16_t message = 0;  // WM_KEYDOWN (0x100) or WM_KEYUP (0x101)
    std::int32_t virtualKey = 0;
    std::int32_t repeatCount = 0;
    std::int32_t flags = 0;  // bits 16 to 31 of the key message's lParam
    bool operator==(const KeyEventRecord&) const = default;
};

}  // namespace orvane
