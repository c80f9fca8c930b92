#include "net/FeedDownload.h"

#include "net/DownloadMessage.h"
#include "platform/io/File.h"
#include "platform/net/HttpRequest.h"
#include "platform/net/HttpResponse.h"

using namespace Osp::Net::Http;

result FeedDownload::Start(HttpSession*& session, const Osp::Base::String& hostAddr,
                           const Osp::Base::String& uri, IHttpTransactionEventListener& listener) {
    if (session == nullptr) {
        session = new HttpSession();
        result r = session->Construct(NET_HTTP_SESSION_MODE_NORMAL, nullptr, hostAddr, nullptr,
                                      NET_HTTP_COOKIE_FLAG_ALWAYS_MANUAL);
        if (IsFailed(r)) {
            return r;
        }
    }
    HttpTransaction* transaction = session->OpenTransactionN();
    if (transaction == nullptr) {
        return GetLastResult();
    }
    // Until it completes or aborts the transaction is the session's to delete.
    result r = transaction->AddHttpTransactionListener(listener);
    if (IsFailed(r)) {
        return r;
    }
    HttpRequest* request = transaction->GetRequest();
    if (request == nullptr) {
        return GetLastResult();
    }
    r = request->SetUri(uri);
    if (IsFailed(r)) {
        return r;
    }
    r = request->SetMethod(NET_HTTP_METHOD_GET);
    if (IsFailed(r)) {
        return r;
    }
    return transaction->Submit();
}

void FeedDownload::ReportStartFailure(result r, HttpSession*& session, const wchar_t* otherText) {
    if (r == E_NETWORK_UNAVAILABLE) {
        ShowDownloadMessage(L"Network is unavailable");
        delete session;
        session = nullptr;
    } else if (IsFailed(r)) {
        ShowDownloadMessage(otherText);
    }
}

result FeedDownload::Save(Osp::Base::ByteBuffer* buffer, const Osp::Base::String& path) {
    Osp::Io::File file;
    result r = file.Construct(path, L"w", true);
    if (IsFailed(r)) {
        return r;
    }
    return file.Write(*buffer);
}

std::unique_ptr<Osp::Base::ByteBuffer> FeedDownload::TakeOkBody(HttpTransaction& transaction) {
    HttpResponse* response = transaction.GetResponse();
    if (response == nullptr || response->GetStatusCode() != NET_HTTP_STATUS_OK) {
        return nullptr;
    }
    return std::unique_ptr<Osp::Base::ByteBuffer>(response->ReadBodyN());
}
