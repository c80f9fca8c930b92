#pragma once

#include <atomic>
#include <cstddef>
#include <memory>
#include <string>

#include <curl/curl.h>

#include "platform/runtime/network/CurlEasy.h"
#include "platform/runtime/network/FetchLimits.h"
#include "platform/runtime/network/FetchResult.h"

namespace pregonero::runtime {

// One GET on the network thread: the easy handle, its limits and the body
// collected so far. Lives only on the network thread; the cancelled flag is
// the one thing it shares with the event thread.
class CurlTransfer {
public:
    CurlTransfer(FetchId id, const FetchLimits& limits,
                 std::shared_ptr<const std::atomic<bool>> cancelled);
    ~CurlTransfer();
    CurlTransfer(const CurlTransfer&) = delete;
    CurlTransfer& operator=(const CurlTransfer&) = delete;

    // Sets the handle up for url and adds it to multi; false leaves it detached.
    bool Attach(CURLM* multi, const std::string& url);
    FetchId Id() const { return id_; }
    bool IsCancelled() const { return cancelled_->load(std::memory_order_acquire); }
    // The outcome once curl reported the transfer done; moves the body out.
    FetchResult Finish(CURLcode code);

    static CurlTransfer* FromHandle(CURL* handle);

private:
    static std::size_t WriteBody(char* data, std::size_t size, std::size_t count, void* self);
    static std::size_t ReadHeader(char* data, std::size_t size, std::size_t count, void* self);
    bool Configure(const std::string& url);
    std::size_t OnBody(const char* data, std::size_t length);
    std::size_t OnHeader(std::size_t length);
    std::string Reason(CURLcode code) const;

    FetchId id_;
    FetchLimits limits_;
    std::shared_ptr<const std::atomic<bool>> cancelled_;
    CurlEasy easy_;
    CURLM* attachedTo_ = nullptr;
    std::string body_;
    std::size_t headerBytes_ = 0;
    std::size_t headerCount_ = 0;
    const char* abortReason_ = nullptr; // set when one of our own limits stopped curl
};

} // namespace pregonero::runtime
