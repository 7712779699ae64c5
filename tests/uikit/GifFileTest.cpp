#include <gtest/gtest.h>

#include "uikit/GifBuilder.h"
#include "uikit/GifFile.h"

namespace orvane {
namespace {

using test::BuildGif;
using test::SolidFrame;

TEST(GifFile, CutsEveryImageIntoItsOwnFileWithTimingAndDisposal) {
    const auto bytes = BuildGif(
        8, 6,
        {SolidFrame(0, 0, 8, 6, 1, 3, 1), SolidFrame(2, 1, 4, 3, 2, 5, 2), SolidFrame(5, 4, 3, 2, 3, 40, 3)});
    const auto gif = ParseGif(bytes);
    ASSERT_TRUE(gif);
    EXPECT_EQ(gif->width, 8);
    EXPECT_EQ(gif->height, 6);
    ASSERT_EQ(gif->frames.size(), 3u);
    const int expected[3][6] = {{0, 0, 8, 6, 3, 1}, {2, 1, 4, 3, 5, 2}, {5, 4, 3, 2, 40, 3}};
    for (size_t i = 0; i < 3; ++i) {
        const GifFrame& f = gif->frames[i];
        EXPECT_EQ(f.left, expected[i][0]);
        EXPECT_EQ(f.top, expected[i][1]);
        EXPECT_EQ(f.width, expected[i][2]);
        EXPECT_EQ(f.height, expected[i][3]);
        EXPECT_EQ(f.delay, expected[i][4]);
        EXPECT_EQ(f.disposal, expected[i][5]);
        // Each piece is itself a one-image GIF of the frame's size, placed at (0, 0).
        const auto piece = ParseGif(f.file);
        ASSERT_TRUE(piece);
        EXPECT_EQ(piece->width, f.width);
        EXPECT_EQ(piece->height, f.height);
        ASSERT_EQ(piece->frames.size(), 1u);
        EXPECT_EQ(piece->frames[0].left, 0);
        EXPECT_EQ(piece->frames[0].delay, f.delay);
    }
}

TEST(GifFile, RefusesWhatIsNotAGifAndKeepsImagesBeforeACut) {
    const auto bytes = BuildGif(4, 4, {SolidFrame(0, 0, 4, 4, 1, 10), SolidFrame(0, 0, 4, 4, 2, 10)});
    auto wrong = bytes;
    wrong[4] = '8';  // "GIF88a"
    EXPECT_FALSE(ParseGif(wrong));
    EXPECT_FALSE(ParseGif(std::vector<uint8_t>{'G', 'I', 'F', '8', '9', 'a', 4}));
    EXPECT_TRUE(HasGifSignature(std::vector<uint8_t>{'G', 'I', 'F', '8', '7', 'a'}));

    // Every length of the file: never a crash; a cut inside the second image keeps the first.
    size_t firstOnly = 0;
    for (size_t n = 0; n < bytes.size(); ++n) {
        const auto gif = ParseGif(std::span(bytes.data(), n));
        if (!gif)
            continue;
        EXPECT_LE(gif->frames.size(), 2u);
        firstOnly += gif->frames.size() == 1;
    }
    EXPECT_GT(firstOnly, 0u);
    EXPECT_EQ(ParseGif(bytes)->frames.size(), 2u);
}

TEST(GifFile, ShortDelaysShowForOneTenthOfASecond) {
    const int cases[][2] = {{0, 100}, {1, 100}, {3, 100}, {4, 100}, {5, 50}, {8, 80}, {10, 100}, {150, 1500}};
    for (const auto& c : cases)
        EXPECT_EQ(FrameDisplayMs(c[0]), c[1]) << "delay " << c[0];
}

}  // namespace
}  // namespace orvane
