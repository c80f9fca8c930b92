#pragma once

#include "platform/runtime/pictures/DecodeBudget.h"
#include "platform/runtime/pictures/PixelBuffer.h"

#include <memory>
#include <string>
#include <string_view>

namespace pregonero::runtime {

struct DecodeOutcome {
    bool ok = false;
    std::string error; // why not, when !ok
    std::shared_ptr<const PixelBuffer> picture;
};

// Largest side a caller may ask for.
inline constexpr int kMaxRequestedSide = 4096;

// Pure and thread-safe. Recognises JPEG, PNG, WebP or GIF from the bytes
// themselves (never from a URL), decodes, and scales to exactly
// width x height, centre-cropped to keep the aspect ratio, in the requested
// format. Transparent parts become black in RGB565, which has no alpha.
// A damaged or truncated file fails; nothing partial is returned. Once
// `budget` is spent the decode stops (a JPEG mid-scan, the others between
// steps) and fails with DecodeBudget::kTimeout.
DecodeOutcome DecodePicture(std::string_view bytes, PixelFormat format, int width, int height,
                            const DecodeBudget& budget = {});

} // namespace pregonero::runtime
