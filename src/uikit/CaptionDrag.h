// Dragging a borderless window by its header band: a press in the top `bandHeight()` pixels moves the
// window (through the window manager when there is one, by hand otherwise). Install once on the
// top-level widget; it is owned by that widget. GUI thread only.
#pragma once

#include <QObject>
#include <QPoint>
#include <functional>

class QWidget;

namespace orvane {

class CaptionDrag : public QObject {
  public:
    CaptionDrag(QWidget* window, std::function<int()> bandHeight);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
    std::function<int()> bandHeight_;
    bool dragging_ = false;
    QPoint offset_;
};

}  // namespace orvane
