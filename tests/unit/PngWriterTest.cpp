// Screenshots must decode to exactly the pixels given, whatever the size and
// row padding; a write that fails must name the file and leave what was there.
#include "platform/runtime/PngWriter.h"

#include "platform/runtime/Framebuffer.h"

#include <gtest/gtest.h>

#include <cairo.h>
#include <spng.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

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

// Random 0xAARRGGBB words, alpha too (the writer must ignore it), rows
// `stride` words apart.
struct Picture {
    int width, height, stride;
    std::vector<std::uint32_t> pixels;
    Picture(int w, int h, int padding = 0, std::uint32_t seed = 1)
        : width(w), height(h), stride(w + padding), pixels(static_cast<std::size_t>(stride) * h) {
        std::mt19937 random(seed);
        for (std::uint32_t& p : pixels) {
            p = random();
        }
    }
    const std::uint8_t* Bytes() const {
        return reinterpret_cast<const std::uint8_t*>(pixels.data());
    }
    PngWriter Writer() const { return PngWriter(Bytes(), width, height, stride * 4); }
};

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Decodes with libspng and compares every pixel's colour.
testing::AssertionResult DecodesTo(const std::string& png, const Picture& picture) {
    spng_ctx* ctx = spng_ctx_new(0);
    spng_set_png_buffer(ctx, png.data(), png.size());
    std::vector<std::uint8_t> rgb(3 * static_cast<std::size_t>(picture.width) * picture.height);
    spng_ihdr ihdr{};
    int rc = spng_get_ihdr(ctx, &ihdr);
    if (rc == 0) {
        rc = spng_decode_image(ctx, rgb.data(), rgb.size(), SPNG_FMT_RGB8, 0);
    }
    spng_ctx_free(ctx);
    if (rc != 0 || ihdr.width != static_cast<std::uint32_t>(picture.width) ||
        ihdr.height != static_cast<std::uint32_t>(picture.height)) {
        return testing::AssertionFailure()
               << "libspng: " << spng_strerror(rc) << ", " << ihdr.width << "x" << ihdr.height;
    }
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint8_t* p = &rgb[(static_cast<std::size_t>(y) * picture.width + x) * 3];
            const std::uint32_t got = (std::uint32_t{p[0]} << 16) | (p[1] << 8) | p[2];
            if (got !=
                (picture.pixels[static_cast<std::size_t>(y) * picture.stride + x] & 0xFFFFFFu)) {
                return testing::AssertionFailure() << "pixel (" << x << ", " << y << ") differs";
            }
        }
    }
    return testing::AssertionSuccess();
}

class PngWriterTest : public ::testing::Test {
protected:
    void SetUp() override {
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
        return names;
    }
    const fs::path root_ =
        fs::temp_directory_path() / ("pregonero-pngwriter-" + std::to_string(::getpid()));
    const fs::path shot_ = root_ / "shot.png";
};

TEST_F(PngWriterTest, EverySizeRoundTripsAndReplacesTheEarlierFile) {
    const Picture sizes[] = {{1, 1}, {1, 300}, {37, 5, 3, 2}, {481, 801, 7, 3}, {30000, 4, 0, 4}};
    for (const Picture& picture : sizes) {
        std::ofstream(shot_) << "an older picture";
        std::string error;
        ASSERT_TRUE(picture.Writer().Write(shot_.string(), &error)) << error;
        EXPECT_TRUE(DecodesTo(ReadAll(shot_), picture)) << picture.width << "x" << picture.height;
        EXPECT_EQ(Listing(), std::vector<std::string>{"shot.png"});
    }
    // The framebuffer's own screenshot, from what cairo holds.
    Framebuffer fb;
    Picture screen(Framebuffer::kWidth, Framebuffer::kHeight, 0, 5);
    cairo_surface_flush(fb.Surface());
    std::memcpy(cairo_image_surface_get_data(fb.Surface()), screen.Bytes(),
                screen.pixels.size() * 4);
    cairo_surface_mark_dirty(fb.Surface());
    std::string error;
    ASSERT_TRUE(fb.WritePng(shot_.string(), &error)) << error;
    EXPECT_TRUE(DecodesTo(ReadAll(shot_), screen));
}

TEST_F(PngWriterTest, LinksAreWrittenThroughAndFoldersLeftAlone) {
    fs::create_directories(root_ / "real");
    std::ofstream(root_ / "real" / "shot.png") << "old";
    fs::create_symlink(root_ / "real" / "shot.png", root_ / "link.png");
    const Picture picture(10, 10);
    std::string error;
    ASSERT_TRUE(picture.Writer().Write((root_ / "link.png").string(), &error)) << error;
    EXPECT_TRUE(fs::is_symlink(root_ / "link.png"));
    EXPECT_TRUE(DecodesTo(ReadAll(root_ / "real" / "shot.png"), picture));

    fs::create_directories(shot_);
    EXPECT_FALSE(picture.Writer().Write(shot_.string(), &error));
    EXPECT_EQ(error.rfind(shot_.string() + ": ", 0), 0u) << error;
    EXPECT_TRUE(fs::is_directory(shot_));
}

TEST_F(PngWriterTest, FailuresNameThePathAndLeaveWhatWasThere) {
    const Picture picture(Framebuffer::kWidth, Framebuffer::kHeight); // about 1 MiB of PNG
    std::string error;
    const fs::path missing = root_ / "no-such-folder" / "shot.png";
    EXPECT_FALSE(picture.Writer().Write(missing.string(), &error));
    EXPECT_EQ(error, missing.string() + ": No such file or directory");
    EXPECT_FALSE(PngWriter(picture.Bytes(), 8, 8, 16).Write(shot_.string(), &error));
    EXPECT_EQ(error, shot_.string() + ": bad picture size");
    EXPECT_FALSE(PngWriter(nullptr, 8, 8, 32).Write(shot_.string(), &error));
    EXPECT_TRUE(Listing().empty());

    // A device is written in place and never unlinked on failure.
    struct stat status {};
    if (::stat("/dev/full", &status) == 0 && S_ISCHR(status.st_mode)) {
        EXPECT_FALSE(picture.Writer().Write("/dev/full", &error));
        EXPECT_EQ(error, "/dev/full: No space left on device");
        ASSERT_EQ(::stat("/dev/full", &status), 0);
        EXPECT_TRUE(S_ISCHR(status.st_mode));
    }

    // A file size limit stands in for a disk that fills part way through;
    // past it a write fails with EFBIG once SIGXFSZ no longer kills.
    std::ofstream(shot_) << "an older picture";
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit limited = saved;
    limited.rlim_cur = 64 * 1024;
    struct sigaction ignore {
    }, savedAction{};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &savedAction), 0);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const bool written = picture.Writer().Write(shot_.string(), &error);
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::sigaction(SIGXFSZ, &savedAction, nullptr);
    EXPECT_FALSE(written);
    EXPECT_EQ(error, shot_.string() + ": File too large");
    EXPECT_EQ(ReadAll(shot_), "an older picture");
    EXPECT_EQ(Listing(), std::vector<std::string>{"shot.png"});
}

} // namespace
