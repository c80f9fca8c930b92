#pragma once

#include <cstdint>
#include <functional>
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
};

using FetchCallback = std::function<void(FetchResult&&)>;
using FetchId = std::uint64_t; // 0 means the request was refused

} // namespace pregonero::runtime
