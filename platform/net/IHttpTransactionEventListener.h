#pragma once

#include "platform/base/BaseResult.h"
#include "platform/base/IEventListener.h"
#include "platform/base/String.h"

namespace Osp::Net::Http {

class HttpSession;
class HttpTransaction;

// Told about one transaction, on the event thread: header-completed, one
// ready-to-read with the whole body, then completed; or aborted instead.
// The listener may delete the transaction in completed or aborted.
class IHttpTransactionEventListener : public virtual Osp::Base::Runtime::IEventListener {
public:
    ~IHttpTransactionEventListener() override = default;
    virtual void OnTransactionReadyToRead(HttpSession& httpSession,
                                          HttpTransaction& httpTransaction,
                                          int availableBodyLen) = 0;
    virtual void OnTransactionAborted(HttpSession& httpSession, HttpTransaction& httpTransaction,
                                      result r) = 0;
    virtual void OnTransactionReadyToWrite(HttpSession& httpSession,
                                           HttpTransaction& httpTransaction,
                                           int recommendedChunkSize) = 0;
    virtual void OnTransactionHeaderCompleted(HttpSession& httpSession,
                                              HttpTransaction& httpTransaction, int headerLen,
                                              bool rs) = 0;
    virtual void OnTransactionCompleted(HttpSession& httpSession,
                                        HttpTransaction& httpTransaction) = 0;
    virtual void OnTransactionCertVerificationRequiredN(HttpSession& httpSession,
                                                        HttpTransaction& httpTransaction,
                                                        Osp::Base::String* pCert) = 0;
};

} // namespace Osp::Net::Http
