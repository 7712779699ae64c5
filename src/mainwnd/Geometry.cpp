#include "mainwnd/Geometry.h"

#include <cmath>
#include <cstdlib>

#include "util/Text.h"

namespace orvane {

double ConfiguredScaleFactor(double automatic, const std::u16string& configured) {
    // Parsed like the C library's atof: leading number, anything after it ignored, text gives 0.
    const std::string text = WideToUtf8String(configured);
    const double value = std::strtod(text.c_str(), nullptr);
    return std::isfinite(value) && value > 0.0 && value <= 8.0 ? value : automatic;
}

Rect RestoreFromCompact(const Rect& compact, int width, int height, int screenWidth, int screenHeight) {
    int left = compact.x < 0 ? 0 : compact.x;
    int top = compact.y < 0 ? 0 : compact.y;
    const int right = left + compact.width;
    const int bottom = top + compact.height;
    if (right > screenWidth - width)
        left = screenWidth - width;
    if (bottom > screenHeight - height)
        top = screenHeight - height;
    return {left, top, width, height};
}

}  // namespace orvane
