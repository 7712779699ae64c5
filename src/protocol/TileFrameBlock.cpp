#include "protocol/TileFrameBlock.h"

#include <zlib.h>

#include <limits>

#include "protocol/WireIO.h"

namespace orvane {

void BuildTileFrameBlock(std::span<const std::int32_t> indices, std::span<const std::uint8_t> jpeg,
                         std::vector<std::uint8_t>& out) {
    out.clear();
    const std::size_t length = 12 + 4 * indices.size() + jpeg.size();
    out.reserve(length);
    wire::Writer w(out);
    w.I32(static_cast<std::int32_t>(length));
    w.I32(static_cast<std::int32_t>(indices.size()));
    for (auto index : indices)
        w.I32(index);
    w.I32(static_cast<std::int32_t>(jpeg.size()));
    w.Bytes(jpeg.data(), jpeg.size());
}

bool ParseTileFrameBlock(std::span<const std::uint8_t> block, std::int32_t tileCount, TileFrameView& out) {
    wire::Reader r(block.data(), block.size());
    std::int32_t declaredLength = 0;
    std::uint32_t count = 0;
    // The count must leave room for its indices and the JPEG length field after them.
    if (!r.I32(declaredLength) || !r.U32(count) || count == 0 || r.remaining() < 4 ||
        count > (r.remaining() - 4) / 4)
        return false;
    wire::Reader indexReader(r.position(), 4 * std::size_t{count});
    r.Skip(4 * std::size_t{count});
    std::int32_t jpegLength = -1;
    r.I32(jpegLength);
    if (jpegLength < 0 || static_cast<std::size_t>(jpegLength) > r.remaining())
        return false;
    std::vector<std::int32_t> indices(count);
    for (auto& index : indices) {
        indexReader.I32(index);
        if (index < 0 || index >= tileCount)
            return false;
    }
    out.indices = std::move(indices);
    out.jpeg = std::span<const std::uint8_t>(r.position(), static_cast<std::size_t>(jpegLength));
    return true;
}

int TileSideFor(int screenSide) {
    int side = screenSide;
    while (side >= 200 && side % 2 == 0)
        side /= 2;
    return side;
}

CPacket MakeFramePacket(std::span<const std::uint8_t> block, std::int32_t frameNumber) {
    uLongf size = compressBound(static_cast<uLong>(block.size()));
    std::vector<std::uint8_t> compressed(size);
    if (compress2(compressed.data(), &size, block.data(), static_cast<uLong>(block.size()), 9) != Z_OK)
        size = 0;
    return CPacket(static_cast<std::int32_t>(block.size()), compressed.data(), size, frameNumber);
}

bool InflateFramePacket(const CPacket& packet, std::vector<std::uint8_t>& out) {
    if (packet.kind != PacketKind::kCompressedFrame || packet.value <= 0 ||
        packet.value > kMaxFrameBlockLength || packet.data.size() > std::numeric_limits<uLong>::max())
        return false;
    std::vector<std::uint8_t> inflated(static_cast<std::size_t>(packet.value));
    uLongf size = static_cast<uLongf>(inflated.size());
    // uncompress stops with Z_BUF_ERROR when the data would inflate past the announced length.
    if (uncompress(inflated.data(), &size, packet.data.data(), static_cast<uLong>(packet.data.size())) !=
        Z_OK)
        return false;
    inflated.resize(size);
    out = std::move(inflated);
    return true;
}

}  // namespace orvane
