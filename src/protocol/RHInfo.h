// CRHInfo, the remote-host record: what the pad knows about the podium PC's desktop and teacher
// program. The session (main thread) fills it from the handshake and the podium PC's status
// messages; during remote control the control thread, its receive thread and the view window read
// it, and the receive thread writes the same status fields and copies tiles into the frame image.
//
// Threads: the numbers are atomics; the teacher version, the monitor rectangle and the frame image
// are guarded by `lock`, which is never held while another lock is taken.
#pragma once

#include <QImage>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>

namespace orvane {

class CControlThread;
class CViewThread;

struct MonitorRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    // Wide enough for any two 32-bit edges the podium PC may report.
    long long width() const { return static_cast<long long>(right) - left; }
    long long height() const { return static_cast<long long>(bottom) - top; }
    bool operator==(const MonitorRect&) const = default;
};

class CRHInfo {
  public:
    // The frame image never grows beyond this on either side (8K monitors fit), whatever the
    // podium PC reports: its numbers come from the network.
    static constexpr int kMaxFrameSide = 8192;

    CRHInfo() = default;
    virtual ~CRHInfo() = default;
    CRHInfo(const CRHInfo&) = delete;
    CRHInfo& operator=(const CRHInfo&) = delete;

    // Used in the titles of the remote-control windows; nothing sets it.
    std::u16string name;

    // The running remote-control threads; null while remote control is off. Each thread clears
    // its own slot when it ends.
    std::atomic<CViewThread*> viewThread{nullptr};
    std::atomic<CControlThread*> controlThread{nullptr};

    // When the podium PC was last heard from (keep-alive answer, frame, acceptance), on the
    // session's clock.
    void SetLastHeard(std::chrono::system_clock::time_point when);
    std::chrono::system_clock::time_point LastHeard() const;

    std::atomic<int> frameBitsPerPixel{32};
    std::atomic<int> remoteWidth{0}, remoteHeight{0};  // "[RH00001]"
    std::atomic<int> originX{0}, originY{0};           // "[RH00010]"
    std::atomic<int> tileWidth{0}, tileHeight{0};      // "[RH00007]", or chosen by the pad
    std::atomic<int> monitorCount{0};
    std::atomic<int> selectedMonitor{-1};  // 1-based; -1 = the whole desktop
    // Copy of the session mode taken when remote control starts (1 direct, 3 relay); 0 after a
    // lost connection.
    std::atomic<int> mode{-1};
    std::atomic<int> remoteControlActive{0};

    MonitorRect Monitor() const;
    void SetMonitor(const MonitorRect& rect);
    std::u16string TeacherVersion() const;
    void SetTeacherVersion(std::u16string version);

    // A black 32-bit picture of that size, unless the image already has it. Sizes outside
    // 1..kMaxFrameSide leave the image alone and give false.
    bool ResizeFrameImage(long long width, long long height);
    // Guarded by `lock`.
    QImage frameImage;
    mutable std::mutex lock;

  private:
    std::atomic<std::int64_t> lastHeardMs_{0};
    MonitorRect monitor_;
    std::u16string teacherVersion_ = u"0";
};

// The tile side the pad chooses for teacher programs older than "2.0.1.1068": the screen side,
// halved while it is at least 200 and even (1920 gives 120, 1366 gives 683).
int HalvedTileSide(int side);

}  // namespace orvane
