#pragma once

namespace pregonero::platform {

// Paints what the running application shows into the runtime's framebuffer.
class FrameRenderer {
public:
    static void Render();
};

} // namespace pregonero::platform
