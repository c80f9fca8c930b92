#include "tests/e2e/support/FeedFixture.h"

#include <unistd.h>

#include <atomic>
#include <fstream>
#include <iterator>

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
    started_ = server_.Start((root_ / "feeds").string());
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

std::string FeedFixture::ReadHome(const std::string& path) const {
    std::ifstream in(root_ / "home" / path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool FeedFixture::HomeHas(const std::string& path) const {
    return fs::exists(root_ / "home" / path);
}

std::string JsonText(const std::string& json, const std::string& key, const std::string& after) {
    std::size_t from = after.empty() ? 0 : json.find(after);
    if (from == std::string::npos) {
        return "<absent>";
    }
    const std::string marker = "\"" + key + "\":";
    const std::size_t at = json.find(marker, from);
    if (at == std::string::npos) {
        return "<absent>";
    }
    std::size_t i = at + marker.size();
    if (json.compare(i, 4, "null") == 0) {
        return "null";
    }
    std::string value;
    for (++i; i < json.size() && json[i] != '"'; ++i) {
        if (json[i] == '\\' && i + 1 < json.size()) {
            ++i;
        }
        value += json[i];
    }
    return value;
}

} // namespace pregonero::e2e
