#include "feedserver/bridge/RecordUpdater.h"

#include <algorithm>

namespace pregonero::feeds {

namespace {

constexpr std::int64_t kLongestPause = 24 * 3600;

} // namespace

RecordUpdater::Outcome RecordUpdater::Apply(SourceRecord& record, FetchReply& reply,
                                            std::int64_t now) const {
    Outcome outcome;
    record.lastFetch = now;
    record.status = reply.status;
    if (reply.status == 429 || reply.status == 503) {
        ++record.refusals;
        const auto period = static_cast<std::int64_t>(refreshMinutes_ * 60);
        const std::int64_t pause =
            reply.retryAfter ? *reply.retryAfter
                             : std::min(kLongestPause, period << std::min(record.refusals, 16));
        record.nextAttempt = now + std::min(pause, kLongestPause);
        record.error = "HTTP " + std::to_string(reply.status) + ", next try in " +
                       std::to_string(record.nextAttempt - now) + " s";
        return outcome;
    }
    record.refusals = 0;
    record.nextAttempt = 0;
    if (!reply.error.empty()) {
        record.error = reply.error;
        return outcome;
    }
    if (reply.status == 304) {
        record.error.clear();
        return outcome;
    }
    if (reply.status < 200 || reply.status > 299) {
        record.error = "HTTP " + std::to_string(reply.status);
        return outcome;
    }
    SourceFeed feed;
    std::string error;
    outcome.parsed = true;
    if (!parser_ || !parser_(reply.body, record.url, reply.contentType, &feed, &error)) {
        record.error = "cannot read the feed: " + (error.empty() ? "no parser" : error);
        return outcome;
    }
    record.items = std::move(feed.items);
    record.illFormed = feed.illFormed;
    record.etag = reply.etag;
    record.lastModified = reply.lastModified;
    record.error.clear();
    outcome.itemsChanged = true;
    return outcome;
}

} // namespace pregonero::feeds
