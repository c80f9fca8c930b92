#include "platform/frontends/sdl/WindowScale.h"

#include <gtest/gtest.h>

using pregonero::platform::WindowScale;

TEST(WindowScaleTest, NewWindowTakesTheLargestWholeFactorTheDisplayHolds) {
    const struct {
        int w, h, factor;
    } displays[] = {
        {1920, 1080, 1}, {1100, 1800, 2},
        {3840, 1600, 1},                 // 1600 high plus decorations does not fit in 1600
        {2560, 2500, 3}, {959, 4000, 1}, // width limits too
        {0, 0, 1},       {-5, -5, 1},    // smaller than the handset, or nonsense
    };
    for (const auto& d : displays) {
        EXPECT_EQ(WindowScale::IntegerFactor(d.w, d.h), d.factor) << d.w << "x" << d.h;
    }
}

TEST(WindowScaleTest, ScreenIsCentredWholeWhenItFitsAndShrunkWhenNot) {
    const struct {
        int w, h;
        WindowScale::Placement at;
    } cases[] = {
        {480, 800, {0, 0, 480, 800, true}},
        {1000, 1700, {20, 50, 960, 1600, true}},   // twice, with a margin
        {1439, 2400, {239, 400, 960, 1600, true}}, // one pixel short of three times
        {1919, 1017, {719, 108, 480, 800, true}},  // a maximised window on 1080p
        {300, 400, {30, 0, 240, 400, false}},      // half, limited by the height
        {240, 1000, {0, 300, 240, 400, false}},    // half, limited by the width
        {1, 1, {0, 0, 1, 1, false}},               // never empty
        {0, 500, {0, 0, 0, 0, false}},
    };
    for (const auto& c : cases) {
        const auto at = WindowScale::Fit(c.w, c.h);
        EXPECT_EQ(std::tie(at.x, at.y, at.width, at.height, at.whole),
                  std::tie(c.at.x, c.at.y, c.at.width, c.at.height, c.at.whole))
            << c.w << "x" << c.h;
    }
}

TEST(WindowScaleTest, PointerLandsOnTheScreenPixelUnderItAtAnyScale) {
    const auto twice = WindowScale::Fit(1000, 1700);
    int x = -1, y = -1;
    EXPECT_TRUE(WindowScale::ToScreen(twice, 20, 50, &x, &y));
    EXPECT_EQ(std::pair(x, y), std::pair(0, 0));
    EXPECT_TRUE(WindowScale::ToScreen(twice, 979, 1649, &x, &y));
    EXPECT_EQ(std::pair(x, y), std::pair(479, 799));
    // In the margin: outside, but kept on the screen's edge for a drag.
    EXPECT_FALSE(WindowScale::ToScreen(twice, 10, 1690, &x, &y));
    EXPECT_EQ(std::pair(x, y), std::pair(0, 799));
    EXPECT_FALSE(WindowScale::ToScreen(twice, 980, 100, &x, &y));
    const auto half = WindowScale::Fit(300, 400);
    EXPECT_TRUE(WindowScale::ToScreen(half, 30 + 120.5, 200.5, &x, &y));
    EXPECT_EQ(std::pair(x, y), std::pair(241, 401));
    EXPECT_FALSE(WindowScale::ToScreen(WindowScale::Fit(0, 0), 1, 1, &x, &y));
}
