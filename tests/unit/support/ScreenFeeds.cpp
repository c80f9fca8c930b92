#include "ScreenFeeds.h"

#include "tests/unit/TestPictures.h"

#include <fstream>
#include <stdlib.h>

namespace testing_support {

ScreenFeeds::ScreenFeeds() {
    char pattern[] = "/tmp/pregonero-feeds-XXXXXX";
    const char* dir = mkdtemp(pattern);
    if (dir == nullptr) {
        return;
    }
    root_ = dir;
    started_ = server_.Start(root_.string());
}

ScreenFeeds::~ScreenFeeds() {
    server_.Stop();
    std::error_code ec;
    if (!root_.empty()) {
        std::filesystem::remove_all(root_, ec);
    }
}

void ScreenFeeds::Write(const std::string& path, const std::string& body) {
    const std::filesystem::path file = root_ / path;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << body;
}

void ScreenFeeds::WritePicture(const std::string& path) {
    Write(path, pregonero::test::EncodeJpeg(pregonero::test::PatternRgba(64, 48), 64, 48));
}

std::string ScreenFeeds::Url(const std::string& path) const {
    return server_.BaseUrl() + "/" + path;
}

} // namespace testing_support
