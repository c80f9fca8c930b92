#pragma once

namespace Osp::Net::Http {

enum NetHttpSessionMode {
    NET_HTTP_SESSION_MODE_NORMAL = 0,
    NET_HTTP_SESSION_MODE_MULTIPLE_HOST = 2,
};

enum NetHttpCookieFlag {
    NET_HTTP_COOKIE_FLAG_NONE = 0,
    NET_HTTP_COOKIE_FLAG_ALWAYS_MANUAL = 2,
};

enum NetHttpMethod {
    NET_HTTP_METHOD_GET = 0x40,
};

enum NetHttpStatusCode : int {
    NET_HTTP_STATUS_UNDEFINED = 0,
    NET_HTTP_STATUS_OK = 200,
};

} // namespace Osp::Net::Http
