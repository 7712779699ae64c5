// PacketMailbox: packets handed to one thread by others (the packet hand-off of the communication
// window and the capture threads). Any thread posts; the owning thread is woken through an event
// descriptor it watches and gets every packet, in the order each poster posted them. The queue is
// guarded by a standard mutex, so the hand-over stays visible to the thread sanitizer.
//
// Ownership: a posted packet belongs to the mailbox, then to the handler. Posting must stop before
// the mailbox is destroyed (the owner ends its other threads first).
#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>

#include "protocol/Packet.h"

class QSocketNotifier;

namespace orvane {

class PacketMailbox : public QObject {
  public:
    using Handler = std::function<void(std::unique_ptr<CPacket>)>;

    // Lives on, and calls `handler` on, the thread that makes it.
    explicit PacketMailbox(Handler handler, QObject* parent = nullptr);
    ~PacketMailbox() override;
    PacketMailbox(const PacketMailbox&) = delete;
    PacketMailbox& operator=(const PacketMailbox&) = delete;

    // Any thread.
    void Post(std::unique_ptr<CPacket> packet);

  private:
    void Drain();

    Handler handler_;
    int wakeFd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    std::mutex lock_;
    std::deque<std::unique_ptr<CPacket>> queue_;  // guarded by lock_
};

}  // namespace orvane
