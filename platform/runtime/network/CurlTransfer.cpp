#include "platform/runtime/network/CurlTransfer.h"

#include <algorithm>
#include <charconv>
#include <ctime>

#include <strings.h>

namespace pregonero::runtime {

namespace {

constexpr const char* kAllowedProtocols = "http,https";

bool NameIs(std::string_view name, std::string_view lower) {
    return name.size() == lower.size() && strncasecmp(name.data(), lower.data(), name.size()) == 0;
}

// Retry-After is either a number of seconds or an HTTP date.
std::optional<std::int64_t> RetryAfter(std::string_view value) {
    std::int64_t seconds = -1;
    const char* end = value.data() + value.size();
    if (std::from_chars(value.data(), end, seconds).ptr == end && seconds >= 0) {
        return seconds;
    }
    const time_t when = curl_getdate(std::string(value).c_str(), nullptr);
    return when > 0 ? std::optional(std::max<std::int64_t>(0, when - std::time(nullptr)))
                    : std::nullopt;
}

long StallSeconds(long stallTimeoutMs) {
    // curl measures stalls in whole seconds; round up so a limit never shrinks.
    return stallTimeoutMs <= 0 ? 0 : (stallTimeoutMs + 999) / 1000;
}

} // namespace

CurlTransfer::CurlTransfer(FetchId id, const FetchLimits& limits,
                           std::shared_ptr<const std::atomic<bool>> cancelled)
    : id_(id), limits_(limits), cancelled_(std::move(cancelled)) {}

CurlTransfer::~CurlTransfer() {
    if (attachedTo_ != nullptr) {
        curl_multi_remove_handle(attachedTo_, easy_.Get());
    }
}

bool CurlTransfer::Attach(CurlMulti& multi, const std::string& url,
                          const std::vector<std::string>& headerLines,
                          const std::string& userAgent) {
    if (!easy_ || !multi || !Configure(url, headerLines, userAgent)) {
        return false;
    }
    if (curl_multi_add_handle(multi.Get(), easy_.Get()) != CURLM_OK) {
        return false;
    }
    attachedTo_ = multi.Get();
    return true;
}

bool CurlTransfer::Configure(const std::string& url, const std::vector<std::string>& headerLines,
                             const std::string& userAgent) {
    CURL* h = easy_.Get();
    CURLcode rc = CURLE_OK;
    auto set = [&rc, h](CURLoption option, auto value) {
        if (rc == CURLE_OK) {
            rc = curl_easy_setopt(h, option, value);
        }
    };
    set(CURLOPT_URL, url.c_str());
    set(CURLOPT_HTTPGET, 1L);
    set(CURLOPT_NOSIGNAL, 1L);
    // Plain HTTP/1.1: parallel HTTP/2 without TLS is unreliable in the curl we ship on.
    set(CURLOPT_HTTP_VERSION, long{CURL_HTTP_VERSION_1_1});
    set(CURLOPT_PROTOCOLS_STR, kAllowedProtocols);
    set(CURLOPT_REDIR_PROTOCOLS_STR, kAllowedProtocols);
    set(CURLOPT_FOLLOWLOCATION, 1L);
    set(CURLOPT_MAXREDIRS, long{limits_.maxRedirects});
    set(CURLOPT_CONNECTTIMEOUT_MS, limits_.connectTimeoutMs);
    set(CURLOPT_TIMEOUT_MS, limits_.totalTimeoutMs);
    set(CURLOPT_LOW_SPEED_LIMIT, limits_.lowSpeedBytesPerSecond);
    set(CURLOPT_LOW_SPEED_TIME, StallSeconds(limits_.stallTimeoutMs));
    set(CURLOPT_ACCEPT_ENCODING, ""); // every decoder curl has; counted after decoding
    set(CURLOPT_WRITEFUNCTION, &CurlTransfer::WriteBody);
    set(CURLOPT_WRITEDATA, static_cast<void*>(this));
    set(CURLOPT_HEADERFUNCTION, &CurlTransfer::ReadHeader);
    set(CURLOPT_HEADERDATA, static_cast<void*>(this));
    set(CURLOPT_PRIVATE, static_cast<void*>(this));
    if (!userAgent.empty()) {
        set(CURLOPT_USERAGENT, userAgent.c_str());
    }
    for (const std::string& line : headerLines) {
        // Appending never moves the head of a list that has one.
        curl_slist* head = curl_slist_append(requestHeaders_.get(), line.c_str());
        if (head == nullptr) {
            return false;
        }
        if (!requestHeaders_) {
            requestHeaders_.reset(head);
        }
    }
    if (requestHeaders_) {
        set(CURLOPT_HTTPHEADER, requestHeaders_.get());
    }
    return rc == CURLE_OK;
}

CurlTransfer* CurlTransfer::NextFinished(CurlMulti& multi, FetchResult* result) {
    while (CURLMsg* message = multi.NextMessage()) {
        if (message->msg != CURLMSG_DONE) {
            continue;
        }
        char* self = nullptr;
        curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &self);
        auto* transfer = reinterpret_cast<CurlTransfer*>(self);
        *result = transfer->Finish(message->data.result);
        return transfer;
    }
    return nullptr;
}

std::size_t CurlTransfer::WriteBody(char* data, std::size_t size, std::size_t count, void* self) {
    return static_cast<CurlTransfer*>(self)->OnBody(data, size * count);
}

std::size_t CurlTransfer::ReadHeader(char* data, std::size_t size, std::size_t count, void* self) {
    return static_cast<CurlTransfer*>(self)->OnHeader(std::string_view(data, size * count));
}

std::size_t CurlTransfer::OnBody(const char* data, std::size_t length) {
    // Returning a short count makes curl abort the transfer.
    if (IsCancelled()) {
        abortReason_ = "cancelled";
        return length == 0 ? 1 : 0;
    }
    if (length > limits_.maxBodyBytes - body_.size()) {
        abortReason_ = kBodyTooLarge.data();
        return length == 0 ? 1 : 0;
    }
    body_.append(data, length);
    return length;
}

std::size_t CurlTransfer::OnHeader(std::string_view line) {
    const std::size_t length = line.size();
    // Counted over every response of the transfer (redirects, 1xx, trailers) so
    // an endless stream of interim responses is bounded as well.
    headerBytes_ += length;
    ++headerCount_;
    if (headerBytes_ > limits_.maxHeaderBytes) {
        abortReason_ = "headers too large";
        return length == 0 ? 1 : 0;
    }
    if (headerCount_ > limits_.maxHeaderCount) {
        abortReason_ = "too many headers";
        return length == 0 ? 1 : 0;
    }
    Keep(line);
    return length;
}

void CurlTransfer::Keep(std::string_view line) {
    // Every response of a redirect chain sends its headers; only the final
    // one's count, so a status line starts them afresh.
    if (line.starts_with("HTTP/")) {
        result_ = {};
        return;
    }
    const auto colon = line.find(':');
    const auto begin = line.find_first_not_of(" \t", colon + 1);
    const auto end = line.find_last_not_of(" \t\r\n");
    if (colon == std::string_view::npos || begin == std::string_view::npos || begin > end) {
        return;
    }
    const std::string_view name = line.substr(0, colon);
    const std::string_view value = line.substr(begin, end + 1 - begin);
    if (NameIs(name, "content-type")) {
        result_.contentType = value;
    } else if (NameIs(name, "etag")) {
        result_.etag = value;
    } else if (NameIs(name, "last-modified")) {
        result_.lastModified = value;
    } else if (NameIs(name, "retry-after")) {
        result_.retryAfter = RetryAfter(value);
    }
}

FetchResult CurlTransfer::Finish(CURLcode code) {
    FetchResult result = std::move(result_);
    curl_easy_getinfo(easy_.Get(), CURLINFO_RESPONSE_CODE, &result.status);
    if (code == CURLE_OK && result.status != 0) {
        result.outcome = FetchOutcome::Completed;
        result.body = std::move(body_);
    } else {
        result.outcome = FetchOutcome::Aborted;
        result.error = Reason(code);
    }
    return result;
}

std::string CurlTransfer::Reason(CURLcode code) const {
    if (abortReason_ != nullptr) {
        return abortReason_;
    }
    switch (code) {
    case CURLE_OPERATION_TIMEDOUT:
        return "timeout";
    case CURLE_COULDNT_CONNECT:
        return "connection failed";
    case CURLE_COULDNT_RESOLVE_HOST:
        return "host not found";
    case CURLE_TOO_MANY_REDIRECTS:
        return "too many redirects";
    case CURLE_UNSUPPORTED_PROTOCOL:
        return "unsupported protocol";
    case CURLE_PARTIAL_FILE:
        return "truncated body";
    case CURLE_OK:
        return "no response";
    default:
        return curl_easy_strerror(code);
    }
}

} // namespace pregonero::runtime
