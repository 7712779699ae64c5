// A byte stream over memory with fault switches, for tests and fuzz targets: incoming bytes are
// handed out in chunks of a chosen size (1-byte reads, random sizes, large reads), written bytes
// are collected (optionally in short pieces), and reads or writes can fail, stall or hit the end.
#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <vector>

#include "protocol/ByteStream.h"

namespace orvane::testing {

class FakeByteStream : public ByteStream {
  public:
    explicit FakeByteStream(std::vector<std::uint8_t> incoming = {}) : incoming_(std::move(incoming)) {}

    // ---- fault switches ----
    // Largest piece one read hands out; `nextReadChunk`, when set, chooses each piece instead.
    std::size_t maxReadChunk = SIZE_MAX;
    std::function<std::size_t()> nextReadChunk;
    // Largest piece one write takes (short writes).
    std::size_t maxWriteChunk = SIZE_MAX;
    // Once the incoming bytes are used up: kEndOfStream (the peer closed) or kTimedOut (a stall).
    Result atEnd = Result::kEndOfStream;
    // Reads fail with kError after this many bytes have been read; writes after this many written.
    std::size_t readErrorAfter = SIZE_MAX;
    std::size_t writeErrorAfter = SIZE_MAX;

    // ---- what happened ----
    std::vector<std::uint8_t> written;
    std::size_t bytesRead() const { return position_; }
    std::size_t readCalls = 0;
    std::size_t writeCalls = 0;
    int closeCount = 0;

    void Close() override {
        ++closeCount;
        open_ = false;
    }
    bool IsOpen() const override { return open_; }

  protected:
    Result ReadSome(void* buffer, std::size_t max, std::size_t& got) override {
        ++readCalls;
        got = 0;
        if (!open_ || position_ >= readErrorAfter)
            return Result::kError;
        if (position_ >= incoming_.size())
            return atEnd;
        std::size_t n = nextReadChunk ? std::max<std::size_t>(1, nextReadChunk()) : maxReadChunk;
        n = std::min({n, max, incoming_.size() - position_, readErrorAfter - position_});
        std::memcpy(buffer, incoming_.data() + position_, n);
        position_ += n;
        got = n;
        return Result::kOk;
    }

    Result WriteSome(const void* data, std::size_t count, std::size_t& put) override {
        ++writeCalls;
        put = 0;
        if (!open_ || written.size() >= writeErrorAfter)
            return Result::kError;
        const std::size_t n = std::min({count, maxWriteChunk, writeErrorAfter - written.size()});
        const auto* p = static_cast<const std::uint8_t*>(data);
        written.insert(written.end(), p, p + n);
        put = n;
        return Result::kOk;
    }

  private:
    std::vector<std::uint8_t> incoming_;
    std::size_t position_ = 0;
    bool open_ = true;
};

}  // namespace orvane::testing
