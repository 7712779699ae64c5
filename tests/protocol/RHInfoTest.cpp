// The remote-host record's own rules: the pad's tile side for older teacher programs, and the bound
// on the frame image whose size the podium PC reports.
#include <gtest/gtest.h>

#include "protocol/RHInfo.h"

namespace orvane {
namespace {

TEST(RHInfoTest, HalvedTileSide) {
    const std::pair<int, int> cases[] = {{1920, 120}, {1200, 150}, {1366, 683}, {1080, 135},
                                         {199, 199},  {400, 100},  {0, 0},      {-400, -400}};
    for (const auto& [side, tile] : cases)
        EXPECT_EQ(HalvedTileSide(side), tile) << side;
}

TEST(RHInfoTest, FrameImageStaysWithinBounds) {
    CRHInfo rh;
    EXPECT_TRUE(rh.ResizeFrameImage(1280, 720));
    EXPECT_EQ(rh.frameImage.size(), QSize(1280, 720));
    EXPECT_EQ(rh.frameImage.pixel(640, 360), 0xFF000000u);
    // Sizes from the network that no monitor has leave the image as it was.
    for (const auto& [w, h] : {std::pair{0, 720}, {1280, -1}, {8193, 720}, {1280, 100000}, {2147483647, 2}})
        EXPECT_FALSE(rh.ResizeFrameImage(w, h)) << w << "x" << h;
    EXPECT_EQ(rh.frameImage.size(), QSize(1280, 720));
    EXPECT_TRUE(rh.ResizeFrameImage(8192, 4320));
    EXPECT_EQ(rh.frameImage.size(), QSize(8192, 4320));
    // Edges at the ends of the 32-bit range give their true distance, not an overflow.
    const MonitorRect wide{INT32_MIN, 0, INT32_MAX, 10};
    EXPECT_EQ(wide.width(), 4294967295LL);
    EXPECT_FALSE(rh.ResizeFrameImage(wide.width(), wide.height()));
}

}  // namespace
}  // namespace orvane
