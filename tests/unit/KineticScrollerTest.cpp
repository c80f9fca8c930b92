#include "platform/frontends/sdl/KineticScroller.h"

#include <gtest/gtest.h>

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

TEST(KineticScrollerTest, ClicksDragsThrowsAndWheelNotches) {
    KineticScroller scroller;
    // A wobble inside the slop stays a click and scrolls nothing.
    scroller.Press(300, 0);
    EXPECT_EQ(scroller.DragTo(305, 10) + scroller.DragTo(296, 20), 0);
    EXPECT_FALSE(scroller.Dragged());
    scroller.Release(30);
    EXPECT_FALSE(scroller.Gliding());
    // Pixel for pixel once out of the slop; holding still before letting go
    // means stop, not throw.
    scroller.Press(300, 100);
    EXPECT_EQ(scroller.DragTo(280, 110), 20);
    EXPECT_EQ(scroller.DragTo(260, 130), 20);
    scroller.Release(400);
    EXPECT_FALSE(scroller.Gliding());

    // A throw at 2000 px/s glides on, slows down and stops, covering
    // speed × decay time in all; a press catches it.
    scroller.Press(600, 1000);
    for (int i = 1; i <= 10; ++i) {
        scroller.DragTo(600 - i * 20, 1000 + i * 10.0);
    }
    scroller.Release(1105);
    EXPECT_NEAR(scroller.Speed(), 2000.0, 1.0);
    double ms = 1105;
    EXPECT_NEAR(GlideOut(scroller, ms), 2000.0 * KineticScroller::kDecayMs / 1000.0, 20.0);
    EXPECT_FALSE(scroller.Gliding());
    EXPECT_LT(ms, 4000.0);

    KineticScroller notch;
    notch.Wheel(1, 0);
    ms = 0;
    const long distance = GlideOut(notch, ms);
    EXPECT_GT(distance, 150);
    EXPECT_LT(distance, 220);
    // A clock that does not move scrolls nothing and never divides by zero.
    notch.Wheel(1, ms);
    EXPECT_EQ(notch.Advance(ms), 0);
}
