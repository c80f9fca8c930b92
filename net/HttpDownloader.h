#pragma once

#include "platform/base/BaseResult.h"
#include "platform/base/ByteBuffer.h"
#include "platform/base/String.h"
#include "platform/net/HttpSession.h"
#include "platform/net/HttpTransaction.h"
#include "platform/net/IHttpTransactionEventListener.h"

// The screens' download packaged on its own: one GET of uriRequest, the body
// kept as text in content and written to fileName.
class HttpDownloader : public Osp::Net::Http::IHttpTransactionEventListener {
public:
    HttpDownloader(Osp::Base::String hostAddr, Osp::Base::String uriRequest,
                   Osp::Base::String fileName);
    ~HttpDownloader() override;

    result requestSearch();
    result SaveFile(Osp::Base::ByteBuffer* pBuffer, Osp::Base::String path);

    void OnTransactionReadyToRead(Osp::Net::Http::HttpSession& httpSession,
                                  Osp::Net::Http::HttpTransaction& httpTransaction,
                                  int availableBodyLen) override;
    void OnTransactionAborted(Osp::Net::Http::HttpSession& httpSession,
                              Osp::Net::Http::HttpTransaction& httpTransaction, result r) override;
    void OnTransactionReadyToWrite(Osp::Net::Http::HttpSession& httpSession,
                                   Osp::Net::Http::HttpTransaction& httpTransaction,
                                   int recommendedChunkSize) override;
    void OnTransactionHeaderCompleted(Osp::Net::Http::HttpSession& httpSession,
                                      Osp::Net::Http::HttpTransaction& httpTransaction,
                                      int headerLen, bool rs) override;
    void OnTransactionCompleted(Osp::Net::Http::HttpSession& httpSession,
                                Osp::Net::Http::HttpTransaction& httpTransaction) override;
    void OnTransactionCertVerificationRequiredN(Osp::Net::Http::HttpSession& httpSession,
                                                Osp::Net::Http::HttpTransaction& httpTransaction,
                                                Osp::Base::String* pCert) override;

    Osp::Base::String getContent() { return content; }
    Osp::Base::String getHostAddr() { return hostAddr; }
    Osp::Base::String getUriRequest() { return uriRequest; }
    Osp::Base::String getFileName() { return fileName; }
    void setContent(Osp::Base::String content) { this->content = content; }
    void setHostAddr(Osp::Base::String hostAddr) { this->hostAddr = hostAddr; }
    void setUriRequest(Osp::Base::String uriRequest) { this->uriRequest = uriRequest; }
    void setFileName(Osp::Base::String fileName) { this->fileName = fileName; }

private:
    Osp::Base::String content;
    Osp::Base::String hostAddr;
    Osp::Base::String uriRequest;
    Osp::Base::String fileName;
    // Not a field of the design: kept only so that each request's session is
    // released, by the next request or by the destructor (which also cancels it).
    Osp::Net::Http::HttpSession* lastSession = nullptr;
};
