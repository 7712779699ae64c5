#include "uikit/CaptionDrag.h"

#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

namespace orvane {

CaptionDrag::CaptionDrag(QWidget* window, std::function<int()> bandHeight)
    : QObject(window), window_(window), bandHeight_(std::move(bandHeight)) {
    window->installEventFilter(this);
}

bool CaptionDrag::eventFilter(QObject* watched, QEvent* event) {
    if (watched != window_)
        return false;
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* mouse = static_cast<QMouseEvent*>(event);
            if (mouse->button() != Qt::LeftButton || mouse->position().y() >= bandHeight_())
                return false;
            if (window_->windowHandle() && window_->windowHandle()->startSystemMove())
                return true;
            dragging_ = true;
            offset_ = mouse->globalPosition().toPoint() - window_->frameGeometry().topLeft();
            return true;
        }
        case QEvent::MouseMove:
            if (!dragging_)
                return false;
            window_->move(static_cast<QMouseEvent*>(event)->globalPosition().toPoint() - offset_);
            return true;
        case QEvent::MouseButtonRelease:
            if (!dragging_)
                return false;
            dragging_ = false;
            return true;
        default:
            return false;
    }
}

}  // namespace orvane
