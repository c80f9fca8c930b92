#include "feedserver/sources/SourceUrl.h"

#include "feedserver/sources/FeedEncoding.h"

#include "platform/runtime/loop/UniqueHandle.h"

#include <curl/curl.h>

namespace pregonero::feeds {

namespace {

using Url = pregonero::runtime::UniqueHandle<CURLU, curl_url_cleanup>;

std::string_view Trim(std::string_view text) {
    const char* spaces = " \t\r\n\f\v";
    std::size_t first = text.find_first_not_of(spaces);
    if (first == std::string_view::npos) {
        return {};
    }
    std::size_t last = text.find_last_not_of(spaces);
    return text.substr(first, last - first + 1);
}

bool Set(CURLU* url, std::string_view text, unsigned flags) {
    // curl wants a C string; feeds do not put NULs in URLs we want.
    if (text.find('\0') != std::string_view::npos) {
        return false;
    }
    std::string copy(text);
    return curl_url_set(url, CURLUPART_URL, copy.c_str(), flags) == CURLUE_OK;
}

// One part of the URL, or empty when curl has none.
std::string Part(CURLU* url, CURLUPart part) {
    char* text = nullptr;
    if (curl_url_get(url, part, &text, 0) != CURLUE_OK) {
        return {};
    }
    std::string copy(text);
    curl_free(text);
    return copy;
}

// Spaces and other bytes curl refuses are percent-encoded, as browsers do.
constexpr unsigned kFlags = CURLU_URLENCODE | CURLU_NON_SUPPORT_SCHEME;

// A handle holding `base`, to resolve a reference in: an item resolves many
// references against one base, so each thread keeps the last base parsed and
// copies it. A base curl refuses gives an empty handle: the reference must
// then be absolute on its own.
Url BaseHandle(const std::string& base) {
    thread_local std::string last;
    thread_local Url parsed;
    if (!parsed || base != last) {
        parsed.reset(curl_url());
        last = base;
        if (parsed && !base.empty() && !Set(parsed.get(), base, kFlags)) {
            parsed.reset(curl_url());
        }
    }
    return Url(parsed ? curl_url_dup(parsed.get()) : nullptr);
}

// The absolute form of `reference` against `base`, or empty.
std::string Join(const std::string& base, std::string_view reference, bool webOnly) {
    reference = Trim(reference);
    if (reference.empty() || reference.size() > 8192) {
        return {};
    }
    Url url = BaseHandle(base);
    if (!url) {
        return {};
    }
    if (!Set(url.get(), reference, kFlags)) {
        return {};
    }
    const std::string scheme = Part(url.get(), CURLUPART_SCHEME);
    if (scheme.empty() || (webOnly && scheme != "http" && scheme != "https")) {
        return {};
    }
    const std::string result = Part(url.get(), CURLUPART_URL);
    // curl percent-encodes paths but leaves a host's bytes as they came.
    return FeedEncoding::IsValidUtf8(result) ? result : std::string();
}

} // namespace

std::string SourceUrl::Resolve(const std::string& base, std::string_view reference) {
    return Join(base, reference, true);
}

std::string SourceUrl::Rebase(const std::string& base, std::string_view reference) {
    std::string joined = Join(base, reference, false);
    return joined.empty() ? base : joined;
}

} // namespace pregonero::feeds
