#pragma once

#include <string_view>

namespace pregonero::runtime {

// Decides which URLs the network service may fetch: absolute http or https
// URLs with a host. Feeds are untrusted, so links to local files, other
// protocols or script pseudo-URLs never reach curl.
class UrlCheck {
public:
    static bool IsFetchable(std::string_view url);
};

} // namespace pregonero::runtime
