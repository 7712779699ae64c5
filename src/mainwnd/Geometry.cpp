#include "mainwnd/Geometry.h"

#include <cmath>
#include <cstdlib>

#include "util/Text.h"

namespace orvane {

double ChooseScaleFactor(int screenWidth, int screenHeight, const std::u16string& configured) {
    double scale = 1.0;
    if (screenWidth > 3000 || screenHeight > 3000)
        scale = 2.0;
    else if (screenWidth > 2000 || screenHeight > 2000)
        scale = 1.4;
    // Parsed like the C library's atof: leading number, anything after it ignored, text gives 0.
    const std::string text = WideToUtf8String(configured);
    const double value = std::strtod(text.c_str(), nullptr);
    if (value != 0.0 && std::isfinite(value) && value > 0.0 && value <= 8.0)
        scale = value;
    return scale;
}

int Scaled(int designValue, double scale) {
    // A tiny tolerance keeps 279 x 1.4 = 390.6 and 173 x 2.0 exact despite binary fractions.
    return static_cast<int>(std::floor(designValue * scale + 1e-9));
}

Rect Scaled(const Rect& design, double scale) {
    return {Scaled(design.x, scale), Scaled(design.y, scale), Scaled(design.width, scale),
            Scaled(design.height, scale)};
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
