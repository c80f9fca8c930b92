#pragma once

#include <memory>

#include <curl/curl.h>

namespace pregonero::runtime {

// Owns one curl multi handle. Only Wakeup may be called from a thread other
// than the one driving the transfers.
class CurlMulti {
public:
    CurlMulti();
    CURLM* Get() const { return handle_.get(); }
    explicit operator bool() const { return handle_ != nullptr; }

    void Perform();
    void Poll(int timeoutMs);
    void Wakeup();
    // The next finished transfer, or nullptr when none is waiting.
    CURLMsg* NextMessage();

private:
    struct Deleter {
        void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
    };
    std::unique_ptr<CURLM, Deleter> handle_;
};

} // namespace pregonero::runtime
