#include "net/HttpDownloader.h"

#include "net/FeedDownload.h"

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
    // A new session per request: the one before, and any transfer it still
    // runs, ends here.
    delete lastSession;
    lastSession = nullptr;
    return FeedDownload::Start(lastSession, hostAddr, uriRequest, *this);
}

result HttpDownloader::SaveFile(ByteBuffer* pBuffer, String path) {
    return FeedDownload::Save(pBuffer, path);
}

void HttpDownloader::OnTransactionReadyToRead(HttpSession&, HttpTransaction& httpTransaction, int) {
    std::unique_ptr<ByteBuffer> pBody = FeedDownload::TakeOkBody(httpTransaction);
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
