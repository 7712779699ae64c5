#include "protocol/ByteStream.h"

namespace orvane {

ByteStream::Result ByteStream::ReadExact(void* buffer, std::size_t count) {
    auto* p = static_cast<unsigned char*>(buffer);
    while (count > 0) {
        std::size_t got = 0;
        const Result r = ReadSome(p, count, got);
        if (r != Result::kOk)
            return r;
        // A read that makes no progress is the peer's end; never spin on it.
        if (got == 0 || got > count)
            return got == 0 ? Result::kEndOfStream : Result::kError;
        p += got;
        count -= got;
    }
    return Result::kOk;
}

ByteStream::Result ByteStream::WriteAll(const void* data, std::size_t count) {
    const auto* p = static_cast<const unsigned char*>(data);
    while (count > 0) {
        std::size_t put = 0;
        const Result r = WriteSome(p, count, put);
        if (r != Result::kOk)
            return r;
        if (put == 0 || put > count)
            return Result::kError;
        p += put;
        count -= put;
    }
    return Result::kOk;
}

}  // namespace orvane
