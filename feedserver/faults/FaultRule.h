#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace pregonero::feeds {

// How the feed server misbehaves for one request path. Every field is off by
// default, so a default-constructed rule serves the file as usual.
struct FaultRule {
    int status = 0;                   // answer with this status (0: 200, or 404 if missing)
    int delayMs = 0;                  // wait before the response starts
    int stallMs = 0;                  // pause this long once stallAfterBytes body bytes are out
    std::size_t stallAfterBytes = 0;  //
    std::size_t chunkSize = 0;        // >0: chunked transfer encoding in pieces of this size
    long long dropAfterBytes = -1;    // >=0: close the connection after this many body bytes
    long long contentLengthDelta = 0; // announced Content-Length minus the real body size
    int dripMs = 0;                   // >0: dripBytes body bytes, then this pause, and so on
    std::size_t dripBytes = 1;        //
    bool endlessChunks = false;       // chunked pieces of filler that never end
    std::size_t gzipBombBytes = 0;    // >0: a gzip body of this many zero bytes once inflated
    std::optional<std::string> bodyOverride{}; // served instead of the file
    std::vector<std::pair<std::string, std::string>> extraHeaders{};

    // True when the body must be paced or cut by hand instead of sent in one go.
    bool NeedsStreaming() const {
        return stallMs > 0 || chunkSize > 0 || dropAfterBytes >= 0 || contentLengthDelta != 0 ||
               dripMs > 0 || endlessChunks;
    }
};

} // namespace pregonero::feeds
