#include "uikit/ImageButton.h"

#include <QKeyEvent>
#include <QPainter>

#include "app/Language.h"

namespace orvane {

CImageButton::CImageButton(QWidget* parent) : QAbstractButton(parent) {
    setAttribute(Qt::WA_Hover);
    setFocusPolicy(Qt::StrongFocus);
}

void CImageButton::SetBitmaps(int normal, int hover, int disabled, int checked) {
    ids_ = {normal, hover, disabled, checked};
    for (QPixmap& p : cache_)
        p = QPixmap();
    bitmapSize_ = ImageDesignSize(normal);
    update();
}

void CImageButton::SetTooltip(const QString& text) {
    setToolTip(text);
}

CImageButton::Look CImageButton::CurrentLook() const {
    if (!isEnabled())
        return Look::Disabled;
    if (isCheckable() && isChecked())
        return Look::Checked;
    if (hover_)
        return Look::Hover;
    return Look::Normal;
}

QSize CImageButton::sizeHint() const {
    return bitmapSize_.isValid() ? bitmapSize_ : QSize(16, 16);
}

void CImageButton::paintEvent(QPaintEvent*) {
    const size_t look = static_cast<size_t>(CurrentLook());
    QPixmap& picture = cache_[look];
    if (picture.size() != size() && ids_[look] != 0) {
        const QImage image = RenderImage(ids_[look], size());
        picture = QPixmap::fromImage(image);
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, stretchMode_ != 3);
    if (!picture.isNull())
        painter.drawPixmap(rect(), picture);
    if (hasFocus() && window()->testAttribute(Qt::WA_KeyboardFocusChange)) {
        // A keyboard user needs to see which button Enter or Space would press.
        QPen pen(QColor(3, 207, 227, 170), 1, Qt::DotLine);
        painter.setPen(pen);
        painter.drawRect(rect().adjusted(2, 2, -3, -3));
    }
}

void CImageButton::enterEvent(QEnterEvent* event) {
    hover_ = true;
    update();
    QAbstractButton::enterEvent(event);
}

void CImageButton::leaveEvent(QEvent* event) {
    hover_ = false;
    update();
    QAbstractButton::leaveEvent(event);
}

bool CImageButton::event(QEvent* event) {
    // Alt+F4 on a button must not close the window it sits in.
    if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_F4 && (key->modifiers() & Qt::AltModifier)) {
            event->accept();
            return true;
        }
    }
    return QAbstractButton::event(event);
}

}  // namespace orvane
