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

// What each thread keeps of the last base it resolved against: an item
// resolves many references against one base, and parsing it costs as much
// as the reference.
struct ParsedBase {
    std::string text;
    Url handle;         // the base, or empty when curl refuses it
    std::string origin; // "https://host[:port]" of an http(s) base, else empty
};

ParsedBase& BaseFor(const std::string& base) {
    thread_local ParsedBase parsed;
    if (!parsed.handle || base != parsed.text) {
        parsed.text = base;
        parsed.origin.clear();
        parsed.handle.reset(curl_url());
        if (parsed.handle && !base.empty() && !Set(parsed.handle.get(), base, kFlags)) {
            parsed.handle.reset(curl_url());
        }
        Url root(parsed.handle ? curl_url_dup(parsed.handle.get()) : nullptr);
        if (root && !base.empty() && Set(root.get(), "/", kFlags)) {
            const std::string scheme = Part(root.get(), CURLUPART_SCHEME);
            const std::string url = Part(root.get(), CURLUPART_URL);
            if ((scheme == "http" || scheme == "https") && !url.empty() && url.back() == '/') {
                parsed.origin = url.substr(0, url.size() - 1);
            }
        }
    }
    return parsed;
}

bool IsLowerAlnum(char c) {
    return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// A path (with a query) of characters no URL parser changes, without dot
// segments or an empty query: curl would hand it back as it is.
bool IsPlainPath(std::string_view path) {
    for (char c : path) {
        if (!IsLowerAlnum(c) && !(c >= 'A' && c <= 'Z') &&
            std::string_view("-._~/?=&,;:@+").find(c) == std::string_view::npos) {
            return false;
        }
    }
    return !path.empty() && path[0] == '/' && path.back() != '?' &&
           path.find("/.") == std::string_view::npos && path.find("//") == std::string_view::npos;
}

// A host name curl hands back as it is: lower case labels, the last one
// with a letter (numbers are addresses curl rewrites).
bool IsPlainHost(std::string_view host) {
    if (host.empty() || host.front() == '.' || host.back() == '.' || host.front() == '-' ||
        host.find("..") != std::string_view::npos) {
        return false;
    }
    bool letter = false;
    for (char c : host) {
        if (c == '.') {
            letter = false;
        } else if (IsLowerAlnum(c) || c == '-') {
            letter = letter || (c >= 'a' && c <= 'z');
        } else {
            return false;
        }
    }
    return letter;
}

// The common references, an absolute path or an http(s) URL made only of
// such plain parts, resolved without curl; empty for every other one.
std::string PlainJoin(const std::string& base, std::string_view reference) {
    if (reference.size() > 1 && reference[0] == '/' && reference[1] != '/') {
        const std::string& origin = BaseFor(base).origin;
        return !origin.empty() && IsPlainPath(reference) ? origin + std::string(reference)
                                                         : std::string();
    }
    for (std::string_view scheme : {"https://", "http://"}) {
        if (reference.substr(0, scheme.size()) == scheme) {
            std::string_view rest = reference.substr(scheme.size());
            std::size_t slash = rest.find('/');
            if (slash != std::string_view::npos && IsPlainHost(rest.substr(0, slash)) &&
                IsPlainPath(rest.substr(slash))) {
                return std::string(reference);
            }
            return {};
        }
    }
    return {};
}

// The absolute form of `reference` against `base`, or empty.
std::string Join(const std::string& base, std::string_view reference, bool webOnly) {
    reference = Trim(reference);
    if (reference.empty() || reference.size() > 8192) {
        return {};
    }
    if (std::string plain = PlainJoin(base, reference); !plain.empty()) {
        return plain;
    }
    const ParsedBase& parsed = BaseFor(base);
    Url url(parsed.handle ? curl_url_dup(parsed.handle.get()) : nullptr);
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
