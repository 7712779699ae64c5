// The block structure of a GIF file, cut into one small stand-alone GIF per image so that each frame
// can be decoded on its own. No Qt: fuzzed and tested alone.
//
// The bytes are untrusted (a picture resource may come from a language pack): every length is checked
// against what is left, and the number of frames is capped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace orvane {

struct GifFrame {
    int left = 0;  // offset on the logical screen
    int top = 0;
    int width = 0;
    int height = 0;
    int delay = 0;              // hundredths of a second, from the graphic control extension
    int disposal = 0;           // 0/1 leave, 2 restore to background, 3 restore to previous
    std::vector<uint8_t> file;  // a one-image GIF89a holding just this frame at (0, 0)
};

struct GifFile {
    int width = 0;  // logical screen
    int height = 0;
    std::vector<GifFrame> frames;
};

inline constexpr size_t kMaxGifFrames = 2048;

// "GIF87a" or "GIF89a" at the start.
bool HasGifSignature(std::span<const uint8_t> bytes);

// Null when the bytes are not a GIF or hold no complete image. A file cut short keeps the images
// before the cut.
std::optional<GifFile> ParseGif(std::span<const uint8_t> bytes);

// How long a frame stays on screen: delay × 10 ms, but 100 ms for delays of 4 or less (old
// browsers' rule for the "as fast as possible" values that many files carry).
int FrameDisplayMs(int delay);

}  // namespace orvane
