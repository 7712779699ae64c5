// The podium PC's test desktop and its screen frames: a picture per monitor (colour gradient, tile
// grid, the monitor's own colour) with a square that moves a step every frame, encoded as the tile
// frames the pad remote decodes: the JPEG strip of the changed tiles in a tile frame block, deflated
// into a compressed-frame packet. Main thread only (one encoder per podium PC connection).
#pragma once

#include <cstdint>
#include <vector>

#include "protocol/Packet.h"

namespace orvane::sim {

// What one frame covers: the selected monitor (or the pad's screen size for old teacher versions)
// cut into tiles. width and height are whole multiples of the tile size.
struct FrameGeometry {
    int width = 0;
    int height = 0;
    int tileWidth = 0;
    int tileHeight = 0;
    int monitor = 0;  // 0-based; picks the picture's colour

    int tilesPerRow() const { return width / tileWidth; }
    int tileCount() const { return tilesPerRow() * (height / tileHeight); }
    bool operator==(const FrameGeometry&) const = default;
};

struct Rect {
    int left = 0, top = 0, right = 0, bottom = 0;  // right and bottom exclusive
};

// The moving square in frame `frame` (frames count from 1).
Rect SquareAt(const FrameGeometry& geometry, int frame);

// The BGRA pixel of the test picture at (x, y) in frame `frame`.
std::uint32_t TestPixel(const FrameGeometry& geometry, int frame, int x, int y);

// Indices (ascending) of the tiles that differ between frame `frame - 1` and `frame`.
std::vector<std::int32_t> ChangedTiles(const FrameGeometry& geometry, int frame);

// Indices 0 .. tileCount - 1.
std::vector<std::int32_t> AllTiles(const FrameGeometry& geometry);

class FrameEncoder {
  public:
    explicit FrameEncoder(int jpegQuality);
    ~FrameEncoder();
    FrameEncoder(const FrameEncoder&) = delete;
    FrameEncoder& operator=(const FrameEncoder&) = delete;

    // The compressed-frame packet of frame `frame` with the listed tiles; kind 0 when the JPEG
    // encoder fails.
    CPacket Encode(const FrameGeometry& geometry, int frame, const std::vector<std::int32_t>& tiles);

  private:
    void* jpeg_ = nullptr;  // TurboJPEG compressor handle
    int quality_;
    std::vector<std::uint8_t> strip_;
    std::vector<std::uint8_t> block_;
};

}  // namespace orvane::sim
