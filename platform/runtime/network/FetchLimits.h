#pragma once

#include <cstddef>

namespace pregonero::runtime {

// Bounds that turn a dead or hostile server into an abort instead of a hang or
// an exhausted heap. A time-out of 0 means "no limit" (curl's convention).
struct FetchLimits {
    long connectTimeoutMs = 10000;
    long stallTimeoutMs = 15000; // below 1 byte/s for this long aborts; curl counts whole seconds
    long totalTimeoutMs = 60000; // the whole transfer, redirects included
    std::size_t maxBodyBytes = 32u << 20;   // decoded bytes, so a compression bomb aborts too
    std::size_t maxHeaderBytes = 64u << 10; // all header lines of all responses of one transfer
    std::size_t maxHeaderCount = 200;       // idem, counted in lines
    int maxRedirects = 5;
};

} // namespace pregonero::runtime
