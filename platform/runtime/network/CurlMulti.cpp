#include "platform/runtime/network/CurlMulti.h"

#include "platform/runtime/network/CurlGlobal.h"

namespace pregonero::runtime {

namespace {
// Enough to overlap a page of thumbnails on one host while staying polite to
// the feed server; extra transfers queue inside curl and reuse the connections.
constexpr long kMaxHostConnections = 6;
// The kept-alive connections curl may hold. Left to itself curl sizes its
// cache by the transfers in flight, so between two fetches (none in flight)
// it may close the very connection the next fetch would reuse.
constexpr long kMaxCachedConnections = 32;
} // namespace

CurlMulti::CurlMulti() {
    CurlGlobal::EnsureInitialized();
    handle_.reset(curl_multi_init());
    if (handle_) {
        curl_multi_setopt(handle_.get(), CURLMOPT_MAX_HOST_CONNECTIONS, kMaxHostConnections);
        curl_multi_setopt(handle_.get(), CURLMOPT_PIPELINING, long{CURLPIPE_NOTHING});
        curl_multi_setopt(handle_.get(), CURLMOPT_MAXCONNECTS, kMaxCachedConnections);
    }
}

void CurlMulti::LimitConnections(long total, long perHost) {
    curl_multi_setopt(handle_.get(), CURLMOPT_MAX_TOTAL_CONNECTIONS, total);
    curl_multi_setopt(handle_.get(), CURLMOPT_MAX_HOST_CONNECTIONS, perHost);
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
