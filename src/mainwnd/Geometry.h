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

// The automatic scale of the primary screen: either side above 3000 gives 2.0, above 2000 gives 1.4,
// otherwise 1.0. A configured value (config.ini scalefactor) that parses as a non-zero number wins.
double ChooseScaleFactor(int screenWidth, int screenHeight, const std::u16string& configured);

// A design number times the scale, rounded down.
int Scaled(int designValue, double scale);
Rect Scaled(const Rect& design, double scale);

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
