#pragma once

#include "platform/base/BaseResult.h"
#include "platform/base/Object.h"
#include "platform/net/HttpRequest.h"
#include "platform/net/HttpResponse.h"

#include <cstdint>
#include <memory>

namespace pregonero::runtime {
struct FetchResult;
}

namespace Osp::Net::Http {

class HttpSession;
class IHttpTransactionEventListener;

// One GET. Its owner may delete it at any time, inside its own completed or
// aborted callback too; deleting it while in flight cancels the transfer.
class HttpTransaction : public Osp::Base::Object {
public:
    ~HttpTransaction() override;
    HttpTransaction(const HttpTransaction&) = delete;
    HttpTransaction& operator=(const HttpTransaction&) = delete;

    // One listener per transaction; a second one is E_ALREADY_EXIST.
    result AddHttpTransactionListener(const IHttpTransactionEventListener& listener);
    HttpRequest* GetRequest() { return &request_; }
    // Null, with E_INVALID_STATE as last result, until the response arrived.
    HttpResponse* GetResponse();
    // E_NETWORK_UNAVAILABLE at once while the network is switched off;
    // E_INVALID_STATE without a listener, without a valid URL, or when
    // already submitted.
    result Submit();

private:
    friend class HttpSession;
    explicit HttpTransaction(HttpSession& session);
    // The session goes first: the transaction must not call back into it.
    void DetachFromSession() { session_ = nullptr; }
    void Deliver(pregonero::runtime::FetchResult&& fetched);

    HttpSession* session_;
    IHttpTransactionEventListener* listener_ = nullptr;
    HttpRequest request_;
    HttpResponse response_;
    bool submitted_ = false;
    bool received_ = false;
    std::uint64_t fetchId_ = 0;
    // Expires with this object, so a delivery notices when a callback deleted it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

} // namespace Osp::Net::Http
