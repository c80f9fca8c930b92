#pragma once

#include "platform/runtime/pictures/ArgbImage.h"

#include <string>
#include <string_view>

namespace pregonero::runtime {

// Decodes the first frame of a GIF with giflib, one record and one line at a
// time (never the whole-file slurp, which holds every frame of an animation).
class GifDecoder {
public:
    static constexpr int kMaxSide = 4096;
    static constexpr long long kMaxPixels = 16'000'000;

    static bool Sniff(std::string_view bytes);
    static std::string Decode(std::string_view bytes, ArgbImage& out);
};

} // namespace pregonero::runtime
