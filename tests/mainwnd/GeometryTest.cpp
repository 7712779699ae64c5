#include <gtest/gtest.h>

#include "mainwnd/Geometry.h"
#include "uikit/Scale.h"

namespace orvane {
namespace {

TEST(ScaleFactor, FollowsTheScreenAndTheConfiguredValue) {
    struct Case {
        int w, h;
        std::u16string configured;
        int width, height;  // the main window's scaled size
    };
    const Case cases[] = {
        {3840, 2160, u"", 346, 558},    {2560, 1440, u"", 242, 390},    {1920, 1080, u"", 173, 279},
        {1920, 1080, u"1.5", 259, 418}, {1080, 1920, u"", 173, 279},    {1200, 3200, u"", 346, 558},
        {1920, 1080, u"0", 173, 279},   {1920, 1080, u"abc", 173, 279}, {1920, 1080, u"1.25", 216, 348},
        {2560, 1440, u"-2", 242, 390},  {1920, 1080, u"1e9", 173, 279},
    };
    for (const auto& c : cases) {
        g_scaleFactor = ConfiguredScaleFactor(ScaleForScreen(c.w, c.h), c.configured);
        EXPECT_EQ(Scaled(kMainWidth), c.width) << c.w << "x" << c.h;
        EXPECT_EQ(Scaled(kMainHeight), c.height) << c.w << "x" << c.h;
    }
}

TEST(Compact, RestorePullsTheWindowBackInsideTheScreen) {
    struct Case {
        Rect compact;
        Rect restored;
    };
    const Case cases[] = {
        {{1850, 0, 70, 70}, {1747, 0, 173, 279}},     // dragged to the right edge
        {{-30, -20, 70, 70}, {0, 0, 173, 279}},       // partly above and left of the screen
        {{400, 1000, 70, 70}, {400, 801, 173, 279}},  // near the bottom
        {{400, 300, 70, 70}, {400, 300, 173, 279}},   // room enough: stays
    };
    for (const auto& c : cases)
        EXPECT_EQ(RestoreFromCompact(c.compact, 173, 279, 1920, 1080), c.restored);
}

}  // namespace
}  // namespace orvane
