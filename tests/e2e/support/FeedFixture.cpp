#include "tests/e2e/support/FeedFixture.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <iterator>

#include <gtest/gtest.h>

#include "feedserver/SampleEdition.h"

namespace pregonero::e2e {

namespace fs = std::filesystem;

FeedFixture::FeedFixture(const std::string& name) {
    static std::atomic<int> counter{0};
    root_ =
        fs::temp_directory_path() / ("pregonero-e2e-" + name + "-" + std::to_string(::getpid()) +
                                     "-" + std::to_string(counter++));
    fs::remove_all(root_);
    fs::create_directories(root_ / "feeds");
    fs::create_directories(root_ / "home");
    EXPECT_TRUE(server_.Start((root_ / "feeds").string())) << "the feed server did not start";
}

FeedFixture::~FeedFixture() {
    server_.Stop();
    std::error_code ignored;
    fs::remove_all(root_, ignored);
}

void FeedFixture::WriteFeed(const std::string& path, const std::string& body) {
    const fs::path file = root_ / "feeds" / path;
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << body;
}

void FeedFixture::WritePicture(const std::string& path, feeds::PictureMaker::Format format,
                               int seed) {
    WriteFeed(path, "");
    std::string error;
    EXPECT_TRUE(feeds::PictureMaker::Write((root_ / "feeds" / path).string(), format, 320, 240,
                                           static_cast<std::uint64_t>(seed), &error))
        << error;
}

void FeedFixture::WriteSampleEdition() {
    std::string error;
    EXPECT_TRUE(feeds::WriteSampleEdition((root_ / "feeds").string(), &error)) << error;
}

std::string FeedFixture::ReadHome(const std::string& path) const {
    std::ifstream in(root_ / "home" / path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool FeedFixture::HomeHas(const std::string& path) const {
    return fs::exists(root_ / "home" / path);
}

} // namespace pregonero::e2e
