#pragma once

#include "platform/runtime/pictures/ArgbImage.h"
#include "platform/runtime/pictures/DecodeBudget.h"

#include <string>
#include <string_view>

namespace pregonero::runtime {

// Decodes a JPEG with libjpeg, shrunk in the DCT domain to the smallest
// size that still covers width x height, so the full-size image is never
// held. The decode stops as soon as its budget is spent, between rows of
// blocks of every scan, so a picture built to be slow costs its caller no
// more than the time it allowed.
class JpegDecoder {
public:
    // Bounds on the size the header declares, checked before anything is
    // allocated: libjpeg's own buffers (and a progressive image's coefficients)
    // grow with the declared size, not with the scaled output.
    static constexpr int kMaxSide = 8192;
    static constexpr long long kMaxPixels = 40'000'000;
    // Every scan of a progressive file is a pass over the whole image, so a
    // tiny file of many empty scans is a known way to burn CPU. Counted in
    // the file before decoding starts.
    static constexpr int kMaxScans = 500;

    static bool Sniff(std::string_view bytes);
    // The start-of-scan markers in the file, found by walking its segments
    // (and skipping the entropy-coded data between them) without decoding.
    static int CountScans(std::string_view bytes);
    // Empty string on success, otherwise the reason (DecodeBudget::kTimeout
    // once the budget is spent).
    static std::string Decode(std::string_view bytes, int width, int height, ArgbImage& out,
                              const DecodeBudget& budget = {});
};

} // namespace pregonero::runtime
