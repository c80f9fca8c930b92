#pragma once

#include "platform/base/String.h"

namespace Osp::Base::Utility {

// A URI reference. SetUri accepts any well-formed absolute URI; whether a
// scheme may be fetched is the network layer's decision.
class Uri : public Object {
public:
    Uri();
    ~Uri() override;
    result SetUri(const String& text);
    String ToString() const { return text_; }
    // http or https with a host: the only URLs the reader fetches.
    bool IsHttp() const;

private:
    String text_;
    String scheme_;
    String host_;
};

} // namespace Osp::Base::Utility
