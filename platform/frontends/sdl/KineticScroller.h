#pragma once

#include <deque>

namespace pregonero::platform {

// Turns a drag and the wheel into scroll steps that glide on after the
// pointer lets go and slow down like a page thrown across a table. Times are
// in milliseconds on any steady clock; positive pixels move further down the
// content (the finger moves up).
class KineticScroller {
public:
    // Below this the pointer only wobbled: the gesture is still a click.
    static constexpr int kClickSlop = 12;
    // The glide loses about two thirds of its speed every this many ms.
    static constexpr double kDecayMs = 325.0;
    static constexpr double kMinSpeed = 30.0;   // px/s: slower than this stops
    static constexpr double kMaxSpeed = 6000.0; // px/s: a throw never goes faster
    // A wheel notch starts a glide of roughly one short row.
    static constexpr double kWheelSpeed = 600.0;

    void Press(int y, double ms);
    // Pixels to scroll for the pointer now at y; 0 until it left the slop.
    int DragTo(int y, double ms);
    // Lets go: glides on at the speed of the last moments of the drag.
    void Release(double ms);
    // A wheel notch (or several); notches the same way add up.
    void Wheel(int steps, double ms);
    // Pixels to scroll since the last call while gliding.
    int Advance(double ms);
    void Stop();

    bool Gliding() const { return speed_ != 0.0; }
    bool Dragged() const { return dragged_; }
    double Speed() const { return speed_; }

private:
    struct Sample {
        int y;
        double ms;
    };
    double ReleaseSpeed(double ms) const;

    std::deque<Sample> samples_;
    int pressY_ = 0;
    int lastY_ = 0;
    bool pressed_ = false;
    bool dragged_ = false;
    double speed_ = 0.0; // px/s of content
    double lastMs_ = 0.0;
    double carry_ = 0.0; // the fraction of a pixel not scrolled yet
};

} // namespace pregonero::platform
