#include "platform/frontends/sdl/WindowScale.h"

#include <gtest/gtest.h>

using pregonero::platform::WindowScale;

TEST(WindowScaleTest, WholeFactorFitsWithDecorationsAndIsCrispOnlyWhenWhole) {
    const struct {
        int w, h, factor;
    } displays[] = {
        {1920, 1080, 1}, {1100, 1800, 2},
        {3840, 1600, 1}, // 1600 high plus decorations does not fit in 1600
        {3840, 2160, 2}, {2560, 2500, 3},
        {959, 4000, 1}, // width limits too
        {800, 600, 1},   {0, 0, 1},
        {-5, -5, 1}, // smaller than the handset, or nonsense
    };
    for (const auto& d : displays) {
        EXPECT_EQ(WindowScale::IntegerFactor(d.w, d.h), d.factor) << d.w << "x" << d.h;
    }
    EXPECT_TRUE(WindowScale::IsWholeMultiple(480, 800));
    EXPECT_TRUE(WindowScale::IsWholeMultiple(1440, 2400));
    EXPECT_FALSE(WindowScale::IsWholeMultiple(720, 1200)); // 1.5: fractional HiDPI
    EXPECT_FALSE(WindowScale::IsWholeMultiple(960, 800));  // stretched
    EXPECT_FALSE(WindowScale::IsWholeMultiple(0, 0));
}
