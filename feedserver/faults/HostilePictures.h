#pragma once

#include <string>

namespace pregonero::feeds {

// Picture files built to hurt a decoder, for fault tests: each is a small
// file whose decoding is costly, unusual or impossible.
class HostilePictures {
public:
    // A valid progressive JPEG of 1024 x 1024 pixels in
    // 2,647 scans: one DC scan, then each AC coefficient of each of three
    // components in 14 successive-approximation scans. Every scan is a pass
    // over the whole image.
    static constexpr int kManyScans = 1 + 3 * 63 * 14;
    static std::string ManyScanJpeg();
    // A valid progressive grey JPEG of 8192 x 4864 pixels in 499 scans, the
    // most a decoder allows: about 200 KB that take seconds to decode.
    static constexpr int kSlowScans = 499;
    static std::string SlowJpeg();
    // The same construction at any size (at least 2^14 blocks a component),
    // with 1 or 3 components and `scans` scans (at most 1 + 882 a component).
    static std::string EmptyScanJpeg(int width, int height, int components, int scans);
    // A four-channel (Adobe CMYK/YCCK) JPEG.
    static std::string CmykJpeg(int side);
    // A PNG whose header claims width x height pixels, with a few bytes of data.
    static std::string PngClaiming(unsigned width, unsigned height);
    // A baseline JPEG whose frame header claims width x height (at most 65535).
    static std::string JpegClaiming(unsigned width, unsigned height);
    // A plain baseline JPEG, for cutting short.
    static std::string PlainJpeg(int side);
};

} // namespace pregonero::feeds
