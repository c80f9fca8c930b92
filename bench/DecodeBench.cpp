// Picture decode to the two slot sizes (176x176 thumbnails, 440x440 article
// pictures): DecodePicture, the function the decode service runs on its
// workers, next to libvips's vips_thumbnail_buffer on the same bytes, both on
// one thread. Photos are generated here, deterministically: a smooth scene
// with fine grain, saved by libvips as baseline JPEG (1024x768, 1600x1200,
// 3000x2000), progressive JPEG (1600x1200) and PNG (1024x768). A last case
// runs all 64 pictures to thumbnails on two threads for the throughput.
#include "platform/runtime/pictures/PictureDecoder.h"

#include <benchmark/benchmark.h>

#include <vips/vips.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <thread>
#include <vector>

namespace {

using namespace pregonero::runtime;

enum Kind { kJpeg1024, kJpeg1600, kJpeg3000, kProgressive1600, kPng1024, kKinds };

struct KindInfo {
    const char* name;
    int width;
    int height;
    int count;
};

constexpr KindInfo kInfo[kKinds] = {
    {"jpeg_1024x768", 1024, 768, 16},  {"jpeg_1600x1200", 1600, 1200, 16},
    {"jpeg_3000x2000", 3000, 2000, 8}, {"progressive_1600x1200", 1600, 1200, 8},
    {"png_1024x768", 1024, 768, 16},
};

// A photo-like RGB scene: gradients, a few soft discs and per-pixel grain from
// a fixed-seed generator, so it compresses like a photograph, not like a flat fill.
std::vector<std::uint8_t> Scene(int width, int height, unsigned seed) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    std::uint32_t state = 2463534242u + seed * 7919u;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    const double cx = width * (0.3 + 0.05 * (seed % 5));
    const double cy = height * 0.45;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double d = std::hypot(x - cx, y - cy) / width;
            int grain = static_cast<int>(next() % 24) - 12;
            int r = static_cast<int>(60 + 150.0 * x / width + 40 * std::sin(d * 20)) + grain;
            int g = static_cast<int>(90 + 100.0 * y / height + 30 * std::cos(x * 0.01)) + grain;
            int b = static_cast<int>(200 - 120 * d + 25 * std::sin(y * 0.02 + seed)) + grain;
            std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * width + x) * 3];
            p[0] = static_cast<std::uint8_t>(std::clamp(r, 0, 255));
            p[1] = static_cast<std::uint8_t>(std::clamp(g, 0, 255));
            p[2] = static_cast<std::uint8_t>(std::clamp(b, 0, 255));
        }
    }
    return rgb;
}

std::string Encode(Kind kind, unsigned seed) {
    const KindInfo& info = kInfo[kind];
    auto rgb = Scene(info.width, info.height, seed);
    VipsImage* image = vips_image_new_from_memory(rgb.data(), rgb.size(), info.width, info.height,
                                                  3, VIPS_FORMAT_UCHAR);
    void* buffer = nullptr;
    size_t length = 0;
    int failed = 0;
    if (kind == kPng1024) {
        failed = vips_pngsave_buffer(image, &buffer, &length, "compression", 6, nullptr);
    } else {
        failed = vips_jpegsave_buffer(image, &buffer, &length, "Q", 85, "interlace",
                                      kind == kProgressive1600 ? TRUE : FALSE, nullptr);
    }
    g_object_unref(image);
    std::string bytes;
    if (failed == 0) {
        bytes.assign(static_cast<const char*>(buffer), length);
    }
    g_free(buffer);
    return bytes;
}

const std::vector<std::string>& Photos(Kind kind) {
    static std::map<int, std::vector<std::string>> cache;
    auto& photos = cache[kind];
    if (photos.empty()) {
        for (int i = 0; i < kInfo[kind].count; ++i) {
            photos.push_back(Encode(kind, static_cast<unsigned>(kind * 100 + i)));
        }
    }
    return photos;
}

bool OursOnce(const std::string& bytes, int side) {
    DecodeOutcome outcome = DecodePicture(bytes, PixelFormat::Argb8888, side, side);
    return outcome.ok && outcome.picture->width == side;
}

// The same work as ours: decode, shrink and centre-crop to exactly side x
// side, pixels in memory (libvips is lazy, so they are written out).
bool VipsOnce(const std::string& bytes, int side) {
    VipsImage* out = nullptr;
    if (vips_thumbnail_buffer(const_cast<char*>(bytes.data()), bytes.size(), &out, side, "height",
                              side, "crop", VIPS_INTERESTING_CENTRE, nullptr) != 0) {
        return false;
    }
    size_t size = 0;
    void* pixels = vips_image_write_to_memory(out, &size);
    bool ok = pixels != nullptr && vips_image_get_width(out) == side;
    g_free(pixels);
    g_object_unref(out);
    return ok;
}

template <bool (*Once)(const std::string&, int)> void BM_Decode(benchmark::State& state) {
    const auto kind = static_cast<Kind>(state.range(0));
    const int side = static_cast<int>(state.range(1));
    const auto& photos = Photos(kind);
    std::size_t next = 0;
    for (auto _ : state) {
        if (!Once(photos[next++ % photos.size()], side)) {
            state.SkipWithError("decode failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations());
    state.SetLabel(std::string(kInfo[kind].name) + " to " + std::to_string(side));
}

// Ours and libvips on the same case run back to back, so a shared machine's
// changing load falls on both sides of each ratio alike.
void RegisterDecodeCases() {
    for (int kind = 0; kind < kKinds; ++kind) {
        for (int side : {176, 440}) {
            for (auto* bench :
                 {benchmark::RegisterBenchmark("BM_DecodeOurs", BM_Decode<OursOnce>),
                  benchmark::RegisterBenchmark("BM_DecodeVips", BM_Decode<VipsOnce>)}) {
                bench->Args({kind, side})
                    ->Repetitions(3)
                    ->ReportAggregatesOnly(true)
                    ->Unit(benchmark::kMillisecond);
            }
        }
    }
}

// All 64 pictures to thumbnails, split over two threads as the decode service's pool does.
void BM_ThumbnailsTwoThreads(benchmark::State& state) {
    std::vector<const std::string*> all;
    for (int kind = 0; kind < kKinds; ++kind) {
        for (const auto& bytes : Photos(static_cast<Kind>(kind))) {
            all.push_back(&bytes);
        }
    }
    for (auto _ : state) {
        std::atomic<std::size_t> next{0};
        std::atomic<bool> failed{false};
        auto work = [&] {
            for (std::size_t i = next++; i < all.size(); i = next++) {
                failed = failed || !OursOnce(*all[i], 176);
            }
        };
        std::thread other(work);
        work();
        other.join();
        if (failed) {
            state.SkipWithError("decode failed");
            break;
        }
    }
    state.SetItemsProcessed(state.iterations() * static_cast<long>(all.size()));
}
BENCHMARK(BM_ThumbnailsTwoThreads)
    ->Iterations(3)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

// `DecodeBench --decode-files SIDE FILE...`: decodes the files one after the
// other to SIDE x SIDE, five times, and prints the median milliseconds of one
// pass; bench/run.sh uses it for the decode part of the end-to-end figures.
int DecodeFiles(int side, int count, char** paths) {
    std::vector<std::string> files;
    for (int i = 0; i < count; ++i) {
        std::ifstream in(paths[i], std::ios::binary);
        files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<double> passes;
    for (int pass = 0; pass < 5; ++pass) {
        auto start = std::chrono::steady_clock::now();
        for (const auto& bytes : files) {
            if (!OursOnce(bytes, side)) {
                std::fprintf(stderr, "decode failed\n");
                return 1;
            }
        }
        passes.push_back(
            std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start)
                .count());
    }
    std::sort(passes.begin(), passes.end());
    std::printf("%.2f\n", passes[passes.size() / 2]);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc >= 3 && std::strcmp(argv[1], "--decode-files") == 0) {
        return DecodeFiles(std::atoi(argv[2]), argc - 3, argv + 3);
    }
    if (VIPS_INIT(argv[0]) != 0) {
        std::fprintf(stderr, "libvips did not start\n");
        return 1;
    }
    // One thread and no operation cache: the same conditions as one call of ours.
    vips_concurrency_set(1);
    vips_cache_set_max(0);
    RegisterDecodeCases();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    vips_shutdown();
    return 0;
}
