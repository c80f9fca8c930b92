#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <curl/curl.h>

#include "platform/runtime/loop/UniqueHandle.h"
#include "platform/runtime/network/CurlEasy.h"
#include "platform/runtime/network/CurlMulti.h"
#include "platform/runtime/network/FetchLimits.h"
#include "platform/runtime/network/FetchResult.h"

namespace pregonero::runtime {

// One GET on the thread driving its multi handle: the easy handle, its limits,
// the request's own header lines, and the body and final response's headers
// collected so far. The cancelled flag is the one thing it shares with other
// threads.
class CurlTransfer {
public:
    static constexpr std::string_view kBodyTooLarge = "body too large";

    CurlTransfer(FetchId id, const FetchLimits& limits,
                 std::shared_ptr<const std::atomic<bool>> cancelled);
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // Sets the handle up for url, with extra request header lines ("Name:
    // value") and a User-Agent when not empty, and adds it to multi; false
    // leaves it detached.
    bool Attach(CurlMulti& multi, const std::string& url,
                const std::vector<std::string>& headerLines = {},
                const std::string& userAgent = {});
    FetchId Id() const { return id_; }
    bool IsCancelled() const { return cancelled_->load(std::memory_order_acquire); }

    // The next transfer multi reports done, its outcome (body moved out) in
    // *result; nullptr when none is waiting. It stays attached until destroyed.
    static CurlTransfer* NextFinished(CurlMulti& multi, FetchResult* result);

private:
    using HeaderList = UniqueHandle<curl_slist, curl_slist_free_all>;

    static std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t ReadHeader(char* data, std::size_t size, std::size_t count, void* self);
    bool Configure(const std::string& url, const std::vector<std::string>& headerLines,
                   const std::string& userAgent);
    std::size_t OnBody(const char* data, std::size_t length);
    std::size_t OnHeader(std::string_view line);
    void Keep(std::string_view line);
    FetchResult Finish(CURLcode code);
    std::string Reason(CURLcode code) const;

    FetchId id_;
    FetchLimits limits_;
    std::shared_ptr<const std::atomic<bool>> cancelled_;
    HeaderList requestHeaders_; // read by curl until the transfer ends, so freed after it
    CurlEasy easy_;
    CURLM* attachedTo_ = nullptr;
    std::string body_;
    FetchResult result_; // the final response's headers so far
    std::size_t headerBytes_ = 0;
    std::size_t headerCount_ = 0;
    const char* abortReason_ = nullptr; // set when one of our own limits stopped curl
};

} // namespace pregonero::runtime
