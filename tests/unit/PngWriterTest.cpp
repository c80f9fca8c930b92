// Screenshots must decode to exactly the pixels given, whatever the size and
// row padding; a write that fails must name the file and leave what was there.
#include "platform/runtime/rendering/PngWriter.h"

#include "platform/runtime/pictures/PngDecoder.h"
#include "tests/support/ReadAll.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using pregonero::runtime::PngWriter;

// Random 0xAARRGGBB words, alpha and row padding too (the writer must ignore
// both), rows `width + padding` words apart.
struct Picture {
    int width, height, stride;
    std::vector<std::uint32_t> pixels;
    Picture(int w, int h, int padding = 0)
        : width(w), height(h), stride(w + padding), pixels(static_cast<std::size_t>(stride) * h) {
        std::mt19937 random(w * 7 + h);
        std::generate(pixels.begin(), pixels.end(), random);
    }
    PngWriter Writer() const {
        return PngWriter(reinterpret_cast<const std::uint8_t*>(pixels.data()), width, height,
                         stride * 4);
    }
    // What the decoder must give back: opaque, rows packed.
    std::vector<std::uint32_t> Opaque() const {
        std::vector<std::uint32_t> out;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                out.push_back(pixels[static_cast<std::size_t>(y) * stride + x] | 0xFF000000u);
            }
        }
        return out;
    }
};

using testing_support::ReadAll;

// Through the program's own decoder, which must give back every pixel.
std::vector<std::uint32_t> Decode(const fs::path& path) {
    pregonero::runtime::ArgbImage image;
    EXPECT_EQ(pregonero::runtime::PngDecoder::Decode(ReadAll(path), image), "");
    return image.pixels;
}

class PngWriterTest : public ::testing::Test {
protected:
    void SetUp() override { fs::create_directories(root_); }
    void TearDown() override { fs::remove_all(root_); }
    // Names in the scratch folder, to see that no temporary is left.
    std::vector<fs::path> Listing() const {
        return {fs::directory_iterator(root_), fs::directory_iterator()};
    }
    const fs::path root_ =
        fs::temp_directory_path() / ("pregonero-pngwriter-" + std::to_string(::getpid()));
    const fs::path shot_ = root_ / "shot.png";
};

TEST_F(PngWriterTest, EverySizeRoundTripsReplacingTheEarlierFileOrWritingThroughALink) {
    for (const Picture& picture : {Picture(1, 1), Picture(1, 300), Picture(37, 5, 3),
                                   Picture(481, 801, 7), Picture(4000, 4)}) {
        std::ofstream(shot_) << "an older picture";
        std::string error;
        ASSERT_TRUE(picture.Writer().Write(shot_.string(), &error)) << error;
        EXPECT_EQ(Decode(shot_), picture.Opaque()) << picture.width << "x" << picture.height;
        EXPECT_EQ(Listing(), std::vector<fs::path>{shot_});
    }
    const fs::path link = root_ / "link.png";
    fs::create_symlink(shot_, link);
    const Picture picture(10, 10);
    std::string error;
    ASSERT_TRUE(picture.Writer().Write(link.string(), &error)) << error;
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(Decode(shot_), picture.Opaque());
}

TEST_F(PngWriterTest, FailuresNameThePathAndLeaveWhatWasThere) {
    const Picture picture(480, 800); // about 1 MiB of PNG
    std::string error;
    const fs::path missing = root_ / "no-such-folder" / "shot.png";
    EXPECT_FALSE(picture.Writer().Write(missing.string(), &error));
    EXPECT_EQ(error, missing.string() + ": No such file or directory");
    EXPECT_FALSE(PngWriter(nullptr, 8, 8, 32).Write(shot_.string(), &error));
    EXPECT_EQ(error, shot_.string() + ": bad picture size");
    EXPECT_TRUE(Listing().empty());
    fs::create_directories(root_ / "folder.png");
    EXPECT_FALSE(picture.Writer().Write((root_ / "folder.png").string(), &error));
    EXPECT_TRUE(fs::is_directory(root_ / "folder.png"));
    fs::remove(root_ / "folder.png");

    // A device is written in place and never unlinked on failure.
    struct stat status {};
    EXPECT_FALSE(picture.Writer().Write("/dev/full", &error));
    EXPECT_EQ(error, "/dev/full: No space left on device");
    ASSERT_EQ(::stat("/dev/full", &status), 0);
    EXPECT_TRUE(S_ISCHR(status.st_mode));

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
    EXPECT_EQ(Listing(), std::vector<fs::path>{shot_});
}

} // namespace
