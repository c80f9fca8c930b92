#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "feedserver/bridge/SourceFetcher.h"
#include "feedserver/bridge/SourceRecord.h"
#include "feedserver/sources/SourceItem.h"

namespace pregonero::feeds {

// Turns a feed's bytes into its items; false with a reason when nothing
// could be read. `contentType` is the response's, possibly empty.
using SourceParser =
    std::function<bool(const std::string& bytes, const std::string& url,
                       const std::string& contentType, SourceFeed* feed, std::string* error)>;

// Folds the reply of one fetch into its source's record, the same way for
// the live server and an export: new items only from a 2xx that parses, the
// last good ones kept through every failure, and a pause after 429 or 503
// (Retry-After, else doubling from one refresh period up to a day).
class RecordUpdater {
public:
    struct Outcome {
        bool parsed = false;       // the body went to the parser
        bool itemsChanged = false; // the record holds new items
    };

    RecordUpdater(double refreshMinutes, SourceParser parser)
        : refreshMinutes_(refreshMinutes), parser_(std::move(parser)) {}

    // `now` in seconds since the epoch; the reply's body may be moved from.
    Outcome Apply(SourceRecord& record, FetchReply& reply, std::int64_t now) const;

private:
    double refreshMinutes_;
    SourceParser parser_;
};

} // namespace pregonero::feeds
