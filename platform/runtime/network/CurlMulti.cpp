#include "platform/runtime/network/CurlMulti.h"

#include "platform/runtime/network/CurlGlobal.h"

namespace pregonero::runtime {

namespace {
// The kept-alive connections curl may hold. Left to itself curl sizes its
// cache by the transfers in flight, so between two fetches (none in flight)
// it may close the very connection the next fetch would reuse.
constexpr long kMaxCachedConnections = 32;
} // namespace

CurlMulti::CurlMulti(long maxPerHost, long maxTotal) {
    CurlGlobal::EnsureInitialized();
    handle_.reset(curl_multi_init());
    if (handle_) {
        curl_multi_setopt(handle_.get(), CURLMOPT_MAX_HOST_CONNECTIONS, maxPerHost);
        curl_multi_setopt(handle_.get(), CURLMOPT_MAX_TOTAL_CONNECTIONS, maxTotal);
        curl_multi_setopt(handle_.get(), CURLMOPT_PIPELINING, long{CURLPIPE_NOTHING});
        curl_multi_setopt(handle_.get(), CURLMOPT_MAXCONNECTS, kMaxCachedConnections);
    }
}

void CurlMulti::Perform() {
    int running = 0;
    curl_multi_perform(handle_.get(), &running);
}

void CurlMulti::Poll(int timeoutMs) {
    curl_multi_poll(handle_.get(), nullptr, 0, timeoutMs, nullptr);
}

void CurlMulti::Wakeup() {
    curl_multi_wakeup(handle_.get());
}

CURLMsg* CurlMulti::NextMessage() {
    int left = 0;
    return curl_multi_info_read(handle_.get(), &left);
}

} // namespace pregonero::runtime
