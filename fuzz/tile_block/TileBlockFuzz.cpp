// Screen frames from the podium PC: the first 4 input bytes are the receiver's tile count (and the
// frame packet's announced length), the rest a tile frame block as it arrives, and also the
// compressed bytes of a frame packet to inflate and parse.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "protocol/TileFrameBlock.h"

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

void ParseAndRebuild(std::span<const std::uint8_t> block, std::int32_t tileCount) {
    orvane::TileFrameView view;
    if (!orvane::ParseTileFrameBlock(block, tileCount, view))
        return;
    Require(!view.indices.empty());
    for (auto index : view.indices)
        Require(index >= 0 && index < tileCount);
    Require(view.jpeg.data() >= block.data() &&
            view.jpeg.data() + view.jpeg.size() <= block.data() + block.size());
    std::vector<std::uint8_t> rebuilt;
    orvane::BuildTileFrameBlock(view.indices, view.jpeg, rebuilt);
    orvane::TileFrameView again;
    Require(orvane::ParseTileFrameBlock(rebuilt, tileCount, again));
    Require(again.indices == view.indices &&
            std::equal(again.jpeg.begin(), again.jpeg.end(), view.jpeg.begin(), view.jpeg.end()));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 4)
        return 0;
    std::int32_t head;
    std::memcpy(&head, data, 4);
    const std::span<const std::uint8_t> rest(data + 4, size - 4);
    ParseAndRebuild(rest, head);

    // Keep the announced length small enough for quick runs; the cap itself has unit tests.
    orvane::CPacket frame(std::min(head, std::int32_t{1} << 16), rest.data(), rest.size(), 1);
    std::vector<std::uint8_t> inflated;
    if (orvane::InflateFramePacket(frame, inflated)) {
        Require(inflated.size() <= static_cast<std::size_t>(frame.value));
        ParseAndRebuild(inflated, 1 << 20);
    }
    return 0;
}
