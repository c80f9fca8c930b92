#include "platform/runtime/network/CurlGlobal.h"

#include <mutex>

#include <curl/curl.h>

namespace pregonero::runtime {

void CurlGlobal::EnsureInitialized() {
    // Never cleaned up: other threads (and other static owners) may still hold
    // handles while the process exits, and the OS reclaims it all anyway.
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

} // namespace pregonero::runtime
