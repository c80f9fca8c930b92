#include "ScreenFeeds.h"

#include "platform/base/JsonWriter.h"
#include "platform/ui/CustomListItem.h"
#include "tests/unit/TestPictures.h"

#include <algorithm>
#include <cctype>
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
    std::string lower = path;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto pixels = pregonero::test::PatternRgba(64, 48);
    const bool png = lower.size() >= 3 && lower.compare(lower.size() - 3, 3, "png") == 0;
    Write(path, png ? pregonero::test::EncodePng(pixels, 64, 48)
                    : pregonero::test::EncodeJpeg(pixels, 64, 48));
}

std::string ScreenFeeds::Url(const std::string& path) const {
    return server_.BaseUrl() + "/" + path;
}

std::string DescribeRow(const Osp::Ui::Controls::CustomListItem& row) {
    pregonero::text::JsonWriter json;
    row.DescribeElements(json);
    return json.Text();
}

} // namespace testing_support
