// Untrusted picture bytes through the GIF block walker; every piece it cuts must itself walk cleanly.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "uikit/GifFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto gif = orvane::ParseGif(std::span<const uint8_t>(data, size));
    if (!gif)
        return 0;
    if (gif->frames.empty() || gif->frames.size() > orvane::kMaxGifFrames)
        std::abort();
    for (const orvane::GifFrame& frame : gif->frames) {
        const auto piece = orvane::ParseGif(frame.file);
        if (!piece || piece->frames.size() != 1 || piece->width != frame.width ||
            piece->height != frame.height)
            std::abort();
        (void)orvane::FrameDisplayMs(frame.delay);
    }
    return 0;
}
