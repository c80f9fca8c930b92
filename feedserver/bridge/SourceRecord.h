#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "feedserver/sources/SourceItem.h"

namespace pregonero::feeds {

// What the bridge knows of one source: its last good items, the validators
// of the response they came from, and how its last fetch went.
struct SourceRecord {
    std::string url;
    std::string name;
    int section = -1;

    std::vector<SourceItem> items; // the last that parsed; kept through failures
    std::string etag;
    std::string lastModified;

    std::int64_t lastFetch = 0;   // seconds since the epoch; 0 before the first
    long status = 0;              // HTTP status of the last fetch; 0 when none arrived
    std::string error;            // why the last fetch brought nothing new, else empty
    bool illFormed = false;       // its items came from a recovering parse
    int refusals = 0;             // 429 and 503 answers in a row
    std::int64_t nextAttempt = 0; // not fetched before this, after a refusal
};

} // namespace pregonero::feeds
