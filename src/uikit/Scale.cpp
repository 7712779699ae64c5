#include "uikit/Scale.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <cmath>

#include "app/Language.h"

namespace orvane {

double g_scaleFactor = 1.0;

int Scaled(int base) {
    return static_cast<int>(std::floor(base * g_scaleFactor + 1e-6));
}

QSize Scaled(int width, int height) {
    return {Scaled(width), Scaled(height)};
}

QRect Scaled(int x, int y, int width, int height) {
    return {Scaled(x), Scaled(y), Scaled(width), Scaled(height)};
}

double ScaleForScreen(int width, int height) {
    if (width > 3000 || height > 3000)
        return 2.0;
    if (width > 2000 || height > 2000)
        return 1.4;
    return 1.0;
}

QFont UiFont(int baseHeight, bool bold) {
    static const bool substituted = [] {
        // The Windows faces the string table names, mapped onto the Korean face we ship with.
        const QStringList faces = {QStringLiteral("NanumGothic"), QStringLiteral("Noto Sans CJK KR"),
                                   QStringLiteral("DejaVu Sans")};
        for (const char16_t* name : {u"굴림", u"Gulim", u"굴림체", u"GulimChe"})
            QFont::insertSubstitutions(QString::fromUtf16(name), faces);
        return true;
    }();
    (void)substituted;
    QString face = Str(2607);
    if (face.isEmpty())
        face = QString::fromUtf16(u"굴림");
    QFont font(face);
    font.setPixelSize(std::max(1, Scaled(baseHeight)));
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

void CenterOnDesktop(QWidget* window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen || !window)
        return;
    const QRect area = screen->availableGeometry();
    const QSize size = window->frameSize().isValid() ? window->frameSize() : window->size();
    window->move(area.x() + (area.width() - size.width()) / 2,
                 area.y() + (area.height() - size.height()) / 2);
}

}  // namespace orvane
