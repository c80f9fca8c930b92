#pragma once

#include "platform/runtime/loop/UniqueHandle.h"

#include <curl/curl.h>

namespace pregonero::runtime {

// Owns one curl easy handle from the moment it is created.
class CurlEasy {
public:
    CurlEasy();
    CURL* Get() const { return handle_.get(); }
    explicit operator bool() const { return handle_ != nullptr; }

private:
    UniqueHandle<CURL, curl_easy_cleanup> handle_;
};

} // namespace pregonero::runtime
