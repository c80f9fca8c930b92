#include "platform/runtime/CurlEasy.h"

#include "platform/runtime/CurlGlobal.h"

namespace pregonero::runtime {

CurlEasy::CurlEasy() {
    CurlGlobal::EnsureInitialized();
    handle_.reset(curl_easy_init());
}

} // namespace pregonero::runtime
