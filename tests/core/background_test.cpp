// The background's gradient and the centring arithmetic of the folder dialog.
#include <gtest/gtest.h>

#include "core/background.h"

namespace {

TEST(Gradient, ScreenOf768Rows) {
    const auto levels = core::GradientLevels(768);
    const auto blues = core::GradientBlues(768);
    ASSERT_EQ(blues.size(), 385u);  // i = 0, 2, ..., 768
    ASSERT_EQ(levels.size(), blues.size());
    // The step is -510 / 768 = -0.6640625.  The levels are compared within
    // a millionth of a unit: their rounded blues are what the screen shows.
    constexpr float kTolerance = 1e-6f;
    EXPECT_NEAR(levels[1] - levels[0], -0.6640625f, kTolerance);
    EXPECT_EQ(blues[0], 255);
    EXPECT_NEAR(levels[1], 254.3359375f, kTolerance);
    EXPECT_EQ(blues[1], 254);
    EXPECT_NEAR(levels[64], 212.5f, kTolerance);  // i = 128
    EXPECT_EQ(blues[64], 212);                    // half rounds to the even neighbour
    EXPECT_NEAR(levels[192], 127.5f, kTolerance);  // i = 384
    EXPECT_EQ(blues[192], 128);
    EXPECT_EQ(blues[384], 0);       // i = 768
}

TEST(Gradient, ScreenOf600RowsEndsSlightlyBelowZeroDrawnAsZero) {
    const auto levels = core::GradientLevels(600);
    const auto blues = core::GradientBlues(600);
    ASSERT_EQ(blues.size(), 301u);
    // Single-precision steps of -0.85 accumulate to a little under zero.
    EXPECT_LT(levels.back(), 0.0f);
    EXPECT_GT(levels.back(), -0.5f);
    EXPECT_EQ(blues.back(), 0);
    EXPECT_EQ(blues.front(), 255);
}

TEST(Gradient, AlwaysWithinAByteAndNeverRising) {
    for (int height : {2, 4, 480, 599, 600, 601, 720, 768, 1024, 1080, 1200, 2160, 4320}) {
        const auto blues = core::GradientBlues(height);
        ASSERT_EQ(blues.size(), static_cast<size_t>(height / 2 + 1)) << height;
        EXPECT_EQ(blues.front(), 255) << height;
        // An odd height stops one row short of black.
        EXPECT_LE(int{blues.back()}, height % 2 ? 1 : 0) << height;
        for (size_t k = 1; k < blues.size(); ++k) ASSERT_LE(blues[k], blues[k - 1]) << height << " band " << k;
    }
    EXPECT_TRUE(core::GradientBlues(0).empty());
}

TEST(Centring, DivisionRoundsTowardZero) {
    // A dialog of 320 x 330 on a work area of 1024 x 738.
    EXPECT_EQ(core::CentredOffset(1024, 320), 352);
    EXPECT_EQ(core::CentredOffset(738, 330), 204);
    EXPECT_EQ(core::CentredOffset(405, 0), 202);
    EXPECT_EQ(core::CentredOffset(1024, 1029), -2);  // wider than the area by 5
    EXPECT_EQ(core::CentredOffset(100, 100), 0);
}

}  // namespace
