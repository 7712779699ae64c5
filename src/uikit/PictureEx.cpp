#include "uikit/PictureEx.h"

#include <QPainter>
#include <chrono>

#include "uikit/GifFile.h"

namespace orvane {

CPictureEx::CPictureEx(QWidget* parent) : QWidget(parent), background_(palette().color(QPalette::Button)) {
    setAttribute(Qt::WA_OpaquePaintEvent);
}

CPictureEx::~CPictureEx() {
    Stop();
}

bool CPictureEx::Load(const QByteArray& bytes) {
    UnLoad();
    const std::span<const uint8_t> data(reinterpret_cast<const uint8_t*>(bytes.constData()),
                                        static_cast<size_t>(bytes.size()));
    if (HasGifSignature(data)) {
        if (auto gif = ParseGif(data); gif && gif->frames.size() > 1) {
            QRect extent;
            for (const GifFrame& f : gif->frames) {
                QImage image = QImage::fromData(f.file.data(), static_cast<int>(f.file.size()), "GIF");
                if (image.isNull())
                    continue;
                image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
                extent |= QRect(QPoint(f.left, f.top), image.size());
                frames_.push_back({std::move(image), QPoint(f.left, f.top), f.delay, f.disposal});
            }
            pictureSize_ = gif->width > 0 && gif->height > 0 ? QSize(gif->width, gif->height)
                                                             : QSize(extent.right() + 1, extent.bottom() + 1);
            if (frames_.size() > 1)
                return true;
            if (frames_.size() == 1) {
                frames_.front().offset = QPoint();
                pictureSize_ = frames_.front().image.size();
                return true;
            }
            frames_.clear();
        }
    }
    QImage whole = QImage::fromData(bytes);
    if (whole.isNull())
        return false;
    pictureSize_ = whole.size();
    frames_.push_back({whole.convertToFormat(QImage::Format_ARGB32_Premultiplied), QPoint(), 0, 0});
    return true;
}

void CPictureEx::UnLoad() {
    Stop();
    frames_.clear();
    pictureSize_ = QSize();
    std::lock_guard lock(canvasLock_);
    canvas_ = QImage();
    previous_ = QImage();
}

void CPictureEx::SetBackgroundColor(const QColor& color) {
    background_ = color;
}

std::vector<int> CPictureEx::FrameDisplayTimes() const {
    std::vector<int> times;
    for (const Frame& f : frames_)
        times.push_back(FrameDisplayMs(f.delay));
    return times;
}

bool CPictureEx::Draw() {
    if (frames_.empty())
        return false;
    Stop();
    resize(pictureSize_);
    {
        std::lock_guard lock(canvasLock_);
        canvas_ = QImage(pictureSize_, QImage::Format_ARGB32_Premultiplied);
        canvas_.fill(background_);
    }
    if (frames_.size() == 1) {
        ShowFrame(0);
        return true;
    }
    {
        std::lock_guard lock(stateLock_);
        stop_ = false;
        finished_ = false;
    }
    thread_ = std::thread([this] { Animate(); });
    return true;
}

void CPictureEx::Stop() {
    if (!thread_.joinable())
        return;
    std::unique_lock lock(stateLock_);
    stop_ = true;
    wake_.notify_all();
    wake_.wait_for(lock, std::chrono::milliseconds(5000), [this] { return finished_; });
    lock.unlock();
    thread_.join();
    lock.lock();
    stop_ = false;
}

int CPictureEx::ShowFrame(size_t index) {
    if (index >= frames_.size())
        return 0;
    const Frame& frame = frames_[index];
    {
        std::lock_guard lock(canvasLock_);
        if (canvas_.size() != pictureSize_) {
            canvas_ = QImage(pictureSize_, QImage::Format_ARGB32_Premultiplied);
            canvas_.fill(background_);
        }
        if (frame.disposal == 3)
            previous_ = canvas_.copy(QRect(frame.offset, frame.image.size()));
        QPainter painter(&canvas_);
        painter.drawImage(frame.offset, frame.image);
    }
    RequestRepaint();
    return FrameDisplayMs(frame.delay);
}

void CPictureEx::DisposeFrame(size_t index) {
    if (index >= frames_.size())
        return;
    const Frame& frame = frames_[index];
    std::lock_guard lock(canvasLock_);
    QPainter painter(&canvas_);
    if (frame.disposal == 2) {
        painter.fillRect(QRect(frame.offset, frame.image.size()), background_);
    } else if (frame.disposal == 3 && !previous_.isNull()) {
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawImage(frame.offset, previous_);
    }
}

void CPictureEx::ClearToBackground() {
    // No repaint of its own: the first frame follows at once and repaints.
    std::lock_guard lock(canvasLock_);
    canvas_.fill(background_);
}

QImage CPictureEx::Snapshot() const {
    std::lock_guard lock(canvasLock_);
    return canvas_.copy();
}

void CPictureEx::Animate() {
    bool stopped = false;
    while (!stopped) {
        for (size_t i = 0; i < frames_.size() && !stopped; ++i) {
            stopped = WaitOrStop(ShowFrame(i));
            if (!stopped)
                DisposeFrame(i);
        }
        if (!stopped)
            ClearToBackground();
    }
    std::lock_guard lock(stateLock_);
    finished_ = true;
    wake_.notify_all();
}

bool CPictureEx::WaitOrStop(int ms) {
    std::unique_lock lock(stateLock_);
    return wake_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return stop_; });
}

void CPictureEx::RequestRepaint() {
    // Queued so that painting stays on the GUI thread; dropped if the control is gone by then
    // (the destructor joins the thread first, so no call is made after that).
    QMetaObject::invokeMethod(
        this, [this] { update(); }, Qt::QueuedConnection);
}

void CPictureEx::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    std::lock_guard lock(canvasLock_);
    if (canvas_.isNull())
        painter.fillRect(rect(), background_);
    else
        painter.drawImage(0, 0, canvas_);
}

}  // namespace orvane
