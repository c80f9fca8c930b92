#pragma once

#include <memory>
#include <string>

#include "feedserver/BridgeOptions.h"
#include "feedserver/bridge/EditionClock.h"
#include "feedserver/bridge/FeedBridge.h"

namespace pregonero::feeds {

// Starts a feed server that builds its edition from the newspapers' feeds a
// list names, as pregonero-feeds and the reader both do: reads the list,
// checks the zone, serves the last saved edition at once and refreshes it
// from then on.
class EditionService {
public:
    enum class Failure { None, BadInput, CannotServe };

    // Feeds are read by SourceFeedReader unless a test hands its own parser.
    EditionService();
    explicit EditionService(SourceParser parser) : parser_(std::move(parser)) {}
    ~EditionService() { Stop(); }

    // port 0: any free port. On failure, *error holds at most three lines
    // naming the culprit; BadInput means the options or the list are wrong.
    Failure Start(const BridgeOptions& options, int port, const std::string& version,
                  std::string* error);
    void Stop();

    std::string BaseUrl() const { return bridge_ ? bridge_->BaseUrl() : std::string(); }
    std::size_t SourceCount() const { return sources_; }

private:
    SourceParser parser_;
    EditionClock clock_;
    std::unique_ptr<FeedBridge> bridge_;
    std::size_t sources_ = 0;
};

} // namespace pregonero::feeds
