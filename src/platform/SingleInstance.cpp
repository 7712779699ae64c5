#include "platform/SingleInstance.h"

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <cstdio>
#include <cstring>

namespace orvane {

SingleInstanceLock::SingleInstanceLock(std::string key) : key_(std::move(key)) {}

SingleInstanceLock::~SingleInstanceLock() {
    Release();
}

bool SingleInstanceLock::Acquire() {
    if (fd_ >= 0)
        return true;
    // Close-on-exec: a helper process the program starts must not keep the program's lock.
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return true;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const size_t length = std::min(key_.size(), sizeof address.sun_path - 1);
    address.sun_path[0] = '\0';  // abstract namespace
    std::memcpy(address.sun_path + 1, key_.data(), length);
    const auto size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
    if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), size) != 0) {
        const int error = errno;
        ::close(fd);
        return error != EADDRINUSE;
    }
    fd_ = fd;
    return true;
}

void SingleInstanceLock::Release() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
}

std::string SingleInstanceLock::KeyForExecutable(const std::string& executablePath) {
    // FNV-1a of the full path keeps the name short whatever the install folder is called.
    uint64_t hash = 1469598103934665603ull;
    for (unsigned char c : executablePath) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    const size_t slash = executablePath.rfind('/');
    std::string name = slash == std::string::npos ? executablePath : executablePath.substr(slash + 1);
    if (name.size() > 48)
        name.resize(48);
    char hex[17];
    std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(hash));
    return "orvane-instance:" + name + ":" + hex;
}

}  // namespace orvane
