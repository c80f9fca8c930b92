#pragma once

#include <cstdint>
#include <string>

namespace pregonero::feeds {

// Draws a made-up news photo with Cairo (a sky-like gradient, soft shapes
// and a caption strip) and encodes it as JPEG (TurboJPEG) or PNG (libspng).
// The same seed gives the same bytes.
class PictureMaker {
public:
    enum class Format { Jpeg, Png };

    static bool Write(const std::string& fileName, Format format, int width, int height,
                      std::uint64_t seed, std::string* error);
};

} // namespace pregonero::feeds
