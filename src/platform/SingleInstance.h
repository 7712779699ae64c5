// At most one running copy of a program: the copy that holds the lock runs, later copies see it held.
// The lock is an abstract-namespace Unix socket name, which the kernel frees when the holding process
// ends in any way (a crash or kill -9 included), so a dead copy never blocks the next start. No file
// is left behind. Main thread only.
#pragma once

#include <string>

namespace orvane {

class SingleInstanceLock {
  public:
    explicit SingleInstanceLock(std::string key);
    ~SingleInstanceLock();
    SingleInstanceLock(const SingleInstanceLock&) = delete;
    SingleInstanceLock& operator=(const SingleInstanceLock&) = delete;

    // True when this process now holds the lock (or already did). False when another process (or
    // another lock object) holds it. When the system cannot make the socket at all, the copy is
    // admitted: a broken lock must not keep the teacher from starting the program.
    bool Acquire();
    void Release();
    bool Held() const { return fd_ >= 0; }

    const std::string& Key() const { return key_; }

    // The key of an executable image: every copy started from the same file shares it.
    static std::string KeyForExecutable(const std::string& executablePath);

  private:
    std::string key_;
    int fd_ = -1;
};

}  // namespace orvane
