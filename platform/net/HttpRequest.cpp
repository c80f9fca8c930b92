#include "platform/net/HttpRequest.h"

#include "platform/runtime/network/UrlCheck.h"

namespace Osp::Net::Http {

HttpRequest::HttpRequest() = default;

HttpRequest::~HttpRequest() = default;

result HttpRequest::SetUri(const Osp::Base::String& uri) {
    // A NUL inside would cut the URL short on its way to curl.
    if (uri.Utf16().find(u'\0') != std::u16string::npos ||
        !pregonero::runtime::UrlCheck::IsFetchable(uri.ToUtf8())) {
        return E_INVALID_ARG;
    }
    uri_ = uri;
    valid_ = true;
    return E_SUCCESS;
}

result HttpRequest::SetMethod(NetHttpMethod method) {
    if (method != NET_HTTP_METHOD_GET) {
        return E_INVALID_ARG;
    }
    return E_SUCCESS;
}

} // namespace Osp::Net::Http
