#include "platform/net/HttpResponse.h"

#include <limits>
#include <utility>

namespace Osp::Net::Http {

HttpResponse::HttpResponse() = default;

HttpResponse::~HttpResponse() = default;

Osp::Base::ByteBuffer* HttpResponse::ReadBodyN() {
    if (body_.size() > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
        SetLastResult(E_OVERFLOW);
        return nullptr;
    }
    auto* buffer = new Osp::Base::ByteBuffer();
    const int length = static_cast<int>(body_.size());
    result r = buffer->Construct(length);
    if (r == E_SUCCESS) {
        r = buffer->SetArray(reinterpret_cast<const Osp::Base::byte*>(body_.data()), 0, length);
    }
    if (r != E_SUCCESS) {
        delete buffer;
        SetLastResult(r);
        return nullptr;
    }
    buffer->Flip();
    SetLastResult(E_SUCCESS);
    return buffer;
}

void HttpResponse::SetReceived(long status, std::string body) {
    status_ = static_cast<NetHttpStatusCode>(status);
    body_ = std::move(body);
}

} // namespace Osp::Net::Http
