#pragma once

#include <cstddef>

namespace pregonero::runtime {

// Bounds that turn a dead or hostile server into an abort instead of a hang or
// an exhausted heap. A time-out of 0 means "no limit" (curl's convention).
struct FetchLimits {
    long connectTimeoutMs = 10000;
    // A feed on a slow but live link may take minutes; one that trickles below
    // lowSpeedBytesPerSecond for stallTimeoutMs is dead (curl counts whole seconds).
    long stallTimeoutMs = 15000;
    long lowSpeedBytesPerSecond = 100;
    long totalTimeoutMs = 600000;           // a ceiling on the whole transfer, redirects included
    std::size_t maxBodyBytes = 8u << 20;    // decoded bytes, so a compression bomb aborts too
    std::size_t maxHeaderBytes = 64u << 10; // all header lines of all responses of one transfer
    std::size_t maxHeaderCount = 200;       // idem, counted in lines
    int maxRedirects = 5;
};

} // namespace pregonero::runtime
