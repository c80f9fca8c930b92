#pragma once

#include "platform/runtime/pictures/ArgbImage.h"

#include <string>
#include <string_view>

namespace pregonero::runtime {

// Decodes a JPEG with TurboJPEG, shrunk in the DCT domain to the smallest
// size that still covers width x height, so the full-size image is never held.
class JpegDecoder {
public:
    // Bounds on the size the header declares, checked before anything is
    // allocated: libjpeg's own buffers (and a progressive image's coefficients)
    // grow with the declared size, not with the scaled output.
    static constexpr int kMaxSide = 8192;
    static constexpr long long kMaxPixels = 40'000'000;

    static bool Sniff(std::string_view bytes);
    // Empty string on success, otherwise the reason.
    static std::string Decode(std::string_view bytes, int width, int height, ArgbImage& out);
};

} // namespace pregonero::runtime
