#include "platform/runtime/pictures/WebpDecoder.h"

#include <bit>
#include <cstring>

#include <webp/decode.h>

namespace pregonero::runtime {
namespace {

// Frees whatever libwebp may have attached to the output buffer, also on failure.
struct WebpOutputGuard {
    WebPDecBuffer* buffer;
    ~WebpOutputGuard() { WebPFreeDecBuffer(buffer); }
};

// Centre crop of the source with the aspect ratio of the request.
void SetCentreCrop(WebPDecoderOptions& options, int srcW, int srcH, int width, int height) {
    int cropW = srcW, cropH = srcH;
    if (static_cast<long long>(srcW) * height > static_cast<long long>(srcH) * width) {
        cropW = static_cast<int>((static_cast<long long>(srcH) * width + height / 2) / height);
    } else {
        cropH = static_cast<int>((static_cast<long long>(srcW) * height + width / 2) / width);
    }
    cropW = cropW < 1 ? 1 : cropW;
    cropH = cropH < 1 ? 1 : cropH;
    options.use_cropping = 1;
    options.crop_left = (srcW - cropW) / 2;
    options.crop_top = (srcH - cropH) / 2;
    options.crop_width = cropW;
    options.crop_height = cropH;
}

} // namespace

bool WebpDecoder::Sniff(std::string_view bytes) {
    return bytes.size() >= 12 && std::memcmp(bytes.data(), "RIFF", 4) == 0 &&
           std::memcmp(bytes.data() + 8, "WEBP", 4) == 0;
}

std::string WebpDecoder::Decode(std::string_view bytes, int width, int height, ArgbImage& out) {
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config)) {
        return "cannot start the WebP decoder";
    }
    WebpOutputGuard guard{&config.output};
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    if (WebPGetFeatures(data, bytes.size(), &config.input) != VP8_STATUS_OK) {
        return "corrupt WebP";
    }
    const int srcW = config.input.width, srcH = config.input.height;
    if (srcW < 1 || srcH < 1 || srcW > kMaxSide || srcH > kMaxSide ||
        static_cast<long long>(srcW) * srcH > kMaxPixels) {
        return "picture too large";
    }
    if (config.input.has_animation) {
        return "animated WebP is not supported";
    }
    SetCentreCrop(config.options, srcW, srcH, width, height);
    config.options.use_scaling = 1;
    config.options.scaled_width = width;
    config.options.scaled_height = height;
    out.width = width;
    out.height = height;
    out.pixels.assign(static_cast<std::size_t>(width) * height, 0);
    // Premultiplied, in the byte order that makes the native 0xAARRGGBB word.
    config.output.colorspace = std::endian::native == std::endian::little ? MODE_bgrA : MODE_Argb;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = reinterpret_cast<std::uint8_t*>(out.pixels.data());
    config.output.u.RGBA.stride = width * 4;
    config.output.u.RGBA.size = out.pixels.size() * 4;
    if (WebPDecode(data, bytes.size(), &config) != VP8_STATUS_OK) {
        return "corrupt WebP";
    }
    return {};
}

} // namespace pregonero::runtime
