#pragma once

#include "platform/runtime/loop/UniqueHandle.h"

#include <curl/curl.h>

namespace pregonero::runtime {

// Owns one curl multi handle. Only Wakeup may be called from a thread other
// than the one driving the transfers.
class CurlMulti {
public:
    CurlMulti();
    CURLM* Get() const { return handle_.get(); }
    explicit operator bool() const { return handle_ != nullptr; }

    // Tighter than the defaults, for a client that must be polite to each
    // server: transfers beyond these queue inside curl.
    void LimitConnections(long total, long perHost);
    void Perform();
    void Poll(int timeoutMs);
    void Wakeup();
    // The next finished transfer, or nullptr when none is waiting.
    CURLMsg* NextMessage();

private:
    UniqueHandle<CURLM, curl_multi_cleanup> handle_;
};

} // namespace pregonero::runtime
