#pragma once

#include "platform/runtime/pictures/ArgbImage.h"

#include <string>
#include <string_view>

namespace pregonero::runtime {

// Decodes a PNG with libspng to premultiplied ARGB at its full size (PNG has
// no cheap reduced decode); the limits keep that size sane.
class PngDecoder {
public:
    static constexpr int kMaxSide = 4096;
    static constexpr long long kMaxPixels = 16'000'000;
    // Ancillary chunks (text, ICC profiles) are skipped, but a file full of
    // them must not make libspng buffer megabytes of metadata.
    static constexpr std::size_t kMaxChunkBytes = 1u << 20;
    static constexpr std::size_t kMaxChunkCacheBytes = 4u << 20;

    static bool Sniff(std::string_view bytes);
    static std::string Decode(std::string_view bytes, ArgbImage& out);
};

} // namespace pregonero::runtime
