#pragma once

namespace pregonero::platform {

// How big the 480 × 800 screen is shown on the desktop.
class WindowScale {
public:
    // Room kept for the window manager's title bar and borders, which the
    // usable bounds of the display do not include.
    static constexpr int kDecorationAllowance = 48;

    // The largest whole factor at which the window fits the usable part of
    // the display; 1 when even that does not fit (the window manager copes).
    static int IntegerFactor(int usableWidth, int usableHeight);
    // Whether a drawable of this many pixels shows the screen at a whole
    // factor in both directions, so nearest-neighbour scaling stays crisp.
    static bool IsWholeMultiple(int drawableWidth, int drawableHeight);
};

} // namespace pregonero::platform
