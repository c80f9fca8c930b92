#pragma once

#include "platform/base/ByteBuffer.h"
#include "platform/base/String.h"
#include "platform/net/HttpSession.h"
#include "platform/net/HttpTransaction.h"
#include "platform/net/IHttpTransactionEventListener.h"

#include <memory>

// The feed download steps the screens and HttpDownloader share; each keeps
// the members of its own names and calls these.
class FeedDownload {
public:
    // Opens the session on first use (it stays stored even when its
    // construction fails) and submits one GET of `uri` told to `listener`.
    static result Start(Osp::Net::Http::HttpSession*& session, const Osp::Base::String& hostAddr,
                        const Osp::Base::String& uri,
                        Osp::Net::Http::IHttpTransactionEventListener& listener);
    // Tells the user why the download could not start; with no network the
    // session goes, so nothing is left half open.
    // `otherText` is the screen's message for failures other than the network.
    static void ReportStartFailure(result r, Osp::Net::Http::HttpSession*& session,
                                   const wchar_t* otherText = kBusyText);
    static constexpr const wchar_t* kBusyText = L"Previous transaction is being processed";
    // Writes `buffer` to `path`, replacing what the file held.
    static result Save(Osp::Base::ByteBuffer* buffer, const Osp::Base::String& path);
    // The whole body of a status-200 response, or null.
    static std::unique_ptr<Osp::Base::ByteBuffer>
    TakeOkBody(Osp::Net::Http::HttpTransaction& transaction);
};
