#pragma once

#include <filesystem>
#include <string>

#include "feedserver/faults/FaultyFeedServer.h"

namespace pregonero::e2e {

// A fresh feed directory and home directory under the temporary folder, and
// a feed server serving the first on 127.0.0.1; all gone with the object.
class FeedFixture {
public:
    explicit FeedFixture(const std::string& name);
    ~FeedFixture();
    FeedFixture(const FeedFixture&) = delete;
    FeedFixture& operator=(const FeedFixture&) = delete;

    void WriteFeed(const std::string& path, const std::string& body);
    std::string ReadHome(const std::string& path) const;
    bool HomeHas(const std::string& path) const;
    std::string Home() const { return (root_ / "home").string(); }
    feeds::FaultyFeedServer& Server() { return server_; }
    bool Started() const { return started_; }

private:
    std::filesystem::path root_;
    feeds::FaultyFeedServer server_;
    bool started_ = false;
};

// The value of the first `"key":"…"` string after `after` in a dump line.
std::string JsonText(const std::string& json, const std::string& key,
                     const std::string& after = "");

} // namespace pregonero::e2e
