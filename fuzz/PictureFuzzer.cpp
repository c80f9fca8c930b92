// Any bytes as a downloaded picture. The first three bytes choose the request:
// the pixel format (two of four values are not formats and must be refused)
// and the width and height, each 1..512. A decode may fail; when it succeeds
// the picture is exactly the size and format asked for.
//
// A few bytes can declare a picture far larger than they could describe,
// which the decoders accept and dutifully fill and scale: such inputs teach
// the fuzzer nothing about parsing and cost a hundred times the others, so
// pictures declaring more than kMaxFuzzPixels (yet within the decoders'
// limits) are skipped. The
// refusals above the limits still run; unit tests cover large pictures.
#include "fuzz/support/FuzzCheck.h"
#include "platform/runtime/pictures/PictureDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

#include <webp/decode.h>

using pregonero::runtime::DecodePicture;
using pregonero::runtime::PixelFormat;

namespace {

constexpr long long kMaxFuzzPixels = 1 << 16;

int Side(std::uint8_t byte) {
    return 1 + byte * 511 / 255;
}

unsigned Be16(std::string_view b, std::size_t at) {
    return static_cast<unsigned char>(b[at]) << 8 | static_cast<unsigned char>(b[at + 1]);
}

unsigned Le16(std::string_view b, std::size_t at) {
    return static_cast<unsigned char>(b[at + 1]) << 8 | static_cast<unsigned char>(b[at]);
}

unsigned long Be32(std::string_view b, std::size_t at) {
    return static_cast<unsigned long>(Be16(b, at)) << 16 | Be16(b, at + 2);
}

// The size the header declares, as far as a quick look can tell; 0 when it
// cannot.
long long DeclaredPixels(std::string_view b) {
    if (b.size() >= 10 && b.substr(0, 4) == "GIF8") {
        return static_cast<long long>(Le16(b, 6)) * Le16(b, 8);
    }
    if (b.size() >= 24 && b.substr(1, 3) == "PNG") {
        const unsigned long w = Be32(b, 16), h = Be32(b, 20);
        // Sides up to 2^31 would overflow the product: beyond 2^20 it is huge anyway.
        return w > (1u << 20) || h > (1u << 20) ? 1LL << 40 : static_cast<long long>(w * h);
    }
    if (b.size() >= 4 && static_cast<unsigned char>(b[0]) == 0xFF &&
        static_cast<unsigned char>(b[1]) == 0xD8) {
        for (std::size_t i = 2; i + 9 <= b.size() && static_cast<unsigned char>(b[i]) == 0xFF;
             i += 2 + Be16(b, i + 2)) {
            const unsigned marker = static_cast<unsigned char>(b[i + 1]);
            if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 &&
                marker != 0xCC) {
                return static_cast<long long>(Be16(b, i + 5)) * Be16(b, i + 7);
            }
        }
        return 0;
    }
    int w = 0, h = 0;
    if (WebPGetInfo(reinterpret_cast<const std::uint8_t*>(b.data()), b.size(), &w, &h) != 0) {
        return static_cast<long long>(w) * h;
    }
    return 0;
}

// Within every decoder's limits, so it would be decoded in full.
bool DecodableAndHuge(long long pixels) {
    return pixels > kMaxFuzzPixels && pixels <= 16'000'000;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 3) {
        return 0;
    }
    const auto format = static_cast<PixelFormat>(data[0] % 4);
    const bool knownFormat = format == PixelFormat::Rgb565 || format == PixelFormat::Argb8888;
    const int width = Side(data[1]);
    const int height = Side(data[2]);
    const std::string_view bytes(reinterpret_cast<const char*>(data + 3), size - 3);
    if (DecodableAndHuge(DeclaredPixels(bytes))) {
        return 0;
    }

    const pregonero::runtime::DecodeOutcome outcome = DecodePicture(bytes, format, width, height);
    if (!outcome.ok) {
        FUZZ_CHECK(!outcome.error.empty());
        FUZZ_CHECK(outcome.picture == nullptr);
        return 0;
    }
    FUZZ_CHECK(knownFormat);
    FUZZ_CHECK(outcome.picture != nullptr);
    const pregonero::runtime::PixelBuffer& picture = *outcome.picture;
    FUZZ_CHECK(picture.width == width && picture.height == height);
    FUZZ_CHECK(picture.format == format);
    const int bytesPerPixel = format == PixelFormat::Argb8888 ? 4 : 2;
    FUZZ_CHECK(picture.stride >= width * bytesPerPixel && picture.stride % 4 == 0);
    FUZZ_CHECK(picture.pixels.size() == static_cast<std::size_t>(picture.stride) * height);
    if (format == PixelFormat::Argb8888) {
        // Premultiplied: no colour channel exceeds its alpha.
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* row =
                picture.pixels.data() + static_cast<std::size_t>(y) * picture.stride;
            for (int x = 0; x < width; ++x) {
                std::uint32_t p = 0;
                std::memcpy(&p, row + static_cast<std::size_t>(x) * 4, 4);
                const std::uint32_t a = p >> 24;
                FUZZ_CHECK(((p >> 16) & 0xFF) <= a && ((p >> 8) & 0xFF) <= a && (p & 0xFF) <= a);
            }
        }
    }
    return 0;
}
