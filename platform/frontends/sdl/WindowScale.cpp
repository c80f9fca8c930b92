#include "platform/frontends/sdl/WindowScale.h"

#include "platform/runtime/rendering/Framebuffer.h"

#include <algorithm>

namespace pregonero::platform {

using runtime::Framebuffer;

int WindowScale::IntegerFactor(int usableWidth, int usableHeight) {
    int byWidth = usableWidth / Framebuffer::kWidth;
    int byHeight = (usableHeight - kDecorationAllowance) / Framebuffer::kHeight;
    return std::max(1, std::min(byWidth, byHeight));
}

bool WindowScale::IsWholeMultiple(int drawableWidth, int drawableHeight) {
    if (drawableWidth <= 0 || drawableHeight <= 0 || drawableWidth % Framebuffer::kWidth != 0 ||
        drawableHeight % Framebuffer::kHeight != 0) {
        return false;
    }
    return drawableWidth / Framebuffer::kWidth == drawableHeight / Framebuffer::kHeight;
}

} // namespace pregonero::platform
