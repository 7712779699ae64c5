// The tile frame block: the uncompressed payload of a screen frame (compressed-frame packet, kind
// 12), in both directions. Layout (32-bit little-endian signed integers): block length (12 + 4 ×
// count + JPEG length), count (at least 1), count tile indices, JPEG length, the JPEG strip of the
// listed tiles side by side. The tile size is not in the block.
//
// Trust: blocks from the podium PC come from the network. The parser checks the count, every index
// and the JPEG length against the block (and the indices against the receiver's grid) before it
// reads anything, and inflating a frame is bounded by its announced length and kMaxFrameBlockLength.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "protocol/Packet.h"

namespace orvane {

// The largest uncompressed block a frame packet may announce.
inline constexpr std::int32_t kMaxFrameBlockLength = 32 * 1024 * 1024;

// Builds a block into `out` (replacing its contents, keeping its capacity for the next frame).
void BuildTileFrameBlock(std::span<const std::int32_t> indices, std::span<const std::uint8_t> jpeg,
                         std::vector<std::uint8_t>& out);

struct TileFrameView {
    std::vector<std::int32_t> indices;
    std::span<const std::uint8_t> jpeg;  // points into the parsed block
};

// Parses a block. Every index must lie in [0, tileCount), the receiver's number of tiles in its
// frame; count must be at least 1. The block length field is not relied upon. False, leaving
// `out` alone, when anything does not fit.
bool ParseTileFrameBlock(std::span<const std::uint8_t> block, std::int32_t tileCount, TileFrameView& out);

// Tile side for a screen side: halved while it is at least 200 and even (1920 → 120, 1080 → 135,
// 1366 → 683, 800 → 100); a side below 200 is its own tile side.
int TileSideFor(int screenSide);

// A compressed-frame packet: `block` deflated with zlib at level 9, value = the block length, tag
// value = the frame number.
CPacket MakeFramePacket(std::span<const std::uint8_t> block, std::int32_t frameNumber);

// Inflates a compressed-frame packet's block into `out`. False for another kind, an announced
// length of 0 or below or above kMaxFrameBlockLength, and data that does not inflate to at most
// the announced length.
bool InflateFramePacket(const CPacket& packet, std::vector<std::uint8_t>& out);

}  // namespace orvane
