#include "platform/net/HttpSession.h"

#include "platform/net/HttpTransaction.h"
#include "platform/runtime/network/UrlCheck.h"

#include <algorithm>
#include <new>

namespace Osp::Net::Http {

HttpSession::HttpSession() = default;

HttpSession::~HttpSession() {
    // Each transaction must not come back to Forget while this vector is walked.
    std::vector<HttpTransaction*> open;
    open.swap(open_);
    for (HttpTransaction* transaction : open) {
        transaction->DetachFromSession();
        delete transaction;
    }
}

result HttpSession::Construct(NetHttpSessionMode sessionMode, const Osp::Base::String*,
                              const Osp::Base::String& hostAddr, const HttpHeader*,
                              NetHttpCookieFlag flag) {
    if (constructed_) {
        return E_INVALID_STATE;
    }
    if (sessionMode < NET_HTTP_SESSION_MODE_NORMAL ||
        sessionMode > NET_HTTP_SESSION_MODE_MULTIPLE_HOST || flag < NET_HTTP_COOKIE_FLAG_NONE ||
        flag > NET_HTTP_COOKIE_FLAG_ALWAYS_MANUAL ||
        !pregonero::runtime::UrlCheck::IsFetchable(hostAddr.ToUtf8())) {
        return E_INVALID_ARG;
    }
    hostAddr_ = hostAddr;
    constructed_ = true;
    return E_SUCCESS;
}

HttpTransaction* HttpSession::OpenTransactionN() {
    if (!constructed_) {
        SetLastResult(E_INVALID_STATE);
        return nullptr;
    }
    auto* transaction = new (std::nothrow) HttpTransaction(*this);
    if (transaction == nullptr) {
        SetLastResult(E_OUT_OF_MEMORY);
        return nullptr;
    }
    open_.push_back(transaction);
    SetLastResult(E_SUCCESS);
    return transaction;
}

void HttpSession::Forget(const HttpTransaction& transaction) {
    open_.erase(std::remove(open_.begin(), open_.end(), &transaction), open_.end());
}

} // namespace Osp::Net::Http
