// The process-wide UI scale and the look shared by every custom-drawn window.
//
// g_scaleFactor is written once by the main window's initialisation (main thread), before the windows
// that read it are made; every size of a custom-drawn window is a design number times the factor,
// rounded down.
#pragma once

#include <QColor>
#include <QFont>
#include <QRect>
#include <QSize>

class QWidget;

namespace orvane {

extern double g_scaleFactor;

// floor(base × g_scaleFactor). Decimal factors such as 1.4 are not exact in binary, so a product
// that is meant to be whole (5 × 1.4 = 7) is nudged up by far less than a pixel before rounding down.
int Scaled(int base);
QSize Scaled(int width, int height);
QRect Scaled(int x, int y, int width, int height);

// The factor the main window chooses from the primary screen: 2.0 when its width or height exceeds
// 3000 pixels, 1.4 above 2000, else 1.0.
double ScaleForScreen(int width, int height);

// A font of face string 2607 ("굴림", which resolves to NanumGothic) with a pixel height of
// floor(baseHeight × g_scaleFactor).
QFont UiFont(int baseHeight, bool bold);

// Moves a top-level window to the centre of the primary screen.
void CenterOnDesktop(QWidget* window);

// The colours of the dark windows.
inline constexpr QColor kClientColor{29, 36, 52};
inline constexpr QColor kBandColor{24, 30, 43};
inline constexpr QColor kCaptionTextColor{3, 207, 227};

}  // namespace orvane
