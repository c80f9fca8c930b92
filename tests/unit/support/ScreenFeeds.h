#pragma once

#include "feedserver/faults/FaultyFeedServer.h"

#include <filesystem>
#include <string>

namespace testing_support {

// A scratch directory served on 127.0.0.1 for the screen tests: feeds and
// pictures are written on the spot; Url() names them for the feeds' links.
class ScreenFeeds {
public:
    ScreenFeeds();
    ~ScreenFeeds();
    ScreenFeeds(const ScreenFeeds&) = delete;
    ScreenFeeds& operator=(const ScreenFeeds&) = delete;

    bool Started() const { return started_; }
    void Write(const std::string& path, const std::string& body);
    // A small JPEG at `path`.
    void WritePicture(const std::string& path);
    std::string Url(const std::string& path) const;
    pregonero::feeds::FaultyFeedServer& Server() { return server_; }

private:
    std::filesystem::path root_;
    pregonero::feeds::FaultyFeedServer server_;
    bool started_ = false;
};

} // namespace testing_support
