#pragma once

#include <filesystem>
#include <string>

#include "feedserver/PictureMaker.h"
#include "feedserver/faults/FaultyFeedServer.h"

namespace pregonero::e2e {

// Nothing listens on port 9 of the loopback: every connection is refused fast.
constexpr const char* kDeadServer = "http://127.0.0.1:9";

// A fresh feed directory and home directory under the temporary folder, and
// a feed server serving the first on 127.0.0.1; all gone with the object.
class FeedFixture {
public:
    explicit FeedFixture(const std::string& name);
    ~FeedFixture();
    FeedFixture(const FeedFixture&) = delete;
    FeedFixture& operator=(const FeedFixture&) = delete;

    void WriteFeed(const std::string& path, const std::string& body);
    // A made-up 320 × 240 photo; `seed` picks which.
    void WritePicture(const std::string& path, feeds::PictureMaker::Format format, int seed = 7);
    // The bundled sample edition, as the program writes it for itself.
    void WriteSampleEdition();
    std::string ReadHome(const std::string& path) const;
    bool HomeHas(const std::string& path) const;
    std::filesystem::path Root() const { return root_; }
    std::string Home() const { return (root_ / "home").string(); }
    feeds::FaultyFeedServer& Server() { return server_; }
    std::string Url() const { return server_.BaseUrl(); }

private:
    std::filesystem::path root_;
    feeds::FaultyFeedServer server_;
};

} // namespace pregonero::e2e
