// The byte stream that packets are transferred over: a connected TCP socket in the program, a
// fake with fault switches in the tests. One thread uses a stream at a time (the thread that owns
// the socket). Implementations decide how long a read may wait; a read that waits too long must
// report kTimedOut, never block forever, so a peer that sends half a packet and stalls cannot
// freeze its reader.
#pragma once

#include <cstddef>

namespace orvane {

class ByteStream {
  public:
    enum class Result { kOk, kEndOfStream, kError, kTimedOut };

    virtual ~ByteStream() = default;

    // Reads exactly `count` bytes; anything but kOk leaves the buffer's contents unspecified.
    // The default loops over ReadSome.
    virtual Result ReadExact(void* buffer, std::size_t count);
    // Writes all `count` bytes, in order. The default loops over WriteSome.
    virtual Result WriteAll(const void* data, std::size_t count);

    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;

  protected:
    // One read of at most `max` bytes (at least one on kOk); end of stream when the peer closed.
    virtual Result ReadSome(void* buffer, std::size_t max, std::size_t& got) = 0;
    // One write of at most `count` bytes (at least one on kOk).
    virtual Result WriteSome(const void* data, std::size_t count, std::size_t& put) = 0;
};

}  // namespace orvane
