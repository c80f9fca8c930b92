#pragma once

#include "platform/runtime/loop/UniqueHandle.h"

#include <cstdint>
#include <string>

struct _cairo_surface;

namespace pregonero::runtime {

// The handset's screen: 480 × 800 pixels, 32-bit, opaque.
class Framebuffer {
public:
    static constexpr int kWidth = 480;
    static constexpr int kHeight = 800;

    Framebuffer();
    _cairo_surface* Surface() const { return surface_.get(); }
    const std::uint8_t* Data() const;
    int Stride() const;
    int Width() const { return kWidth; }
    int Height() const { return kHeight; }
    // Fast RGB PNG (see PngWriter); screenshots are frequent in scripted runs.
    // Returns false with `error` = "PATH: reason" when it cannot write, and
    // then leaves no partial file under `path`.
    bool WritePng(const std::string& path, std::string* error) const;

private:
    // Defined with Cairo's headers, which this one keeps out of its includers.
    static void DestroySurface(_cairo_surface* surface) noexcept;
    UniqueHandle<_cairo_surface, DestroySurface> surface_;
};

} // namespace pregonero::runtime
