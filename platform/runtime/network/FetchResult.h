#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace pregonero::runtime {

// Completed means a response arrived whole, whatever its status; the caller
// judges the status. Everything else is an abort.
enum class FetchOutcome { Completed, Aborted };

struct FetchResult {
    FetchOutcome outcome = FetchOutcome::Aborted;
    long status = 0;   // status of the final response, 0 when none arrived
    std::string body;  // the whole body; only meaningful when Completed
    std::string error; // short reason when Aborted ("timeout", "body too large", ...)
    // What the final response said of itself; empty when it did not say.
    std::string contentType;
    std::string etag;
    std::string lastModified;
    std::optional<std::int64_t> retryAfter; // seconds to wait, from a number or a date
};

using FetchCallback = std::function<void(FetchResult&&)>;
using FetchId = std::uint64_t; // 0 means the request was refused

} // namespace pregonero::runtime
