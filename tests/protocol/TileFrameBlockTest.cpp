// Tile frame blocks and frame packets: layout, the checks before anything is read, inflation bounds.
#include <gtest/gtest.h>

#include <zlib.h>

#include "protocol/TestBytes.h"
#include "protocol/TileFrameBlock.h"

namespace orvane {
namespace {

using testing::Hex;

TEST(TileFrameBlock, HasItsLayoutAndParsesBack) {
    const std::int32_t indices[] = {0, 5, 127};
    const std::uint8_t jpeg[] = {0xFF, 0xD8, 0xFF, 0xD9};
    std::vector<std::uint8_t> block{9, 9, 9};  // stale contents are replaced
    BuildTileFrameBlock(indices, jpeg, block);
    // 12 + 4 × 3 + 4 = 28 bytes, and the first field says so.
    EXPECT_EQ(block, Hex("1C000000 03000000 00000000 05000000 7F000000 04000000 FFD8FFD9"));

    TileFrameView view;
    ASSERT_TRUE(ParseTileFrameBlock(block, 128, view));
    EXPECT_EQ(view.indices, (std::vector<std::int32_t>{0, 5, 127}));
    EXPECT_EQ(std::vector<std::uint8_t>(view.jpeg.begin(), view.jpeg.end()),
              std::vector<std::uint8_t>(std::begin(jpeg), std::end(jpeg)));
    // The same block against a smaller grid: index 127 does not exist there.
    EXPECT_FALSE(ParseTileFrameBlock(block, 127, view));
}

TEST(TileFrameBlock, RefusesCountsIndicesAndJpegLengthsThatDoNotFit) {
    const char* blocks[] = {
        "",
        "10000000 01000000 00000000",                // no JPEG length
        "0C000000 00000000 00000000",                // count 0
        "14000000 FFFFFFFF 00000000 00000000",       // count -1
        "14000000 01000040 00000000 00000000",       // count × 4 wraps to 4 in 32 bits
        "14000000 02000000 00000000 00000000",       // two indices announced, one present
        "14000000 01000000 FFFFFFFF 00000000",       // negative index
        "14000000 01000000 10000000 00000000",       // index beyond the grid of 16 tiles
        "14000000 01000000 00000000 FFFFFFFF",       // negative JPEG length
        "16000000 01000000 00000000 03000000 FFD8",  // JPEG longer than the block
        "16000000 01000000 00000000 FFFFFF7F FFD8",
    };
    for (const char* hex : blocks) {
        const auto block = Hex(hex);
        TileFrameView view;
        view.indices = {42};
        EXPECT_FALSE(ParseTileFrameBlock(block, 16, view)) << hex;
        EXPECT_EQ(view.indices, std::vector<std::int32_t>{42});
    }
    // The block length field is not relied upon, and an empty JPEG is a (black) strip.
    const auto odd = Hex("00000000 01000000 0F000000 00000000");
    TileFrameView view;
    EXPECT_TRUE(ParseTileFrameBlock(odd, 16, view));
    EXPECT_TRUE(view.jpeg.empty());
}

TEST(TileSide, HalvesWhileAtLeast200AndEven) {
    const std::pair<int, int> cases[] = {{1920, 120}, {1080, 135}, {1366, 683}, {768, 192}, {1280, 160},
                                         {800, 100},  {1200, 150}, {150, 150},  {200, 100}, {0, 0}};
    for (const auto& [side, tile] : cases)
        EXPECT_EQ(TileSideFor(side), tile) << side;
}

TEST(FramePacket, CompressesAndInflatesWithinTheAnnouncedLength) {
    std::vector<std::uint8_t> block(100000);
    for (std::size_t i = 0; i < block.size(); ++i)
        block[i] = static_cast<std::uint8_t>(i % 251);
    const CPacket packet = MakeFramePacket(block, 77);
    EXPECT_EQ(packet.kind, PacketKind::kCompressedFrame);
    EXPECT_EQ(packet.value, 100000);
    EXPECT_EQ(packet.tagValue, 77);
    EXPECT_LT(packet.data.size(), block.size());
    std::vector<std::uint8_t> out;
    ASSERT_TRUE(InflateFramePacket(packet, out));
    EXPECT_EQ(out, block);

    // A block that inflates past what the packet announced (a bomb, or a lie) is dropped.
    CPacket bomb = packet;
    bomb.value = 1000;
    EXPECT_FALSE(InflateFramePacket(bomb, out));
    for (std::int32_t value : {0, -1, kMaxFrameBlockLength + 1}) {
        CPacket bad = packet;
        bad.value = value;
        EXPECT_FALSE(InflateFramePacket(bad, out)) << value;
    }
    CPacket corrupt = packet;
    corrupt.data.resize(corrupt.data.size() / 2);
    EXPECT_FALSE(InflateFramePacket(corrupt, out));
    EXPECT_FALSE(InflateFramePacket(CPacket(u"[RC00003]"), out));
    EXPECT_EQ(out, block);  // untouched by the failures
}

}  // namespace
}  // namespace orvane
