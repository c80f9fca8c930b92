#include "platform/frontends/sdl/WindowScale.h"

#include "platform/runtime/rendering/Framebuffer.h"

#include <algorithm>
#include <cmath>

namespace pregonero::platform {

using runtime::Framebuffer;

int WindowScale::IntegerFactor(int usableWidth, int usableHeight) {
    int byWidth = usableWidth / Framebuffer::kWidth;
    int byHeight = (usableHeight - kDecorationAllowance) / Framebuffer::kHeight;
    return std::max(1, std::min(byWidth, byHeight));
}

WindowScale::Placement WindowScale::Fit(int drawableWidth, int drawableHeight) {
    Placement at;
    if (drawableWidth <= 0 || drawableHeight <= 0) {
        return at;
    }
    int factor =
        std::min(drawableWidth / Framebuffer::kWidth, drawableHeight / Framebuffer::kHeight);
    if (factor >= 1) {
        at.width = Framebuffer::kWidth * factor;
        at.height = Framebuffer::kHeight * factor;
        at.whole = true;
    } else {
        double scale = std::min(static_cast<double>(drawableWidth) / Framebuffer::kWidth,
                                static_cast<double>(drawableHeight) / Framebuffer::kHeight);
        at.width = std::clamp(static_cast<int>(std::lround(Framebuffer::kWidth * scale)), 1,
                              drawableWidth);
        at.height = std::clamp(static_cast<int>(std::lround(Framebuffer::kHeight * scale)), 1,
                               drawableHeight);
    }
    at.x = (drawableWidth - at.width) / 2;
    at.y = (drawableHeight - at.height) / 2;
    return at;
}

bool WindowScale::ToScreen(const Placement& placement, double x, double y, int* screenX,
                           int* screenY) {
    if (placement.width <= 0 || placement.height <= 0) {
        return false;
    }
    double sx = std::floor((x - placement.x) * Framebuffer::kWidth / placement.width);
    double sy = std::floor((y - placement.y) * Framebuffer::kHeight / placement.height);
    bool inside = sx >= 0 && sy >= 0 && sx < Framebuffer::kWidth && sy < Framebuffer::kHeight;
    *screenX = static_cast<int>(std::clamp(sx, 0.0, Framebuffer::kWidth - 1.0));
    *screenY = static_cast<int>(std::clamp(sy, 0.0, Framebuffer::kHeight - 1.0));
    return inside;
}

} // namespace pregonero::platform
