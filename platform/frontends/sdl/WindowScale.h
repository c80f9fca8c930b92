#pragma once

namespace pregonero::platform {

// How big the 480 × 800 screen is shown on the desktop, and where.
class WindowScale {
public:
    // Room kept for the window manager's title bar and borders, which the
    // usable bounds of the display do not include.
    static constexpr int kDecorationAllowance = 48;

    // The screen's place in a drawable: `width` × `height` device pixels
    // from (x, y). Whole when every screen pixel is a square of whole pixels.
    struct Placement {
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
        bool whole = false;
    };

    // The largest whole factor at which a new window fits the usable part of
    // the display; 1 when even that does not fit (the window manager copes).
    static int IntegerFactor(int usableWidth, int usableHeight);
    // The screen in a drawable of this size: at the largest whole factor
    // that fits, or, when even 1 does not, shrunk to fit with its shape
    // kept; centred either way. Empty for an empty drawable.
    static Placement Fit(int drawableWidth, int drawableHeight);
    // The screen pixel under a point given in device pixels of the drawable,
    // kept inside the screen; false when the point lies outside it.
    static bool ToScreen(const Placement& placement, double x, double y, int* screenX,
                         int* screenY);
};

} // namespace pregonero::platform
