#pragma once

#include "platform/base/ByteBuffer.h"
#include "platform/base/Object.h"
#include "platform/net/HttpTypes.h"

#include <string>

namespace Osp::Net::Http {

// The answer to a transaction: its status and its whole body.
class HttpResponse : public Osp::Base::Object {
public:
    HttpResponse();
    ~HttpResponse() override;
    HttpResponse(const HttpResponse&) = delete;
    HttpResponse& operator=(const HttpResponse&) = delete;

    NetHttpStatusCode GetStatusCode() const { return status_; }
    // A new buffer the caller owns: position 0, limit = body size. Null with
    // the last result set when it cannot be made.
    Osp::Base::ByteBuffer* ReadBodyN();

    // The stand-in's own: filled by the transaction when the fetch ends.
    void SetReceived(long status, std::string body);
    int BodyLength() const { return static_cast<int>(body_.size()); }

private:
    NetHttpStatusCode status_ = NET_HTTP_STATUS_UNDEFINED;
    std::string body_;
};

} // namespace Osp::Net::Http
