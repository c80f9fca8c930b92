#include "platform/runtime/pictures/PictureDecoder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "feedserver/faults/HostilePictures.h"
#include "platform/runtime/pictures/JpegDecoder.h"
#include "tests/unit/TestPictures.h"

using namespace pregonero::runtime;
using namespace pregonero::test;

namespace {

// The request's corners must show the four quadrants and the outermost columns
// must not show the magenta bands the centre crop removes.
void ExpectCentreCroppedPattern(const DecodeOutcome& outcome, PixelFormat format, int side,
                                const std::string& what) {
    SCOPED_TRACE(what);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    const PixelBuffer& p = *outcome.picture;
    ASSERT_EQ(p.width, side);
    ASSERT_EQ(p.height, side);
    EXPECT_EQ(p.format, format);
    const int bytesPerPixel = format == PixelFormat::Argb8888 ? 4 : 2;
    EXPECT_EQ(p.stride, (side * bytesPerPixel + 3) / 4 * 4);
    EXPECT_EQ(p.pixels.size(), static_cast<std::size_t>(p.stride) * side);
    const int in = side / 8, far = side - 1 - side / 8;
    EXPECT_TRUE(Near(PixelAt(p, in, in), kRed));
    EXPECT_TRUE(Near(PixelAt(p, far, in), kGreen));
    EXPECT_TRUE(Near(PixelAt(p, in, far), kBlue));
    EXPECT_TRUE(Near(PixelAt(p, far, far), kYellow));
    for (int y = 0; y < side; y += 7) {
        EXPECT_FALSE(Near(PixelAt(p, 0, y), kMagenta, 100)) << "left edge, row " << y;
        EXPECT_FALSE(Near(PixelAt(p, side - 1, y), kMagenta, 100)) << "right edge, row " << y;
    }
    if (format == PixelFormat::Argb8888) {
        EXPECT_EQ(p.pixels[3], 0xFF); // opaque pictures stay opaque (little-endian alpha byte)
    }
}

using Encoder = std::function<std::string(const std::vector<std::uint8_t>&, int, int)>;

const std::vector<std::pair<std::string, Encoder>>& Encoders() {
    static const std::vector<std::pair<std::string, Encoder>> encoders = {
        {"jpeg", [](auto& px, int w, int h) { return EncodeJpeg(px, w, h); }},
        {"png", [](auto& px, int w, int h) { return EncodePng(px, w, h); }},
        {"webp", [](auto& px, int w, int h) { return EncodeWebp(px, w, h); }},
        {"gif", [](auto&, int w, int h) { return EncodeGif(w, h); }},
    };
    return encoders;
}

} // namespace

TEST(PictureDecoderTest, EveryFormatArrivesAtExactSizeCentreCropped) {
    const auto pattern = PatternRgba(1600, 1200);
    const auto small = PatternRgba(40, 30);
    for (const auto& [name, encode] : Encoders()) {
        const std::string bytes = encode(pattern, 1600, 1200);
        ASSERT_FALSE(bytes.empty()) << name;
        // Odd sizes exercise the stride padding of RGB565 rows; small pictures are enlarged.
        for (const auto& [format, side] :
             {std::pair{PixelFormat::Argb8888, 176}, std::pair{PixelFormat::Rgb565, 440},
              std::pair{PixelFormat::Rgb565, 33}}) {
            ExpectCentreCroppedPattern(DecodePicture(bytes, format, side, side), format, side,
                                       name + " " + std::to_string(side));
        }
        ExpectCentreCroppedPattern(
            DecodePicture(encode(small, 40, 30), PixelFormat::Argb8888, 176, 176),
            PixelFormat::Argb8888, 176, name + " enlarged");
    }
    // 1600x1200 into 300x100 keeps a 1600x533 band across the middle: the
    // magenta bands survive at the sides, the quadrant split stays in the middle row.
    const auto outcome =
        DecodePicture(EncodeJpeg(pattern, 1600, 1200), PixelFormat::Argb8888, 300, 100);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    const PixelBuffer& p = *outcome.picture;
    EXPECT_TRUE(Near(PixelAt(p, 5, 50), kMagenta));
    EXPECT_TRUE(Near(PixelAt(p, 100, 10), kRed));
    EXPECT_TRUE(Near(PixelAt(p, 200, 10), kGreen));
    EXPECT_TRUE(Near(PixelAt(p, 100, 90), kBlue));
    EXPECT_TRUE(Near(PixelAt(p, 200, 90), kYellow));
}

TEST(PictureDecoderTest, TransparencyIsPremultipliedAndCmykKeepsItsColours) {
    std::vector<std::uint8_t> rgba = {255, 255, 255, 128, 255, 0, 0,   0,
                                      0,   0,   255, 255, 0,   0, 255, 255};
    const std::string png = EncodePng(rgba, 2, 2);
    const auto argb = DecodePicture(png, PixelFormat::Argb8888, 2, 2);
    ASSERT_TRUE(argb.ok) << argb.error;
    std::uint32_t first = 0, second = 0;
    std::memcpy(&first, argb.picture->pixels.data(), 4);
    std::memcpy(&second, argb.picture->pixels.data() + 4, 4);
    EXPECT_EQ(first, 0x80808080u);
    EXPECT_EQ(second, 0u);
    const auto rgb = DecodePicture(png, PixelFormat::Rgb565, 2, 2);
    ASSERT_TRUE(rgb.ok) << rgb.error;
    EXPECT_TRUE(Near(PixelAt(*rgb.picture, 1, 0), {0, 0, 0}, 0));
    EXPECT_TRUE(Near(PixelAt(*rgb.picture, 0, 1), kBlue, 0));
    // Inverted (Adobe-style) CMYK, as libjpeg stores it: 255 means no ink.
    std::vector<std::uint8_t> cmyk(64 * 64 * 4);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            std::uint8_t* p = &cmyk[(static_cast<std::size_t>(y) * 64 + x) * 4];
            const bool red = x < 32;
            p[0] = red ? 255 : 0; // red: no cyan; blue: full cyan
            p[1] = 0;             // full magenta
            p[2] = red ? 0 : 255; // red: full yellow; blue: no yellow
            p[3] = 255;           // no black
        }
    }
    const std::string jpeg = EncodeJpeg(cmyk, 64, 64, TJPF_CMYK);
    ASSERT_FALSE(jpeg.empty());
    const auto outcome = DecodePicture(jpeg, PixelFormat::Argb8888, 32, 32);
    ASSERT_TRUE(outcome.ok) << outcome.error;
    EXPECT_TRUE(Near(PixelAt(*outcome.picture, 4, 16), kRed));
    EXPECT_TRUE(Near(PixelAt(*outcome.picture, 28, 16), kBlue));
}

TEST(PictureDecoderTest, BadBytesAndBadRequestsFailCleanly) {
    const std::string jpeg = EncodeJpeg(PatternRgba(320, 240), 320, 240);
    const std::string png = EncodePng(PatternRgba(320, 240), 320, 240);
    const std::vector<std::pair<std::string, std::string>> bad = {
        {"jpeg header only", jpeg.substr(0, 200)},
        {"truncated png", png.substr(0, png.size() / 2)},
        {"truncated webp", EncodeWebp(PatternRgba(64, 64), 64, 64).substr(0, 40)},
        {"truncated gif", EncodeGif(64, 64).substr(0, 40)},
        {"signature only", "\x89PNG\r\n\x1a\n"},
    };
    for (const auto& [name, bytes] : bad) {
        const auto outcome = DecodePicture(bytes, PixelFormat::Argb8888, 176, 176);
        EXPECT_FALSE(outcome.ok) << name;
        EXPECT_FALSE(outcome.error.empty()) << name;
        EXPECT_EQ(outcome.picture, nullptr) << name;
    }
    EXPECT_FALSE(DecodePicture(jpeg, PixelFormat::Argb8888, 0, 176).ok);
    EXPECT_FALSE(DecodePicture(jpeg, PixelFormat::Argb8888, 176, 4097).ok);
    EXPECT_FALSE(DecodePicture(jpeg, static_cast<PixelFormat>(3), 176, 176).ok);
    EXPECT_TRUE(DecodePicture(jpeg, PixelFormat::Argb8888, 4096, 1).ok);
}

// A progressive file's cost is its scans times its blocks, so a small file
// can take seconds. Its scans are counted before any decoding, and a decode
// stops, mid-scan, once its caller's time is up.
TEST(PictureDecoderTest, ScansAreCountedFirstAndSlowDecodesStopAtTheirDeadline) {
    using pregonero::feeds::HostilePictures;
    const std::string many = HostilePictures::ManyScanJpeg();
    EXPECT_EQ(JpegDecoder::CountScans(many), HostilePictures::kManyScans);
    // A baseline file's entropy data is full of stuffed 0xFF bytes; an APP
    // segment may carry the bytes of a scan marker.
    std::string baseline = EncodeJpeg(PatternRgba(320, 240), 320, 240);
    EXPECT_EQ(JpegDecoder::CountScans(baseline), 1);
    baseline.insert(2, std::string("\xFF\xE1\x00\x06\xFF\xDA\x00\x02", 8));
    EXPECT_EQ(JpegDecoder::CountScans(baseline), 1);
    EXPECT_TRUE(DecodePicture(baseline, PixelFormat::Argb8888, 32, 32).ok);

    // Refused by the count even with no time left to decode at all.
    const DecodeBudget spent(DecodeBudget::Clock::now(), nullptr);
    EXPECT_EQ(DecodePicture(many, PixelFormat::Argb8888, 176, 176, spent).error, "too many scans");

    // The construction decodes when given the time, so only the deadline stops it.
    const std::string modest = HostilePictures::EmptyScanJpeg(1024, 1024, 1, 499);
    EXPECT_EQ(JpegDecoder::CountScans(modest), 499);
    const DecodeOutcome whole = DecodePicture(modest, PixelFormat::Rgb565, 176, 176);
    EXPECT_TRUE(whole.ok) << whole.error;
    const std::string slow = HostilePictures::SlowJpeg();
    EXPECT_EQ(JpegDecoder::CountScans(slow), HostilePictures::kSlowScans);
    const DecodeBudget brief(DecodeBudget::Clock::now() + std::chrono::milliseconds(20), nullptr);
    const DecodeOutcome abandoned = DecodePicture(slow, PixelFormat::Rgb565, 176, 176, brief);
    EXPECT_FALSE(abandoned.ok);
    EXPECT_EQ(abandoned.error, DecodeBudget::kTimeout);
    EXPECT_EQ(abandoned.picture, nullptr);
    auto cancelled = std::make_shared<std::atomic<bool>>(true);
    EXPECT_EQ(DecodePicture(modest, PixelFormat::Rgb565, 176, 176,
                            DecodeBudget(DecodeBudget::Clock::time_point::max(), cancelled))
                  .error,
              DecodeBudget::kTimeout);
}
