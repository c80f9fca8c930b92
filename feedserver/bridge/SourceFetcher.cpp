#include "feedserver/bridge/SourceFetcher.h"

#include <algorithm>
#include <cctype>
#include <ctime>

#include <curl/curl.h>

#include "platform/runtime/loop/UniqueHandle.h"
#include "platform/runtime/network/CurlEasy.h"
#include "platform/runtime/network/CurlMulti.h"

namespace pregonero::feeds {

namespace {

constexpr long kMaxTransfers = 6;
constexpr long kMaxPerHost = 2;
constexpr long kMaxRedirects = 5;
constexpr long kConnectTimeoutMs = 10000;
constexpr long kTotalTimeoutMs = 60000;

using HeaderList = runtime::UniqueHandle<curl_slist, curl_slist_free_all>;

std::string Trimmed(std::string text) {
    const auto begin = text.find_first_not_of(" \t\r\n");
    const auto end = text.find_last_not_of(" \t\r\n");
    return begin == std::string::npos ? "" : text.substr(begin, end - begin + 1);
}

struct Transfer {
    runtime::CurlEasy easy;
    HeaderList headers;
    FetchReply reply;
    std::size_t maxBytes = SourceFetcher::kMaxBodyBytes;
    std::size_t index = 0;
    bool tooLarge = false;
    bool done = false;

    static size_t OnBody(char* data, size_t size, size_t count, void* self) {
        auto* transfer = static_cast<Transfer*>(self);
        const size_t bytes = size * count;
        if (transfer->reply.body.size() + bytes > transfer->maxBytes) {
            transfer->tooLarge = true;
            return 0; // aborts the transfer
        }
        transfer->reply.body.append(data, bytes);
        return bytes;
    }

    // Every response of a redirect chain sends its headers; only the last
    // one's count, so a status line starts them afresh.
    static size_t OnHeader(char* data, size_t size, size_t count, void* self) {
        auto* reply = &static_cast<Transfer*>(self)->reply;
        const std::string line(data, size * count);
        if (line.starts_with("HTTP/")) {
            reply->etag.clear();
            reply->lastModified.clear();
            reply->contentType.clear();
            reply->retryAfter.reset();
            return size * count;
        }
        const auto colon = line.find(':');
        if (colon == std::string::npos) {
            return size * count;
        }
        std::string name = line.substr(0, colon);
        std::transform(name.begin(), name.end(), name.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const std::string value = Trimmed(line.substr(colon + 1));
        if (name == "etag") {
            reply->etag = value;
        } else if (name == "last-modified") {
            reply->lastModified = value;
        } else if (name == "content-type") {
            reply->contentType = value;
        } else if (name == "retry-after") {
            if (!value.empty() && std::all_of(value.begin(), value.end(), ::isdigit) &&
                value.size() < 10) {
                reply->retryAfter = std::stoll(value);
            } else if (const time_t when = curl_getdate(value.c_str(), nullptr); when > 0) {
                reply->retryAfter = std::max<std::int64_t>(0, when - std::time(nullptr));
            }
        }
        return size * count;
    }

    bool Prepare(const std::string& userAgent, const FetchRequest& request) {
        CURL* e = easy.Get();
        if (e == nullptr) {
            return false;
        }
        curl_easy_setopt(e, CURLOPT_URL, request.url.c_str());
        curl_easy_setopt(e, CURLOPT_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(e, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
        curl_easy_setopt(e, CURLOPT_FOLLOWLOCATION, 1L);
        curl_easy_setopt(e, CURLOPT_MAXREDIRS, kMaxRedirects);
        curl_easy_setopt(e, CURLOPT_CONNECTTIMEOUT_MS, kConnectTimeoutMs);
        curl_easy_setopt(e, CURLOPT_TIMEOUT_MS, kTotalTimeoutMs);
        curl_easy_setopt(e, CURLOPT_NOSIGNAL, 1L);
        // Every encoding this curl decodes: gzip and deflate, brotli too.
        curl_easy_setopt(e, CURLOPT_ACCEPT_ENCODING, "");
        curl_easy_setopt(e, CURLOPT_USERAGENT, userAgent.c_str());
        curl_easy_setopt(e, CURLOPT_WRITEFUNCTION, &Transfer::OnBody);
        curl_easy_setopt(e, CURLOPT_WRITEDATA, this);
        curl_easy_setopt(e, CURLOPT_HEADERFUNCTION, &Transfer::OnHeader);
        curl_easy_setopt(e, CURLOPT_HEADERDATA, this);
        curl_easy_setopt(e, CURLOPT_PRIVATE, this);
        curl_slist* list = nullptr;
        if (!request.etag.empty()) {
            list = curl_slist_append(list, ("If-None-Match: " + request.etag).c_str());
        }
        if (!request.lastModified.empty()) {
            list = curl_slist_append(list, ("If-Modified-Since: " + request.lastModified).c_str());
        }
        headers.reset(list);
        if (list != nullptr) {
            curl_easy_setopt(e, CURLOPT_HTTPHEADER, list);
        }
        return true;
    }

    void Finish(CURLcode code) {
        done = true;
        curl_easy_getinfo(easy.Get(), CURLINFO_RESPONSE_CODE, &reply.status);
        if (code != CURLE_OK) {
            reply.error = tooLarge ? "larger than " + std::to_string(maxBytes >> 20) + " MiB"
                                   : curl_easy_strerror(code);
            reply.status = tooLarge ? reply.status : 0;
            reply.body.clear();
        }
    }
};

} // namespace

struct SourceFetcher::Impl {
    std::string userAgent;
    std::size_t maxBodyBytes = kMaxBodyBytes;
    runtime::CurlMulti multi;
    std::atomic<bool> interrupted{false};
};

SourceFetcher::SourceFetcher(const std::string& userAgent, std::size_t maxBodyBytes)
    : impl_(std::make_unique<Impl>()) {
    impl_->userAgent = userAgent;
    impl_->maxBodyBytes = maxBodyBytes;
    if (impl_->multi) {
        curl_multi_setopt(impl_->multi.Get(), CURLMOPT_MAX_TOTAL_CONNECTIONS, kMaxTransfers);
        curl_multi_setopt(impl_->multi.Get(), CURLMOPT_MAX_HOST_CONNECTIONS, kMaxPerHost);
    }
}

SourceFetcher::~SourceFetcher() = default;

void SourceFetcher::Interrupt() {
    impl_->interrupted = true;
    impl_->multi.Wakeup();
}

std::vector<FetchReply> SourceFetcher::FetchAll(const std::vector<FetchRequest>& requests,
                                                const Finished& finished) {
    std::vector<std::unique_ptr<Transfer>> transfers;
    CURLM* multi = impl_->multi.Get();
    std::size_t running = 0;
    for (const auto& request : requests) {
        auto transfer = std::make_unique<Transfer>();
        transfer->maxBytes = impl_->maxBodyBytes;
        transfer->index = transfers.size();
        if (multi == nullptr || !transfer->Prepare(impl_->userAgent, request) ||
            curl_multi_add_handle(multi, transfer->easy.Get()) != CURLM_OK) {
            transfer->done = true;
            transfer->reply.error = "cannot start the transfer";
        } else {
            ++running;
        }
        if (transfer->done && finished) {
            finished(transfer->index, transfer->reply);
        }
        transfers.push_back(std::move(transfer));
    }
    while (running > 0 && !impl_->interrupted) {
        impl_->multi.Perform();
        while (CURLMsg* message = impl_->multi.NextMessage()) {
            if (message->msg != CURLMSG_DONE) {
                continue;
            }
            Transfer* transfer = nullptr;
            curl_easy_getinfo(message->easy_handle, CURLINFO_PRIVATE, &transfer);
            const CURLcode code = message->data.result;
            curl_multi_remove_handle(multi, message->easy_handle);
            transfer->Finish(code);
            --running;
            if (finished) {
                finished(transfer->index, transfer->reply);
            }
        }
        if (running > 0) {
            impl_->multi.Poll(1000);
        }
    }
    std::vector<FetchReply> replies;
    for (auto& transfer : transfers) {
        if (!transfer->done) {
            curl_multi_remove_handle(multi, transfer->easy.Get());
            transfer->reply = FetchReply{};
            transfer->reply.error = "interrupted";
        }
        replies.push_back(std::move(transfer->reply));
    }
    return replies;
}

} // namespace pregonero::feeds
