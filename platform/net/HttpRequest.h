#pragma once

#include "platform/base/BaseResult.h"
#include "platform/base/Object.h"
#include "platform/base/String.h"
#include "platform/net/HttpTypes.h"

namespace Osp::Net::Http {

// What a transaction asks for: a method and an absolute URL. Feeds are
// untrusted, so only http and https URLs with a host are taken.
class HttpRequest : public Osp::Base::Object {
public:
    HttpRequest();
    ~HttpRequest() override;
    HttpRequest(const HttpRequest&) = delete;
    HttpRequest& operator=(const HttpRequest&) = delete;

    // E_INVALID_ARG, keeping the previous URL, unless uri is an absolute
    // http or https URL with a host.
    result SetUri(const Osp::Base::String& uri);
    Osp::Base::String GetUri() const { return uri_; }
    bool HasValidUri() const { return valid_; }

    // Only GET is served; anything else is E_INVALID_ARG.
    result SetMethod(NetHttpMethod method);

private:
    Osp::Base::String uri_;
    bool valid_ = false;
};

} // namespace Osp::Net::Http
