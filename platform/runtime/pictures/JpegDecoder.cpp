#include "platform/runtime/pictures/JpegDecoder.h"

#include "platform/runtime/loop/UniqueHandle.h"

#include <bit>

#include <turbojpeg.h>

namespace pregonero::runtime {
namespace {

using TjHandle = UniqueHandle<void, tjDestroy>;

// Stop at the first warning (a truncated or damaged stream fails instead of
// returning half a grey picture) and refuse progressive files with absurd
// scan counts, a known way to burn CPU with a tiny file.
constexpr int kFlags = TJFLAG_STOPONWARNING | TJFLAG_LIMITSCANS;

struct ScaledSize {
    int width;
    int height;
};

// The smallest reduction (1/8 .. 1) whose output still covers the request on
// both axes; the centre crop then only ever shrinks. Upscaling is left to the
// scaler, so nothing larger than the file's own size is allocated.
ScaledSize ChooseScale(int fullW, int fullH, int wantW, int wantH) {
    ScaledSize best{fullW, fullH};
    int count = 0;
    const tjscalingfactor* factors = tjGetScalingFactors(&count);
    for (int i = 0; factors != nullptr && i < count; ++i) {
        const tjscalingfactor f = factors[i];
        if (f.num > f.denom) {
            continue;
        }
        const int w = TJSCALED(fullW, f);
        const int h = TJSCALED(fullH, f);
        if (w >= wantW && h >= wantH &&
            static_cast<long long>(w) * h < static_cast<long long>(best.width) * best.height) {
            best = {w, h};
        }
    }
    return best;
}

// Adobe-style CMYK as libjpeg hands it over is stored inverted (255 = no ink),
// so the naive conversion is a product. No colour management: good enough to
// recognise the picture in a thumbnail.
void CmykToArgb(const std::vector<unsigned char>& cmyk, ArgbImage& out) {
    for (std::size_t i = 0; i < out.pixels.size(); ++i) {
        const unsigned c = cmyk[i * 4], m = cmyk[i * 4 + 1], y = cmyk[i * 4 + 2];
        const unsigned k = cmyk[i * 4 + 3];
        const unsigned r = (c * k + 127) / 255, g = (m * k + 127) / 255, b = (y * k + 127) / 255;
        out.pixels[i] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
}

std::string Failure(void* handle) {
    return std::string("corrupt JPEG: ") + tjGetErrorStr2(handle);
}

} // namespace

bool JpegDecoder::Sniff(std::string_view bytes) {
    return bytes.size() >= 3 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
           static_cast<unsigned char>(bytes[1]) == 0xD8 &&
           static_cast<unsigned char>(bytes[2]) == 0xFF;
}

std::string JpegDecoder::Decode(std::string_view bytes, int width, int height, ArgbImage& out) {
    TjHandle handle(tjInitDecompress());
    if (!handle) {
        return "cannot start the JPEG decoder";
    }
    const auto* data = reinterpret_cast<const unsigned char*>(bytes.data());
    const auto size = static_cast<unsigned long>(bytes.size());
    int fullW = 0, fullH = 0, subsamp = 0, colorspace = 0;
    if (tjDecompressHeader3(handle.get(), data, size, &fullW, &fullH, &subsamp, &colorspace) != 0) {
        return Failure(handle.get());
    }
    if (fullW < 1 || fullH < 1 || fullW > kMaxSide || fullH > kMaxSide ||
        static_cast<long long>(fullW) * fullH > kMaxPixels) {
        return "picture too large";
    }
    const ScaledSize scaled = ChooseScale(fullW, fullH, width, height);
    out.width = scaled.width;
    out.height = scaled.height;
    out.pixels.assign(static_cast<std::size_t>(scaled.width) * scaled.height, 0);
    const bool cmyk = colorspace == TJCS_CMYK || colorspace == TJCS_YCCK;
    if (cmyk) {
        std::vector<unsigned char> raw(out.pixels.size() * 4);
        if (tjDecompress2(handle.get(), data, size, raw.data(), scaled.width, 0, scaled.height,
                          TJPF_CMYK, kFlags) != 0) {
            return Failure(handle.get());
        }
        CmykToArgb(raw, out);
        return {};
    }
    // Both orders give the 0xAARRGGBB word in memory; libjpeg fills alpha with 0xFF.
    const int pixelFormat = std::endian::native == std::endian::little ? TJPF_BGRA : TJPF_ARGB;
    if (tjDecompress2(handle.get(), data, size, reinterpret_cast<unsigned char*>(out.pixels.data()),
                      scaled.width, 0, scaled.height, pixelFormat, kFlags) != 0) {
        return Failure(handle.get());
    }
    return {};
}

} // namespace pregonero::runtime
