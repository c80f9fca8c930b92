// Any bytes as a downloaded picture. The first three bytes choose the request:
// the pixel format (two of four values are not formats and must be refused)
// and the width and height, each 1..512. A decode may fail; when it succeeds
// the picture is exactly the size and format asked for.
#include "fuzz/support/FuzzCheck.h"
#include "platform/runtime/PictureDecoder.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

using pregonero::runtime::DecodePicture;
using pregonero::runtime::PixelFormat;

namespace {

int Side(std::uint8_t byte) {
    return 1 + byte * 511 / 255;
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
