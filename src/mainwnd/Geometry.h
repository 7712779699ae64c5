// Pure geometry of the main window: the display scale, the design rectangles and the compact icon's
// way back inside the screen. No Qt types, so the rules can be tested without a display.
#pragma once

#include <optional>
#include <string>

namespace orvane {

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
    bool operator==(const Rect&) const = default;
};

// The display scale: `automatic` (from the primary screen's size) unless config.ini's scalefactor
// parses as a usable non-zero number.
double ConfiguredScaleFactor(double automatic, const std::u16string& configured);

// Main window design sizes.
inline constexpr int kMainWidth = 173;
inline constexpr int kMainHeight = 279;
inline constexpr int kCompactSize = 70;
inline constexpr int kHeaderBand = 38;

// Where the expanded window goes when the compact icon at `compact` is tapped: negative edges become
// 0, and the restored `width` x `height` window is pulled back inside the screen.
Rect RestoreFromCompact(const Rect& compact, int width, int height, int screenWidth, int screenHeight);

// A press shorter than this on the compact icon is a tap (restore); longer only drags.
inline constexpr int kTapMilliseconds = 200;

}  // namespace orvane
