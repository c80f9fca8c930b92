#pragma once

#include "platform/base/Object.h"

namespace Osp::Net::Http {

// Header fields common to a session's requests. The feeds need none, so the
// stand-in keeps it empty.
class HttpHeader : public Osp::Base::Object {
public:
    HttpHeader();
    ~HttpHeader() override;
    HttpHeader(const HttpHeader&) = delete;
    HttpHeader& operator=(const HttpHeader&) = delete;
};

} // namespace Osp::Net::Http
