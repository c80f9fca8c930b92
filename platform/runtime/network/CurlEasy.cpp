#include "platform/runtime/network/CurlEasy.h"

#include "platform/runtime/network/CurlGlobal.h"

namespace pregonero::runtime {

CurlEasy::CurlEasy() {
    CurlGlobal::EnsureInitialized();
    handle_.reset(curl_easy_init());
}

} // namespace pregonero::runtime
