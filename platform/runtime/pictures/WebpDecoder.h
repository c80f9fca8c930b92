#pragma once

#include "platform/runtime/pictures/ArgbImage.h"

#include <string>
#include <string_view>

namespace pregonero::runtime {

// Decodes a still WebP with libwebp, which crops and rescales while decoding,
// so the output is already exactly width x height (centre-cropped).
class WebpDecoder {
public:
    static constexpr int kMaxSide = 4096;
    static constexpr long long kMaxPixels = 16'000'000;

    static bool Sniff(std::string_view bytes);
    static std::string Decode(std::string_view bytes, int width, int height, ArgbImage& out);
};

} // namespace pregonero::runtime
