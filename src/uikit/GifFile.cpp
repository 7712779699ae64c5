#include "uikit/GifFile.h"

#include <cstring>

namespace orvane {
namespace {

class Reader {
  public:
    explicit Reader(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    size_t Pos() const { return pos_; }
    size_t Left() const { return bytes_.size() - pos_; }
    bool Has(size_t n) const { return n <= Left(); }
    uint8_t Byte(size_t at) const { return bytes_[at]; }
    int U16(size_t at) const { return bytes_[at] | (bytes_[at + 1] << 8); }
    bool Skip(size_t n) {
        if (!Has(n))
            return false;
        pos_ += n;
        return true;
    }
    // Data sub-blocks up to and including the zero-length terminator.
    bool SkipSubBlocks() {
        while (Has(1)) {
            const size_t n = bytes_[pos_];
            if (!Skip(1 + n))
                return false;
            if (n == 0)
                return true;
        }
        return false;
    }
    std::span<const uint8_t> Span(size_t from, size_t to) const { return bytes_.subspan(from, to - from); }

  private:
    std::span<const uint8_t> bytes_;
    size_t pos_ = 0;
};

size_t ColorTableBytes(uint8_t packed) {
    return (packed & 0x80) ? 3u * (1u << ((packed & 0x07) + 1)) : 0u;
}

void Append(std::vector<uint8_t>& out, std::span<const uint8_t> bytes) {
    out.insert(out.end(), bytes.begin(), bytes.end());
}

void AppendU16(std::vector<uint8_t>& out, int value) {
    out.push_back(static_cast<uint8_t>(value & 0xFF));
    out.push_back(static_cast<uint8_t>((value >> 8) & 0xFF));
}

}  // namespace

bool HasGifSignature(std::span<const uint8_t> bytes) {
    return bytes.size() >= 6 &&
           (std::memcmp(bytes.data(), "GIF87a", 6) == 0 || std::memcmp(bytes.data(), "GIF89a", 6) == 0);
}

std::optional<GifFile> ParseGif(std::span<const uint8_t> bytes) {
    if (!HasGifSignature(bytes))
        return std::nullopt;
    Reader in(bytes);
    if (!in.Skip(6) || !in.Has(7))
        return std::nullopt;
    GifFile gif;
    const size_t screenAt = in.Pos();
    gif.width = in.U16(screenAt);
    gif.height = in.U16(screenAt + 2);
    const uint8_t screenPacked = in.Byte(screenAt + 4);
    in.Skip(7);
    const size_t globalTableAt = in.Pos();
    if (!in.Skip(ColorTableBytes(screenPacked)))
        return std::nullopt;
    const auto globalTable = in.Span(globalTableAt, in.Pos());

    // The graphic control extension that applies to the next image.
    std::span<const uint8_t> control;
    int delay = 0;
    int disposal = 0;

    while (in.Has(1) && gif.frames.size() < kMaxGifFrames) {
        const size_t blockAt = in.Pos();
        const uint8_t introducer = in.Byte(blockAt);
        if (introducer == 0x3B)
            break;
        if (introducer == 0x21) {
            if (!in.Has(2))
                break;
            const uint8_t label = in.Byte(blockAt + 1);
            in.Skip(2);
            if (label == 0xF9 && in.Has(6) && in.Byte(blockAt + 2) == 4) {
                const uint8_t packed = in.Byte(blockAt + 3);
                disposal = (packed >> 2) & 0x07;
                delay = in.U16(blockAt + 4);
            }
            if (!in.SkipSubBlocks())
                break;
            if (label == 0xF9)
                control = in.Span(blockAt, in.Pos());
            continue;
        }
        if (introducer != 0x2C || !in.Has(10))
            break;
        GifFrame frame;
        frame.left = in.U16(blockAt + 1);
        frame.top = in.U16(blockAt + 3);
        frame.width = in.U16(blockAt + 5);
        frame.height = in.U16(blockAt + 7);
        const uint8_t imagePacked = in.Byte(blockAt + 9);
        in.Skip(10);
        const size_t localTableAt = in.Pos();
        if (!in.Skip(ColorTableBytes(imagePacked)) || !in.Skip(1))  // colour table, LZW code size
            break;
        const size_t dataEnd = in.Pos();
        if (!in.SkipSubBlocks())
            break;
        frame.delay = delay;
        frame.disposal = disposal;

        // One stand-alone file: the frame's size as the logical screen, the global colour table, the
        // frame's control extension, its descriptor moved to (0, 0), its own table and data.
        std::vector<uint8_t>& out = frame.file;
        out.reserve(32 + globalTable.size() + control.size() + (in.Pos() - blockAt));
        Append(out, std::span<const uint8_t>(reinterpret_cast<const uint8_t*>("GIF89a"), 6));
        AppendU16(out, frame.width);
        AppendU16(out, frame.height);
        out.push_back(screenPacked);
        out.push_back(in.Byte(screenAt + 5));
        out.push_back(in.Byte(screenAt + 6));
        Append(out, globalTable);
        Append(out, control);
        out.push_back(0x2C);
        AppendU16(out, 0);
        AppendU16(out, 0);
        Append(out, in.Span(blockAt + 5, localTableAt));
        Append(out, in.Span(localTableAt, dataEnd));
        Append(out, in.Span(dataEnd, in.Pos()));
        out.push_back(0x3B);
        gif.frames.push_back(std::move(frame));

        control = {};
        delay = 0;
        disposal = 0;
    }
    if (gif.frames.empty())
        return std::nullopt;
    return gif;
}

int FrameDisplayMs(int delay) {
    return delay <= 4 ? 100 : delay * 10;
}

}  // namespace orvane
