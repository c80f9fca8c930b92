#include "platform/frontends/sdl/KineticScroller.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace pregonero::platform {

namespace {
// Only the last moments of a drag say how hard it was thrown.
constexpr double kVelocityWindowMs = 100.0;
// A finger that rested this long before letting go meant to stop.
constexpr double kRestMs = 60.0;
} // namespace

void KineticScroller::Press(int y, double ms) {
    Stop();
    samples_.clear();
    samples_.push_back({y, ms});
    pressY_ = lastY_ = y;
    pressed_ = true;
    dragged_ = false;
}

int KineticScroller::DragTo(int y, double ms) {
    if (!pressed_) {
        return 0;
    }
    samples_.push_back({y, ms});
    while (samples_.size() > 2 && ms - samples_.front().ms > kVelocityWindowMs) {
        samples_.pop_front();
    }
    if (!dragged_ && std::abs(y - pressY_) < kClickSlop) {
        return 0;
    }
    dragged_ = true;
    int delta = lastY_ - y;
    lastY_ = y;
    return delta;
}

double KineticScroller::ReleaseSpeed(double ms) const {
    if (samples_.size() < 2 || ms - samples_.back().ms > kRestMs) {
        return 0.0;
    }
    const Sample& first = samples_.front();
    const Sample& last = samples_.back();
    double span = last.ms - first.ms;
    if (span <= 0.0) {
        return 0.0;
    }
    return (first.y - last.y) * 1000.0 / span;
}

void KineticScroller::Release(double ms) {
    double speed = dragged_ ? ReleaseSpeed(ms) : 0.0;
    pressed_ = false;
    samples_.clear();
    speed_ = std::abs(speed) < kMinSpeed ? 0.0 : std::clamp(speed, -kMaxSpeed, kMaxSpeed);
    lastMs_ = ms;
    carry_ = 0.0;
}

void KineticScroller::Wheel(int steps, double ms) {
    double push = steps * kWheelSpeed;
    // Turning the wheel back stops a glide instead of fighting it.
    bool sameWay = (push > 0) == (speed_ > 0);
    speed_ = std::clamp(sameWay ? speed_ + push : push, -kMaxSpeed, kMaxSpeed);
    if (!sameWay) {
        carry_ = 0.0;
    }
    lastMs_ = ms;
}

int KineticScroller::Advance(double ms) {
    if (!Gliding()) {
        return 0;
    }
    double dt = std::max(0.0, ms - lastMs_);
    lastMs_ = ms;
    // Exact integral of an exponentially decaying speed over dt.
    double fade = std::exp(-dt / kDecayMs);
    double distance = speed_ / 1000.0 * kDecayMs * (1.0 - fade) + carry_;
    speed_ *= fade;
    int whole = static_cast<int>(distance);
    carry_ = distance - whole;
    if (std::abs(speed_) < kMinSpeed) {
        Stop();
    }
    return whole;
}

void KineticScroller::Stop() {
    speed_ = 0.0;
    carry_ = 0.0;
}

} // namespace pregonero::platform
