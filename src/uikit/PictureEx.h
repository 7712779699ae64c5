// CPictureEx: a static picture control that shows a picture from a memory block and animates a GIF
// with several images on a thread of its own.
//
// Threads: created, loaded, drawn and destroyed on the GUI thread. The animation thread only draws into
// the control's memory image (under its lock) and asks the GUI thread to repaint; Stop() and the
// destructor end it.
#pragma once

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPoint>
#include <QWidget>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

namespace orvane {

class CPictureEx : public QWidget {
  public:
    explicit CPictureEx(QWidget* parent = nullptr);
    ~CPictureEx() override;

    // A GIF (87a or 89a) with several images becomes one frame per image; a one-image GIF or any
    // other picture format Qt reads becomes a single frame. False when nothing could be decoded.
    bool Load(const QByteArray& bytes);
    // Sizes the control to the picture, draws the first frame and starts the animation when there
    // are several frames.
    bool Draw();
    // Ends the animation: signals the thread and waits for it (it never blocks on anything but its
    // own wake-up, so the wait is short; at most 5 s is allowed before it is joined regardless).
    void Stop();
    void UnLoad();

    // The colour under transparent pixels and after the last frame; the system's button face by default.
    void SetBackgroundColor(const QColor& color);

    QSize PictureSize() const { return pictureSize_; }
    size_t FrameCount() const { return frames_.size(); }
    // Each frame's time on screen in ms, by the delay rule of FrameDisplayMs.
    std::vector<int> FrameDisplayTimes() const;
    bool IsAnimating() const { return thread_.joinable(); }

    // The animation's steps, run by the thread; exposed so the disposal rules can be checked frame by
    // frame without a thread. ShowFrame returns the frame's time on screen.
    int ShowFrame(size_t index);
    void DisposeFrame(size_t index);
    void ClearToBackground();
    QImage Snapshot() const;

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    struct Frame {
        QImage image;
        QPoint offset;
        int delay = 0;
        int disposal = 0;
    };

    void Animate();
    // True when stop was signalled during the wait.
    bool WaitOrStop(int ms);
    void RequestRepaint();

    std::vector<Frame> frames_;
    QSize pictureSize_;
    QColor background_;

    mutable std::mutex canvasLock_;  // canvas_ and previous_
    QImage canvas_;
    QImage previous_;  // the area under a frame whose disposal restores the previous picture

    std::thread thread_;
    std::mutex stateLock_;  // stop_, finished_
    std::condition_variable wake_;
    bool stop_ = false;
    bool finished_ = false;
};

}  // namespace orvane
