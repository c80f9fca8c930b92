#include "platform/runtime/pictures/PictureScaler.h"

#include <algorithm>
#include <cmath>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace pregonero::runtime {
namespace {

constexpr int kWeightBits = 14;
constexpr int kWeightOne = 1 << kWeightBits;

// For each output index along one axis: the first source index it reads and
// the integer weights of consecutive source pixels (they sum to kWeightOne).
struct AxisFilter {
    std::vector<int> first;
    std::vector<int> count;
    std::vector<int> offset; // into weights
    std::vector<int> weights;
};

void AddTap(std::vector<std::pair<int, double>>& taps, int index, double weight) {
    if (weight <= 0.0) {
        return;
    }
    for (auto& tap : taps) {
        if (tap.first == index) {
            tap.second += weight;
            return;
        }
    }
    taps.emplace_back(index, weight);
}

// Area coverage of the output pixel's footprint [a, b) over whole source pixels.
void AreaTaps(double a, double b, int sourceLength, std::vector<std::pair<int, double>>& taps) {
    const int from = std::max(0, static_cast<int>(std::floor(a)));
    const int to = std::min(sourceLength, static_cast<int>(std::ceil(b)));
    for (int j = from; j < to; ++j) {
        AddTap(taps, j, std::min(b, j + 1.0) - std::max(a, static_cast<double>(j)));
    }
}

void BilinearTaps(double centre, int sourceLength, std::vector<std::pair<int, double>>& taps) {
    const double position = centre - 0.5;
    const int j = static_cast<int>(std::floor(position));
    const double f = position - j;
    AddTap(taps, std::clamp(j, 0, sourceLength - 1), 1.0 - f);
    AddTap(taps, std::clamp(j + 1, 0, sourceLength - 1), f);
}

// Quantises the taps so that they sum exactly to one: a flat colour stays flat.
void AppendTaps(std::vector<std::pair<int, double>>& taps, AxisFilter& filter) {
    std::sort(taps.begin(), taps.end());
    double total = 0.0;
    for (const auto& tap : taps) {
        total += tap.second;
    }
    filter.first.push_back(taps.front().first);
    filter.count.push_back(taps.back().first - taps.front().first + 1);
    filter.offset.push_back(static_cast<int>(filter.weights.size()));
    std::vector<int> weights(static_cast<std::size_t>(filter.count.back()), 0);
    int sum = 0;
    for (const auto& tap : taps) {
        const int w = static_cast<int>(std::lround(tap.second / total * kWeightOne));
        weights[static_cast<std::size_t>(tap.first - taps.front().first)] = w;
        sum += w;
    }
    *std::max_element(weights.begin(), weights.end()) += kWeightOne - sum;
    filter.weights.insert(filter.weights.end(), weights.begin(), weights.end());
}

AxisFilter BuildAxis(int sourceLength, double cropStart, double cropLength, int outLength) {
    AxisFilter filter;
    const double scale = cropLength / outLength;
    std::vector<std::pair<int, double>> taps;
    for (int i = 0; i < outLength; ++i) {
        taps.clear();
        if (scale > 2.0) {
            AreaTaps(cropStart + i * scale, cropStart + (i + 1) * scale, sourceLength, taps);
        } else {
            BilinearTaps(cropStart + (i + 0.5) * scale, sourceLength, taps);
        }
        if (taps.empty()) {
            taps.emplace_back(std::clamp(static_cast<int>(cropStart), 0, sourceLength - 1), 1.0);
        }
        AppendTaps(taps, filter);
    }
    return filter;
}

std::uint32_t Blend(const std::uint32_t* pixels, std::ptrdiff_t step, const int* weights,
                    int count) {
    std::uint32_t a = 0, r = 0, g = 0, b = 0;
    for (int k = 0; k < count; ++k) {
        const std::uint32_t p = pixels[k * step];
        const auto w = static_cast<std::uint32_t>(weights[k]);
        a += (p >> 24) * w;
        r += ((p >> 16) & 0xFF) * w;
        g += ((p >> 8) & 0xFF) * w;
        b += (p & 0xFF) * w;
    }
    constexpr std::uint32_t half = kWeightOne / 2;
    return (((a + half) >> kWeightBits) << 24) | (((r + half) >> kWeightBits) << 16) |
           (((g + half) >> kWeightBits) << 8) | ((b + half) >> kWeightBits);
}

#if defined(__SSE2__)
// The same sums as Blend, two taps at a time: each pair of 16-bit channel
// values meets its pair of weights in one multiply-add. Channels and weights
// (at most kWeightOne) fit in 16 bits, the sums in 32.
__m128i PairWeights(const int* weights, int k) {
    return _mm_set1_epi32((weights[k + 1] << 16) | weights[k]);
}

std::uint32_t Pack(__m128i sums) {
    sums = _mm_srli_epi32(_mm_add_epi32(sums, _mm_set1_epi32(kWeightOne / 2)), kWeightBits);
    sums = _mm_packs_epi32(sums, sums);
    return static_cast<std::uint32_t>(_mm_cvtsi128_si32(_mm_packus_epi16(sums, sums)));
}

// Consecutive source pixels of one row.
std::uint32_t BlendAcross(const std::uint32_t* pixels, const int* weights, int count) {
    const __m128i zero = _mm_setzero_si128();
    __m128i sums = zero;
    int k = 0;
    for (; k + 1 < count; k += 2) {
        const __m128i two =
            _mm_unpacklo_epi8(_mm_loadl_epi64(reinterpret_cast<const __m128i*>(pixels + k)), zero);
        const __m128i paired = _mm_unpacklo_epi16(two, _mm_srli_si128(two, 8));
        sums = _mm_add_epi32(sums, _mm_madd_epi16(paired, PairWeights(weights, k)));
    }
    if (k < count) {
        const __m128i one = _mm_unpacklo_epi8(_mm_cvtsi32_si128(static_cast<int>(pixels[k])), zero);
        sums = _mm_add_epi32(
            sums, _mm_madd_epi16(_mm_unpacklo_epi16(one, zero), _mm_set1_epi32(weights[k])));
    }
    return Pack(sums);
}

// Four pixels of an output row from the same columns of consecutive rows.
void BlendDown4(const std::uint32_t* column, std::ptrdiff_t step, const int* weights, int count,
                std::uint32_t* out) {
    const __m128i zero = _mm_setzero_si128();
    __m128i sums[4] = {zero, zero, zero, zero};
    auto load = [&](int k) {
        return _mm_loadu_si128(reinterpret_cast<const __m128i*>(column + k * step));
    };
    int k = 0;
    for (; k + 1 < count; k += 2) {
        const __m128i a = load(k);
        const __m128i b = load(k + 1);
        const __m128i w = PairWeights(weights, k);
        const __m128i aLow = _mm_unpacklo_epi8(a, zero), aHigh = _mm_unpackhi_epi8(a, zero);
        const __m128i bLow = _mm_unpacklo_epi8(b, zero), bHigh = _mm_unpackhi_epi8(b, zero);
        sums[0] = _mm_add_epi32(sums[0], _mm_madd_epi16(_mm_unpacklo_epi16(aLow, bLow), w));
        sums[1] = _mm_add_epi32(sums[1], _mm_madd_epi16(_mm_unpackhi_epi16(aLow, bLow), w));
        sums[2] = _mm_add_epi32(sums[2], _mm_madd_epi16(_mm_unpacklo_epi16(aHigh, bHigh), w));
        sums[3] = _mm_add_epi32(sums[3], _mm_madd_epi16(_mm_unpackhi_epi16(aHigh, bHigh), w));
    }
    if (k < count) {
        const __m128i a = load(k);
        const __m128i w = _mm_set1_epi32(weights[k]);
        const __m128i aLow = _mm_unpacklo_epi8(a, zero), aHigh = _mm_unpackhi_epi8(a, zero);
        sums[0] = _mm_add_epi32(sums[0], _mm_madd_epi16(_mm_unpacklo_epi16(aLow, zero), w));
        sums[1] = _mm_add_epi32(sums[1], _mm_madd_epi16(_mm_unpackhi_epi16(aLow, zero), w));
        sums[2] = _mm_add_epi32(sums[2], _mm_madd_epi16(_mm_unpacklo_epi16(aHigh, zero), w));
        sums[3] = _mm_add_epi32(sums[3], _mm_madd_epi16(_mm_unpackhi_epi16(aHigh, zero), w));
    }
    for (int i = 0; i < 4; ++i) {
        out[i] = Pack(sums[i]);
    }
}
#endif

} // namespace

ArgbImage PictureScaler::ScaleCentreCropped(const ArgbImage& source, int width, int height) {
    ArgbImage out;
    out.width = width;
    out.height = height;
    if (source.width == width && source.height == height) {
        out.pixels = source.pixels;
        return out;
    }
    // The crop keeps the request's aspect ratio; fractional edges are honoured
    // by the filters instead of rounding the crop to whole pixels.
    double cropW = source.width, cropH = source.height;
    if (static_cast<double>(source.width) * height > static_cast<double>(source.height) * width) {
        cropW = static_cast<double>(source.height) * width / height;
    } else {
        cropH = static_cast<double>(source.width) * height / width;
    }
    const AxisFilter across = BuildAxis(source.width, (source.width - cropW) / 2, cropW, width);
    const AxisFilter down = BuildAxis(source.height, (source.height - cropH) / 2, cropH, height);

    // Only the source rows the vertical filter reads go through the first pass.
    const int rowFrom = down.first.front();
    const int rowTo = down.first.back() + down.count.back();
    std::vector<std::uint32_t> scratch(static_cast<std::size_t>(width) * (rowTo - rowFrom));
    for (int y = rowFrom; y < rowTo; ++y) {
        const std::uint32_t* row =
            source.pixels.data() + static_cast<std::size_t>(y) * source.width;
        std::uint32_t* into = scratch.data() + static_cast<std::size_t>(y - rowFrom) * width;
        for (int x = 0; x < width; ++x) {
#if defined(__SSE2__)
            into[x] = BlendAcross(row + across.first[x], across.weights.data() + across.offset[x],
                                  across.count[x]);
#else
            into[x] = Blend(row + across.first[x], 1, across.weights.data() + across.offset[x],
                            across.count[x]);
#endif
        }
    }
    out.pixels.resize(static_cast<std::size_t>(width) * height);
    for (int y = 0; y < height; ++y) {
        const std::uint32_t* column =
            scratch.data() + static_cast<std::size_t>(down.first[y] - rowFrom) * width;
        std::uint32_t* into = out.pixels.data() + static_cast<std::size_t>(y) * width;
        const int* weights = down.weights.data() + down.offset[y];
        int x = 0;
#if defined(__SSE2__)
        for (; x + 4 <= width; x += 4) {
            BlendDown4(column + x, width, weights, down.count[y], into + x);
        }
#endif
        for (; x < width; ++x) {
            into[x] = Blend(column + x, width, weights, down.count[y]);
        }
    }
    return out;
}

} // namespace pregonero::runtime
