#include "protocol/PacketMailbox.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cstdint>

namespace orvane {

PacketMailbox::PacketMailbox(Handler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)), wakeFd_(::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (wakeFd_ >= 0) {
        notifier_ = new QSocketNotifier(wakeFd_, QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, [this] { Drain(); });
    }
}

PacketMailbox::~PacketMailbox() {
    if (notifier_)
        notifier_->setEnabled(false);
    if (wakeFd_ >= 0)
        ::close(wakeFd_);
}

void PacketMailbox::Post(std::unique_ptr<CPacket> packet) {
    if (!packet || wakeFd_ < 0)
        return;
    {
        std::lock_guard guard(lock_);
        queue_.push_back(std::move(packet));
    }
    const std::uint64_t one = 1;
    // A full counter still wakes the reader; nothing is lost by a failed write.
    [[maybe_unused]] const ssize_t written = ::write(wakeFd_, &one, sizeof one);
}

void PacketMailbox::Drain() {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(wakeFd_, &count, sizeof count);
    std::deque<std::unique_ptr<CPacket>> packets;
    {
        std::lock_guard guard(lock_);
        packets.swap(queue_);
    }
    for (auto& packet : packets)
        handler_(std::move(packet));
}

}  // namespace orvane
