#include "protocol/RHInfo.h"

namespace orvane {

void CRHInfo::SetLastHeard(std::chrono::system_clock::time_point when) {
    lastHeardMs_ = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count();
}

std::chrono::system_clock::time_point CRHInfo::LastHeard() const {
    return std::chrono::system_clock::time_point(std::chrono::milliseconds(lastHeardMs_.load()));
}

MonitorRect CRHInfo::Monitor() const {
    std::lock_guard guard(lock);
    return monitor_;
}

void CRHInfo::SetMonitor(const MonitorRect& rect) {
    std::lock_guard guard(lock);
    monitor_ = rect;
}

std::u16string CRHInfo::TeacherVersion() const {
    std::lock_guard guard(lock);
    return teacherVersion_;
}

void CRHInfo::SetTeacherVersion(std::u16string version) {
    std::lock_guard guard(lock);
    teacherVersion_ = std::move(version);
}

bool CRHInfo::ResizeFrameImage(long long width, long long height) {
    if (width < 1 || height < 1 || width > kMaxFrameSide || height > kMaxFrameSide)
        return false;
    const QSize size(static_cast<int>(width), static_cast<int>(height));
    std::lock_guard guard(lock);
    if (frameImage.size() == size)
        return true;
    QImage image(size, QImage::Format_RGB32);
    if (image.isNull())
        return false;
    image.fill(Qt::black);
    frameImage = std::move(image);
    return true;
}

int HalvedTileSide(int side) {
    while (side >= 200 && side % 2 == 0)
        side /= 2;
    return side;
}

}  // namespace orvane
