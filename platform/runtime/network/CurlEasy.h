#pragma once

#include <memory>

#include <curl/curl.h>

namespace pregonero::runtime {

// Owns one curl easy handle from the moment it is created.
class CurlEasy {
public:
    CurlEasy();
    CURL* Get() const { return handle_.get(); }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    struct Deleter {
        void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
    };
    std::unique_ptr<CURL, Deleter> handle_;
};

} // namespace pregonero::runtime
