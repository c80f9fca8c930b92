#include "platform/frontends/sdl/KineticScroller.h"

#include <gtest/gtest.h>

#include <cmath>

using pregonero::platform::KineticScroller;

namespace {

// Runs a glide to its end in 8 ms steps; the pixels it scrolled.
long GlideOut(KineticScroller& scroller, double& ms) {
    long total = 0;
    for (int i = 0; i < 2000 && scroller.Gliding(); ++i) {
        ms += 8;
        total += scroller.Advance(ms);
    }
    return total;
}

} // namespace

TEST(KineticScrollerTest, ClickDragAndRest) {
    KineticScroller scroller;
    // A wobble inside the slop stays a click and scrolls nothing.
    scroller.Press(300, 0);
    EXPECT_EQ(scroller.DragTo(305, 10) + scroller.DragTo(296, 20), 0);
    EXPECT_FALSE(scroller.Dragged());
    scroller.Release(30);
    EXPECT_FALSE(scroller.Gliding());
    // Dragging up scrolls further down the content, pixel for pixel once out
    // of the slop; holding still before letting go means stop, not throw.
    scroller.Press(300, 100);
    EXPECT_EQ(scroller.DragTo(280, 110), 20);
    EXPECT_EQ(scroller.DragTo(250, 120), 30);
    EXPECT_EQ(scroller.DragTo(260, 130), -10);
    EXPECT_TRUE(scroller.Dragged());
    scroller.Release(400);
    EXPECT_FALSE(scroller.Gliding());
}

TEST(KineticScrollerTest, AThrowGlidesOnSlowsDownAndStops) {
    KineticScroller scroller;
    scroller.Press(600, 0);
    for (int i = 1; i <= 10; ++i) {
        scroller.DragTo(600 - i * 20, i * 10.0); // 2000 px/s upwards
    }
    scroller.Release(105);
    ASSERT_TRUE(scroller.Gliding());
    EXPECT_NEAR(scroller.Speed(), 2000.0, 1.0);
    double ms = 105;
    int first = scroller.Advance(ms + 8);
    ms += 8;
    EXPECT_GT(first, 0);
    long rest = GlideOut(scroller, ms);
    // An exponential glide covers speed × decay time in all.
    EXPECT_NEAR(first + rest, 2000.0 * KineticScroller::kDecayMs / 1000.0, 20.0);
    EXPECT_FALSE(scroller.Gliding());
    EXPECT_LT(ms, 3000.0);

    // A flick downwards glides back up the content; a press catches it.
    scroller.Press(100, 5000);
    scroller.DragTo(160, 5020);
    scroller.Release(5030);
    EXPECT_LT(scroller.Speed(), 0.0);
    scroller.Press(200, 5040);
    EXPECT_FALSE(scroller.Gliding());
}

TEST(KineticScrollerTest, WheelNotchesAddUpAndTurningBackStops) {
    KineticScroller scroller;
    scroller.Wheel(1, 0);
    EXPECT_DOUBLE_EQ(scroller.Speed(), KineticScroller::kWheelSpeed);
    scroller.Wheel(2, 0);
    EXPECT_DOUBLE_EQ(scroller.Speed(), 3 * KineticScroller::kWheelSpeed);
    scroller.Wheel(-1, 0);
    EXPECT_DOUBLE_EQ(scroller.Speed(), -KineticScroller::kWheelSpeed);
    scroller.Wheel(-100, 0);
    EXPECT_DOUBLE_EQ(scroller.Speed(), -KineticScroller::kMaxSpeed);

    KineticScroller notch;
    notch.Wheel(1, 0);
    double ms = 0;
    long distance = GlideOut(notch, ms);
    EXPECT_GT(distance, 150);
    EXPECT_LT(distance, 220);
    // A clock that does not move scrolls nothing and never divides by zero.
    notch.Wheel(1, ms);
    EXPECT_EQ(notch.Advance(ms), 0);
}
