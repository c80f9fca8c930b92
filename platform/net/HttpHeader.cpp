#include "platform/net/HttpHeader.h"

namespace Osp::Net::Http {

HttpHeader::HttpHeader() = default;

HttpHeader::~HttpHeader() = default;

} // namespace Osp::Net::Http
