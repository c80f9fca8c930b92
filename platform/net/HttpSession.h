#pragma once

#include "platform/base/BaseResult.h"
#include "platform/base/Object.h"
#include "platform/base/String.h"
#include "platform/net/HttpHeader.h"
#include "platform/net/HttpTypes.h"

#include <vector>

namespace Osp::Net::Http {

class HttpTransaction;

// A connection context toward one host. It keeps track of the transactions
// it opened: deleting the session cancels and deletes those still open, so
// no callback reaches a listener afterwards.
class HttpSession : public Osp::Base::Object {
public:
    HttpSession();
    ~HttpSession() override;
    HttpSession(const HttpSession&) = delete;
    HttpSession& operator=(const HttpSession&) = delete;

    // hostAddr must be an http or https URL with a host. Proxy and common
    // header are accepted and unused; cookies are never sent.
    result Construct(NetHttpSessionMode sessionMode, const Osp::Base::String* pProxyAddr,
                     const Osp::Base::String& hostAddr, const HttpHeader* pCommonHeader,
                     NetHttpCookieFlag flag = NET_HTTP_COOKIE_FLAG_ALWAYS_MANUAL);
    // A new transaction the caller owns, or null with the last result set.
    HttpTransaction* OpenTransactionN();

    Osp::Base::String GetHostAddress() const { return hostAddr_; }
    int GetActiveTransactionCount() const { return static_cast<int>(open_.size()); }

private:
    friend class HttpTransaction;
    void Forget(const HttpTransaction& transaction);

    bool constructed_ = false;
    Osp::Base::String hostAddr_;
    std::vector<HttpTransaction*> open_;
};

} // namespace Osp::Net::Http
