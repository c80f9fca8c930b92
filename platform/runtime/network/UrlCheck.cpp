#include "platform/runtime/network/UrlCheck.h"

#include "platform/runtime/loop/UniqueHandle.h"

#include <string>

#include <curl/curl.h>

namespace pregonero::runtime {

namespace {

using CurlString = UniqueHandle<char, curl_free>;

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        char c = text[i];
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
        if (c != prefix[i]) {
            return false;
        }
    }
    return true;
}

bool HasHost(CURLU* url) {
    char* raw = nullptr;
    if (curl_url_get(url, CURLUPART_HOST, &raw, 0) != CURLUE_OK) {
        return false;
    }
    CurlString host(raw);
    return host && host.get()[0] != '\0';
}

} // namespace

bool UrlCheck::IsFetchable(std::string_view url) {
    // curl's parser is lenient about slashes after the scheme, so the literal
    // "//" and a non-empty authority are required before it gets a say.
    std::string_view authority;
    if (StartsWithNoCase(url, "http://")) {
        authority = url.substr(7);
    } else if (StartsWithNoCase(url, "https://")) {
        authority = url.substr(8);
    } else {
        return false;
    }
    // curl reads "http:///etc/passwd" as host "etc"; an empty authority is no host.
    if (authority.empty() || authority.find_first_of("/?#") == 0) {
        return false;
    }
    if (url.find('\0') != std::string_view::npos) {
        return false;
    }
    UniqueHandle<CURLU, curl_url_cleanup> parsed(curl_url());
    if (!parsed) {
        return false;
    }
    const std::string text(url);
    if (curl_url_set(parsed.get(), CURLUPART_URL, text.c_str(), 0) != CURLUE_OK) {
        return false;
    }
    return HasHost(parsed.get());
}

} // namespace pregonero::runtime
