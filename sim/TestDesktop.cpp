#include "sim/TestDesktop.h"

#include <turbojpeg.h>

#include <algorithm>
#include <cstring>

#include "protocol/TileFrameBlock.h"

namespace orvane::sim {
namespace {

// A triangle wave: 0 .. span .. 0 as `value` grows.
int Bounce(long long value, int span) {
    if (span <= 0)
        return 0;
    const long long period = 2LL * span;
    const long long v = value % period;
    return static_cast<int>(v <= span ? v : period - v);
}

bool Overlaps(const Rect& r, int left, int top, int right, int bottom) {
    return r.left < right && left < r.right && r.top < bottom && top < r.bottom;
}

// Monitor colours: blue, green, purple.
constexpr std::uint8_t kMonitorBlue[3] = {200, 90, 170};

}  // namespace

Rect SquareAt(const FrameGeometry& g, int frame) {
    const int side = std::max(8, std::min(g.width, g.height) / 6);
    const int x =
        Bounce(static_cast<long long>(frame) * std::max(2, g.width / 90), std::max(0, g.width - side));
    const int y =
        Bounce(static_cast<long long>(frame) * std::max(2, g.height / 110), std::max(0, g.height - side));
    return {x, y, std::min(g.width, x + side), std::min(g.height, y + side)};
}

std::uint32_t TestPixel(const FrameGeometry& g, int frame, int x, int y) {
    const Rect square = SquareAt(g, frame);
    std::uint8_t b, gr, r;
    if (x >= square.left && x < square.right && y >= square.top && y < square.bottom) {
        const bool border =
            x - square.left < 4 || square.right - x <= 4 || y - square.top < 4 || square.bottom - y <= 4;
        b = border ? 0 : 255;
        gr = border ? 0 : 255;
        r = border ? 0 : 255;
    } else if (x % g.tileWidth == 0 || y % g.tileHeight == 0) {
        b = gr = r = 40;
    } else {
        r = static_cast<std::uint8_t>(x * 255 / std::max(1, g.width - 1));
        gr = static_cast<std::uint8_t>(y * 255 / std::max(1, g.height - 1));
        b = kMonitorBlue[g.monitor % 3];
    }
    return static_cast<std::uint32_t>(b) | (static_cast<std::uint32_t>(gr) << 8) |
           (static_cast<std::uint32_t>(r) << 16) | 0xFF000000u;
}

std::vector<std::int32_t> AllTiles(const FrameGeometry& g) {
    std::vector<std::int32_t> all(static_cast<std::size_t>(g.tileCount()));
    for (std::size_t i = 0; i < all.size(); ++i)
        all[i] = static_cast<std::int32_t>(i);
    return all;
}

std::vector<std::int32_t> ChangedTiles(const FrameGeometry& g, int frame) {
    const Rect before = SquareAt(g, frame - 1);
    const Rect now = SquareAt(g, frame);
    std::vector<std::int32_t> tiles;
    const int perRow = g.tilesPerRow();
    for (int index = 0; index < g.tileCount(); ++index) {
        const int left = (index % perRow) * g.tileWidth;
        const int top = (index / perRow) * g.tileHeight;
        const int right = left + g.tileWidth;
        const int bottom = top + g.tileHeight;
        if (Overlaps(before, left, top, right, bottom) || Overlaps(now, left, top, right, bottom))
            tiles.push_back(index);
    }
    return tiles;
}

FrameEncoder::FrameEncoder(int jpegQuality) : jpeg_(tjInitCompress()), quality_(jpegQuality) {}

FrameEncoder::~FrameEncoder() {
    if (jpeg_)
        tjDestroy(static_cast<tjhandle>(jpeg_));
}

CPacket FrameEncoder::Encode(const FrameGeometry& g, int frame, const std::vector<std::int32_t>& tiles) {
    if (!jpeg_ || tiles.empty())
        return {};
    const int count = static_cast<int>(tiles.size());
    const int stripWidth = count * g.tileWidth;
    const int pitch = stripWidth * 4;
    strip_.resize(static_cast<std::size_t>(pitch) * static_cast<std::size_t>(g.tileHeight));
    const int perRow = g.tilesPerRow();
    for (int i = 0; i < count; ++i) {
        const int left = (tiles[i] % perRow) * g.tileWidth;
        const int top = (tiles[i] / perRow) * g.tileHeight;
        for (int y = 0; y < g.tileHeight; ++y) {
            auto* row =
                reinterpret_cast<std::uint32_t*>(strip_.data() + static_cast<std::size_t>(y) * pitch) +
                static_cast<std::size_t>(i) * g.tileWidth;
            for (int x = 0; x < g.tileWidth; ++x)
                row[x] = TestPixel(g, frame, left + x, top + y);
        }
    }
    unsigned char* jpeg = nullptr;
    unsigned long jpegSize = 0;
    if (tjCompress2(static_cast<tjhandle>(jpeg_), strip_.data(), stripWidth, pitch, g.tileHeight, TJPF_BGRA,
                    &jpeg, &jpegSize, TJSAMP_420, quality_, TJFLAG_FASTDCT) != 0) {
        tjFree(jpeg);
        return {};
    }
    BuildTileFrameBlock(tiles, std::span<const std::uint8_t>(jpeg, jpegSize), block_);
    tjFree(jpeg);
    return MakeFramePacket(block_, frame);
}

}  // namespace orvane::sim
