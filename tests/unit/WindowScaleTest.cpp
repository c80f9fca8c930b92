#include "platform/frontends/sdl/WindowScale.h"

#include <gtest/gtest.h>

using pregonero::platform::WindowScale;

TEST(WindowScaleTest, WholeFactorThatFitsWithRoomForDecorations) {
    EXPECT_EQ(WindowScale::IntegerFactor(1920, 1080), 1);
    EXPECT_EQ(WindowScale::IntegerFactor(1100, 1800), 2);
    // 1600 high plus decorations does not fit in 1600.
    EXPECT_EQ(WindowScale::IntegerFactor(3840, 1600), 1);
    EXPECT_EQ(WindowScale::IntegerFactor(3840, 2160), 2);
    EXPECT_EQ(WindowScale::IntegerFactor(2560, 2500), 3);
    // Width limits too: a tall, narrow display.
    EXPECT_EQ(WindowScale::IntegerFactor(959, 4000), 1);
    // Smaller than the handset, or nonsense: still shown, at its own size.
    EXPECT_EQ(WindowScale::IntegerFactor(800, 600), 1);
    EXPECT_EQ(WindowScale::IntegerFactor(0, 0), 1);
    EXPECT_EQ(WindowScale::IntegerFactor(-5, -5), 1);
}

TEST(WindowScaleTest, CrispOnlyAtTheSameWholeFactorBothWays) {
    EXPECT_TRUE(WindowScale::IsWholeMultiple(480, 800));
    EXPECT_TRUE(WindowScale::IsWholeMultiple(960, 1600));
    EXPECT_TRUE(WindowScale::IsWholeMultiple(1440, 2400));
    EXPECT_FALSE(WindowScale::IsWholeMultiple(720, 1200)); // 1.5: fractional HiDPI
    EXPECT_FALSE(WindowScale::IsWholeMultiple(960, 800));  // stretched
    EXPECT_FALSE(WindowScale::IsWholeMultiple(0, 0));
}
