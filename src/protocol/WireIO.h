// Little-endian writing and bounds-checked reading of the packet payloads and tile frame blocks.
// The reader never reads past its span: every read reports failure instead, and counts taken from
// the data are checked against what is left (count <= remaining / record size) before use.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace orvane::wire {

class Writer {
  public:
    explicit Writer(std::vector<std::uint8_t>& out) : out_(out) {}

    void U8(std::uint8_t v) { out_.push_back(v); }
    void U16(std::uint16_t v) {
        out_.push_back(static_cast<std::uint8_t>(v));
        out_.push_back(static_cast<std::uint8_t>(v >> 8));
    }
    void U32(std::uint32_t v) {
        for (int shift = 0; shift < 32; shift += 8)
            out_.push_back(static_cast<std::uint8_t>(v >> shift));
    }
    void I16(std::int16_t v) { U16(static_cast<std::uint16_t>(v)); }
    void I32(std::int32_t v) { U32(static_cast<std::uint32_t>(v)); }
    void Bytes(const void* data, std::size_t count) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        out_.insert(out_.end(), p, p + count);
    }
    // UTF-16LE code units, no terminator.
    void Utf16(std::u16string_view text) {
        for (char16_t c : text)
            U16(c);
    }
    std::size_t size() const { return out_.size(); }

  private:
    std::vector<std::uint8_t>& out_;
};

class Reader {
  public:
    Reader(const std::uint8_t* data, std::size_t size) : p_(data), left_(size) {}

    std::size_t remaining() const { return left_; }
    const std::uint8_t* position() const { return p_; }

    bool U8(std::uint8_t& v) {
        if (left_ < 1)
            return false;
        v = *p_;
        Skip(1);
        return true;
    }
    bool U16(std::uint16_t& v) {
        if (left_ < 2)
            return false;
        v = static_cast<std::uint16_t>(p_[0] | (p_[1] << 8));
        Skip(2);
        return true;
    }
    bool U32(std::uint32_t& v) {
        if (left_ < 4)
            return false;
        v = static_cast<std::uint32_t>(p_[0]) | (static_cast<std::uint32_t>(p_[1]) << 8) |
            (static_cast<std::uint32_t>(p_[2]) << 16) | (static_cast<std::uint32_t>(p_[3]) << 24);
        Skip(4);
        return true;
    }
    bool I16(std::int16_t& v) {
        std::uint16_t u;
        if (!U16(u))
            return false;
        v = static_cast<std::int16_t>(u);
        return true;
    }
    bool I32(std::int32_t& v) {
        std::uint32_t u;
        if (!U32(u))
            return false;
        v = static_cast<std::int32_t>(u);
        return true;
    }
    // A count of records of `recordSize` bytes that must all be present in what is left.
    bool Count(std::uint32_t& count, std::size_t recordSize) {
        return U32(count) && count <= left_ / recordSize;
    }
    bool Bytes(std::vector<std::uint8_t>& out, std::size_t count) {
        if (count > left_)
            return false;
        out.assign(p_, p_ + count);
        Skip(count);
        return true;
    }
    // `chars` UTF-16LE code units.
    bool Utf16(std::u16string& out, std::size_t chars) {
        if (chars > left_ / 2)
            return false;
        out.resize(chars);
        for (std::size_t i = 0; i < chars; ++i)
            out[i] = static_cast<char16_t>(p_[2 * i] | (p_[2 * i + 1] << 8));
        Skip(2 * chars);
        return true;
    }
    template <std::size_t N>
    bool Fixed(std::uint8_t (&out)[N]) {
        if (left_ < N)
            return false;
        std::memcpy(out, p_, N);
        Skip(N);
        return true;
    }
    bool Skip(std::size_t count) {
        if (count > left_)
            return false;
        p_ += count;
        left_ -= count;
        return true;
    }

  private:
    const std::uint8_t* p_;
    std::size_t left_;
};

}  // namespace orvane::wire
