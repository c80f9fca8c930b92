// The screenshot writer's PNGs must decode, in libspng and in plain zlib, to
// exactly the pixels given, whatever the picture's size and however its rows
// fall into the runs that are deflated apart; and a write that fails must say
// which file and leave no partial file behind.
#include "platform/runtime/rendering/Framebuffer.h"
#include "platform/runtime/rendering/PngWriter.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <spng.h>
#include <zlib.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using pregonero::runtime::Framebuffer;
using pregonero::runtime::PngWriter;

// A picture of 0xAARRGGBB words, rows `stride` words apart.
struct Picture {
    int width = 0;
    int height = 0;
    int stride = 0; // in pixels
    std::vector<std::uint32_t> pixels;

    Picture(int w, int h, int padding = 0)
        : width(w), height(h), stride(w + padding),
          pixels(static_cast<std::size_t>(stride) * h, 0xFF000000u) {}
    std::uint32_t& At(int x, int y) { return pixels[static_cast<std::size_t>(y) * stride + x]; }
    std::uint32_t At(int x, int y) const {
        return pixels[static_cast<std::size_t>(y) * stride + x];
    }
    const std::uint8_t* Bytes() const {
        return reinterpret_cast<const std::uint8_t*>(pixels.data());
    }
    PngWriter Writer() const { return PngWriter(Bytes(), width, height, stride * 4); }
};

// Random pixels; `alpha` false keeps them opaque, true makes alpha random too
// (the writer must ignore it).
void FillRandom(Picture& picture, int firstRow, int endRow, std::uint32_t seed, bool alpha) {
    std::mt19937 random(seed);
    for (int y = firstRow; y < endRow; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t word = random();
            picture.At(x, y) = alpha ? word : (word | 0xFF000000u);
        }
    }
}

// What a screen looks like, and what is hard on the writer: a random first
// row, flat bands, a gradient, random blocks on flat ground, runs of one
// colour across many rows, and a last row unlike the one above it.
void FillVaried(Picture& picture, std::uint32_t seed) {
    std::mt19937 random(seed);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            std::uint32_t word;
            if (y == 0) {
                word = random();
            } else if (y == picture.height - 1) {
                word = (x % 2 == 0) ? 0x00FFFFFFu : 0x00010203u * static_cast<std::uint32_t>(x);
            } else if (y < picture.height / 5) {
                word = 0x003366CCu; // flat band
            } else if (y < 2 * picture.height / 5) {
                word = (static_cast<std::uint32_t>(x * 255 / picture.width) << 16) |
                       (static_cast<std::uint32_t>(y & 0xFF) << 8) |
                       static_cast<std::uint32_t>((x + y) & 0xFF); // gradient
            } else if (y < 3 * picture.height / 5) {
                word = ((x / 16 + y / 16) % 3 == 0) ? random() : 0x00F0F0F0u; // noise on flat
            } else {
                word = (y / 7 % 2 == 0) ? 0x00000000u : 0x00FFFFFFu; // long runs, stripes
            }
            picture.At(x, y) = word | 0xFF000000u;
        }
    }
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::uint32_t BigEndian(const std::string& bytes, std::size_t at) {
    return (std::uint32_t{static_cast<unsigned char>(bytes[at])} << 24) |
           (std::uint32_t{static_cast<unsigned char>(bytes[at + 1])} << 16) |
           (std::uint32_t{static_cast<unsigned char>(bytes[at + 2])} << 8) |
           std::uint32_t{static_cast<unsigned char>(bytes[at + 3])};
}

// The file's structure read without libspng: the signature, IHDR first and
// IEND last, every chunk's CRC, and the IDAT data as one zlib stream (whose
// adler32 zlib checks) holding `height` SUB-filtered rows of `width` pixels.
testing::AssertionResult WellFormed(const std::string& png, int width, int height) {
    static const std::string kSignature("\x89PNG\r\n\x1a\n", 8);
    if (png.compare(0, 8, kSignature) != 0) {
        return testing::AssertionFailure() << "no PNG signature";
    }
    std::vector<std::string> types;
    std::string zlib;
    std::size_t at = 8;
    while (at + 12 <= png.size()) {
        const std::uint32_t length = BigEndian(png, at);
        if (at + 12 + length > png.size()) {
            return testing::AssertionFailure() << "chunk past the end of the file";
        }
        const std::string type = png.substr(at + 4, 4);
        const auto* typeAndData = reinterpret_cast<const Bytef*>(png.data() + at + 4);
        if (crc32(0, typeAndData, 4 + length) != BigEndian(png, at + 8 + length)) {
            return testing::AssertionFailure() << "bad CRC in " << type;
        }
        if (type == "IDAT") {
            zlib.append(png, at + 8, length);
        }
        types.push_back(type);
        at += 12 + length;
    }
    if (at != png.size() || types.size() < 3 || types.front() != "IHDR" || types.back() != "IEND") {
        return testing::AssertionFailure() << "chunks not IHDR … IEND filling the file";
    }
    const std::size_t rowBytes = 1 + 3 * static_cast<std::size_t>(width);
    std::vector<Bytef> rows(rowBytes * height + 1);
    uLongf size = rows.size();
    const int rc =
        uncompress(rows.data(), &size, reinterpret_cast<const Bytef*>(zlib.data()), zlib.size());
    if (rc != Z_OK) {
        return testing::AssertionFailure() << "zlib stream does not inflate: " << zError(rc);
    }
    if (size != rowBytes * height) {
        return testing::AssertionFailure()
               << "inflated to " << size << " bytes, not " << rowBytes * height;
    }
    for (int y = 0; y < height; ++y) {
        if (rows[y * rowBytes] != 1) {
            return testing::AssertionFailure() << "row " << y << " is not SUB filtered";
        }
    }
    return testing::AssertionSuccess();
}

// Decodes with libspng to RGB8 and compares every pixel with the picture's.
testing::AssertionResult DecodesTo(const std::string& png, const Picture& picture) {
    spng_ctx* ctx = spng_ctx_new(0);
    spng_set_png_buffer(ctx, png.data(), png.size());
    spng_ihdr ihdr{};
    int rc = spng_get_ihdr(ctx, &ihdr);
    std::size_t size = 0;
    if (rc == 0) {
        rc = spng_decoded_image_size(ctx, SPNG_FMT_RGB8, &size);
    }
    std::vector<std::uint8_t> rgb(size);
    if (rc == 0) {
        rc = spng_decode_image(ctx, rgb.data(), rgb.size(), SPNG_FMT_RGB8, 0);
    }
    spng_ctx_free(ctx);
    if (rc != 0) {
        return testing::AssertionFailure() << "libspng: " << spng_strerror(rc);
    }
    if (ihdr.width != static_cast<std::uint32_t>(picture.width) ||
        ihdr.height != static_cast<std::uint32_t>(picture.height) || ihdr.bit_depth != 8 ||
        ihdr.color_type != SPNG_COLOR_TYPE_TRUECOLOR || ihdr.interlace_method != 0) {
        return testing::AssertionFailure()
               << "header " << ihdr.width << "x" << ihdr.height << " depth " << int{ihdr.bit_depth}
               << " type " << int{ihdr.color_type};
    }
    long differing = 0;
    int firstX = -1, firstY = -1;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
            const std::uint32_t got =
                (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
            const std::uint32_t want = picture.At(x, y) & 0x00FFFFFFu;
            if (got != want && differing++ == 0) {
                firstX = x;
                firstY = y;
            }
        }
    }
    if (differing != 0) {
        return testing::AssertionFailure()
               << differing << " pixels differ, the first at (" << firstX << ", " << firstY << ")";
    }
    return testing::AssertionSuccess();
}

std::string Encode(const Picture& picture) {
    std::vector<std::uint8_t> png;
    std::string error;
    EXPECT_TRUE(picture.Writer().Encode(&png, &error)) << error;
    return std::string(png.begin(), png.end());
}

class PngWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("pregonero-pngwriter-" + std::to_string(::getpid()));
        fs::remove_all(root_);
        fs::create_directories(root_);
    }
    void TearDown() override { fs::remove_all(root_); }

    // Names in the scratch folder, to see that no temporary is left.
    std::vector<std::string> Listing() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(root_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

    fs::path root_;
};

TEST_F(PngWriterTest, FramebufferScreenshotRoundTripsEveryPixel) {
    Framebuffer fb;
    cairo_surface_t* surface = fb.Surface();
    cairo_surface_flush(surface);
    Picture picture(Framebuffer::kWidth, Framebuffer::kHeight);
    FillVaried(picture, 20240501);
    const int stride = cairo_image_surface_get_stride(surface);
    unsigned char* data = cairo_image_surface_get_data(surface);
    for (int y = 0; y < picture.height; ++y) {
        std::memcpy(data + static_cast<std::size_t>(y) * stride, &picture.At(0, y),
                    static_cast<std::size_t>(picture.width) * 4);
    }
    cairo_surface_mark_dirty(surface);

    const fs::path shot = root_ / "shot.png";
    std::string error;
    ASSERT_TRUE(fb.WritePng(shot.string(), &error)) << error;
    const std::string png = ReadAll(shot);
    EXPECT_TRUE(WellFormed(png, picture.width, picture.height));
    EXPECT_TRUE(DecodesTo(png, picture));
    EXPECT_EQ(Listing(), std::vector<std::string>{"shot.png"});
}

TEST_F(PngWriterTest, FlatFramesRoundTrip) {
    // One colour throughout: every run is one long match, and the cuts
    // between runs fall inside it.
    for (std::uint32_t colour : {0xFF000000u, 0xFF336699u, 0xFFFFFFFFu}) {
        Picture picture(Framebuffer::kWidth, Framebuffer::kHeight);
        std::fill(picture.pixels.begin(), picture.pixels.end(), colour);
        const std::string png = Encode(picture);
        EXPECT_TRUE(WellFormed(png, picture.width, picture.height)) << std::hex << colour;
        EXPECT_TRUE(DecodesTo(png, picture)) << std::hex << colour;
        EXPECT_LT(png.size(), 20000u) << "a flat frame should compress to almost nothing";
    }
}

TEST_F(PngWriterTest, FramesWhoseHalvesDifferRoundTrip) {
    Picture noiseAbove(Framebuffer::kWidth, Framebuffer::kHeight);
    FillRandom(noiseAbove, 0, noiseAbove.height / 2, 7, false);
    Picture noiseBelow(Framebuffer::kWidth, Framebuffer::kHeight);
    std::fill(noiseBelow.pixels.begin(), noiseBelow.pixels.end(), 0xFFABCDEFu);
    FillRandom(noiseBelow, noiseBelow.height / 2, noiseBelow.height, 8, false);
    // Random throughout, alpha too: over 1 MiB of zlib data, so more than one
    // IDAT chunk, and alpha must not leak into the colours.
    Picture noise(Framebuffer::kWidth, Framebuffer::kHeight);
    FillRandom(noise, 0, noise.height, 9, true);
    for (const Picture* picture : {&noiseAbove, &noiseBelow, &noise}) {
        const std::string png = Encode(*picture);
        EXPECT_TRUE(WellFormed(png, picture->width, picture->height));
        EXPECT_TRUE(DecodesTo(png, *picture));
    }
}

TEST_F(PngWriterTest, OddSizesAndPaddedRowsRoundTrip) {
    struct Size {
        int width, height, padding;
    };
    // One pixel; one column; one row; rows wider than a run; a height that
    // does not divide into runs; rows with padding after them.
    const Size sizes[] = {{1, 1, 0},     {1, 300, 0},   {300, 1, 0},  {2, 2, 0},   {37, 5, 3},
                          {30000, 4, 0}, {481, 801, 7}, {640, 97, 0}, {3, 1000, 1}};
    std::uint32_t seed = 1;
    for (const Size& size : sizes) {
        Picture picture(size.width, size.height, size.padding);
        FillVaried(picture, seed++);
        for (int y = 0; y < picture.height; ++y) {
            for (int x = picture.width; x < picture.stride; ++x) {
                picture.At(x, y) = 0xDEADBEEFu; // padding must not be read as pixels
            }
        }
        const std::string png = Encode(picture);
        EXPECT_TRUE(WellFormed(png, size.width, size.height)) << size.width << "x" << size.height;
        EXPECT_TRUE(DecodesTo(png, picture)) << size.width << "x" << size.height;
    }
}

TEST_F(PngWriterTest, WriteReplacesAnEarlierFileAndLeavesNoTemporary) {
    const fs::path shot = root_ / "shot.png";
    std::ofstream(shot) << "an older picture";
    Picture picture(64, 48);
    FillVaried(picture, 3);
    std::string error;
    ASSERT_TRUE(picture.Writer().Write(shot.string(), &error)) << error;
    EXPECT_TRUE(DecodesTo(ReadAll(shot), picture));
    EXPECT_EQ(Listing(), std::vector<std::string>{"shot.png"});
}

TEST_F(PngWriterTest, WriteGoesThroughASymbolicLink) {
    fs::create_directories(root_ / "real");
    const fs::path target = root_ / "real" / "shot.png";
    std::ofstream(target) << "old";
    const fs::path link = root_ / "link.png";
    fs::create_symlink(target, link);
    Picture picture(10, 10);
    FillVaried(picture, 4);
    std::string error;
    ASSERT_TRUE(picture.Writer().Write(link.string(), &error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_TRUE(DecodesTo(ReadAll(target), picture));
}

TEST_F(PngWriterTest, MissingFolderFailsNamingThePathAndCreatesNothing) {
    const fs::path shot = root_ / "no-such-folder" / "shot.png";
    Picture picture(16, 16);
    std::string error;
    EXPECT_FALSE(picture.Writer().Write(shot.string(), &error));
    EXPECT_EQ(error, shot.string() + ": No such file or directory");
    EXPECT_FALSE(fs::exists(root_ / "no-such-folder"));
    EXPECT_TRUE(Listing().empty());
}

TEST_F(PngWriterTest, AFolderInTheWayFailsAndStaysAsItWas) {
    const fs::path shot = root_ / "shot.png";
    fs::create_directories(shot);
    Picture picture(16, 16);
    std::string error;
    EXPECT_FALSE(picture.Writer().Write(shot.string(), &error));
    EXPECT_EQ(error.rfind(shot.string() + ": ", 0), 0u) << error;
    EXPECT_TRUE(fs::is_directory(shot));
    EXPECT_EQ(Listing(), std::vector<std::string>{"shot.png"});
}

TEST_F(PngWriterTest, AFullDeviceFailsAndIsNotRemoved) {
    struct stat status {};
    if (::stat("/dev/full", &status) != 0 || !S_ISCHR(status.st_mode)) {
        GTEST_SKIP() << "no /dev/full here";
    }
    Picture picture(Framebuffer::kWidth, Framebuffer::kHeight);
    FillVaried(picture, 5);
    std::string error;
    EXPECT_FALSE(picture.Writer().Write("/dev/full", &error));
    EXPECT_EQ(error, "/dev/full: No space left on device");
    // Written in place, as a device must be, and never unlinked on failure.
    ASSERT_EQ(::stat("/dev/full", &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));
}

// A file size limit stands in for a full disk: the write stops part way, as
// it would when the disk fills.
TEST_F(PngWriterTest, AShortWriteLeavesTheEarlierFileAndNoTemporary) {
    const fs::path shot = root_ / "shot.png";
    std::ofstream(shot) << "an older picture";
    Picture picture(Framebuffer::kWidth, Framebuffer::kHeight);
    FillRandom(picture, 0, picture.height, 6, false); // about 1 MiB of PNG

    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 64 * 1024;
    // Past the limit a write fails with EFBIG, once SIGXFSZ no longer kills.
    struct sigaction ignore {
    }, savedAction{};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &savedAction), 0);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    std::string error;
    const bool written = picture.Writer().Write(shot.string(), &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &savedAction, nullptr);

    EXPECT_FALSE(written);
    EXPECT_EQ(error, shot.string() + ": File too large");
    EXPECT_EQ(ReadAll(shot), "an older picture");
    EXPECT_EQ(Listing(), std::vector<std::string>{"shot.png"});
}

TEST_F(PngWriterTest, ABadSizeFailsWithoutTouchingTheFile) {
    Picture picture(8, 8);
    const fs::path shot = root_ / "shot.png";
    std::string error;
    EXPECT_FALSE(PngWriter(picture.Bytes(), 8, 8, 16).Write(shot.string(), &error));
    EXPECT_EQ(error, shot.string() + ": bad picture size");
    EXPECT_FALSE(PngWriter(picture.Bytes(), 0, 8, 32).Write(shot.string(), &error));
    EXPECT_FALSE(PngWriter(nullptr, 8, 8, 32).Write(shot.string(), &error));
    EXPECT_TRUE(Listing().empty());
}

} // namespace
