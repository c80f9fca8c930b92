#include "net/HttpDownloader.h"

#include "platform/io/File.h"

#include <cstring>
#include <memory>
#include <string>

using namespace Osp::Base;
using namespace Osp::Net::Http;

HttpDownloader::HttpDownloader(String hostAddr, String uriRequest, String fileName) {
    setHostAddr(hostAddr);
    setUriRequest(uriRequest);
    setFileName(fileName);
}

HttpDownloader::~HttpDownloader() {
    delete lastSession;
}

result HttpDownloader::requestSearch() {
    content = String();
    delete lastSession;
    lastSession = new HttpSession();
    result r = lastSession->Construct(NET_HTTP_SESSION_MODE_NORMAL, nullptr, hostAddr, nullptr,
                                      NET_HTTP_COOKIE_FLAG_ALWAYS_MANUAL);
    if (IsFailed(r)) {
        return r;
    }
    HttpTransaction* pTransaction = lastSession->OpenTransactionN();
    if (pTransaction == nullptr) {
        return GetLastResult();
    }
    // The session owns the transaction until it completes or aborts.
    r = pTransaction->AddHttpTransactionListener(*this);
    if (IsFailed(r)) {
        return r;
    }
    HttpRequest* pRequest = pTransaction->GetRequest();
    if (pRequest == nullptr) {
        return GetLastResult();
    }
    r = pRequest->SetUri(uriRequest);
    if (IsFailed(r)) {
        return r;
    }
    r = pRequest->SetMethod(NET_HTTP_METHOD_GET);
    if (IsFailed(r)) {
        return r;
    }
    return pTransaction->Submit();
}

result HttpDownloader::SaveFile(ByteBuffer* pBuffer, String path) {
    Osp::Io::File file;
    result r = file.Construct(path, L"w", true);
    if (IsFailed(r)) {
        return r;
    }
    return file.Write(*pBuffer);
}

void HttpDownloader::OnTransactionReadyToRead(HttpSession&, HttpTransaction& httpTransaction, int) {
    HttpResponse* pResponse = httpTransaction.GetResponse();
    if (pResponse == nullptr || pResponse->GetStatusCode() != NET_HTTP_STATUS_OK) {
        return;
    }
    std::unique_ptr<ByteBuffer> pBody(pResponse->ReadBodyN());
    if (!pBody) {
        return;
    }
    // Taken as a C string would be: up to the first NUL, never past the limit.
    const char* bytes = reinterpret_cast<const char*>(pBody->GetPointer());
    const std::string text(bytes, ::strnlen(bytes, static_cast<std::size_t>(pBody->GetLimit())));
    content = String(text.c_str());
    SaveFile(pBody.get(), fileName);
}

void HttpDownloader::OnTransactionAborted(HttpSession&, HttpTransaction& httpTransaction, result) {
    delete &httpTransaction;
}

void HttpDownloader::OnTransactionReadyToWrite(HttpSession&, HttpTransaction&, int) {}

void HttpDownloader::OnTransactionHeaderCompleted(HttpSession&, HttpTransaction&, int, bool) {}

void HttpDownloader::OnTransactionCompleted(HttpSession&, HttpTransaction& httpTransaction) {
    delete &httpTransaction;
}

void HttpDownloader::OnTransactionCertVerificationRequiredN(HttpSession&, HttpTransaction&,
                                                            String*) {}
