#include "platform/net/HttpTransaction.h"

#include "platform/net/HttpSession.h"
#include "platform/net/IHttpTransactionEventListener.h"
#include "platform/runtime/Runtime.h"

#include <utility>

namespace Osp::Net::Http {

namespace {

namespace rt = pregonero::runtime;

result AbortResult(const std::string& error) {
    return error.find("timeout") != std::string::npos ? E_TIMEOUT : E_CONNECTION_FAILED;
}

} // namespace

HttpTransaction::HttpTransaction(HttpSession& session) : session_(&session) {}

HttpTransaction::~HttpTransaction() {
    if (fetchId_ != 0 && rt::Runtime::Exists()) {
        rt::Runtime::Get().Network().Cancel(fetchId_);
    }
    if (session_ != nullptr) {
        session_->Forget(*this);
    }
}

result HttpTransaction::AddHttpTransactionListener(const IHttpTransactionEventListener& listener) {
    if (listener_ != nullptr) {
        return E_ALREADY_EXIST;
    }
    // The platform's signature takes a const reference, yet the listener is
    // called back through it.
    listener_ = const_cast<IHttpTransactionEventListener*>(&listener);
    return E_SUCCESS;
}

HttpResponse* HttpTransaction::GetResponse() {
    if (!received_) {
        SetLastResult(E_INVALID_STATE);
        return nullptr;
    }
    return &response_;
}

result HttpTransaction::Submit() {
    if (submitted_ || listener_ == nullptr || !request_.HasValidUri() || session_ == nullptr ||
        !rt::Runtime::Exists()) {
        return E_INVALID_STATE;
    }
    rt::Runtime& runtime = rt::Runtime::Get();
    if (!runtime.Settings().networkOn.load()) {
        return E_NETWORK_UNAVAILABLE;
    }
    // The service never runs a callback after Cancel, which the destructor
    // calls, so `this` cannot dangle here.
    const rt::FetchId id = runtime.Network().Start(
        request_.GetUri().ToUtf8(), runtime.Settings().Tightened(rt::FetchLimits{}),
        [this](rt::FetchResult&& fetched) { Deliver(std::move(fetched)); });
    if (id == 0) {
        return E_INVALID_ARG;
    }
    fetchId_ = id;
    submitted_ = true;
    return E_SUCCESS;
}

void HttpTransaction::Deliver(rt::FetchResult&& fetched) {
    fetchId_ = 0;
    if (session_ == nullptr || listener_ == nullptr) {
        return;
    }
    // Every callback may delete this transaction, or its session with it.
    HttpSession& session = *session_;
    IHttpTransactionEventListener& listener = *listener_;
    const std::weak_ptr<bool> alive = alive_;
    if (fetched.outcome != rt::FetchOutcome::Completed) {
        listener.OnTransactionAborted(session, *this, AbortResult(fetched.error));
        return;
    }
    response_.SetReceived(fetched.status, std::move(fetched.body));
    received_ = true;
    listener.OnTransactionHeaderCompleted(session, *this, 0, false);
    if (alive.expired()) {
        return;
    }
    listener.OnTransactionReadyToRead(session, *this, response_.BodyLength());
    if (alive.expired()) {
        return;
    }
    listener.OnTransactionCompleted(session, *this);
}

} // namespace Osp::Net::Http
