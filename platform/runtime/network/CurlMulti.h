#pragma once

#include "platform/runtime/loop/UniqueHandle.h"

#include <curl/curl.h>

namespace pregonero::runtime {

// Owns one curl multi handle. Only Wakeup may be called from a thread other
// than the one driving the transfers.
class CurlMulti {
public:
    // At most maxPerHost connections to a host (6 overlaps a page of the
    // reader's thumbnails yet stays polite) and maxTotal in all, 0 for no
    // bound; transfers beyond them queue inside curl and reuse the connections.
    explicit CurlMulti(long maxPerHost = 6, long maxTotal = 0);
    CURLM* Get() const { return handle_.get(); }
    explicit operator bool() const { return handle_ != nullptr; }

    void Perform();
    void Poll(int timeoutMs);
    void Wakeup();
    // The next finished transfer, or nullptr when none is waiting.
    CURLMsg* NextMessage();

private:
    UniqueHandle<CURLM, curl_multi_cleanup> handle_;
};

} // namespace pregonero::runtime
