#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "feedserver/FeedServer.h"
#include "feedserver/bridge/EditionClock.h"
#include "feedserver/bridge/EditionFolder.h"
#include "feedserver/bridge/OpmlReader.h"
#include "feedserver/bridge/RecordUpdater.h"
#include "feedserver/bridge/SourceFetcher.h"
#include "feedserver/bridge/SourceRecord.h"
#include "feedserver/bridge/StateStore.h"

namespace pregonero::feeds {

struct BridgeSettings {
    std::filesystem::path stateDir;
    double refreshMinutes = 15;
    std::string userAgent = "pregonero-feeds";
};

// Keeps an edition built from newspapers' feeds up to date and serves it:
// every refresh fetches the sources (conditionally, and never a source that
// asked to be left alone), keeps each one's last good items through
// failures, saves them under the state directory and rebuilds the edition
// folder there, which the feed server serves. "/" answers a status page.
class FeedBridge {
public:
    FeedBridge(const std::vector<OpmlSource>& sources, BridgeSettings settings,
               const EditionClock& clock, SourceParser parser);
    ~FeedBridge();
    FeedBridge(const FeedBridge&) = delete;
    FeedBridge& operator=(const FeedBridge&) = delete;

    // Loads the saved state and writes the edition from it, so there is
    // something to serve before the first fetch ends.
    bool Open(std::string* error);
    // Serves the edition folder on 127.0.0.1 (port 0: any free port).
    bool Serve(int port, std::string* error);
    // Refreshes every refreshMinutes on a thread of its own, at once unless
    // `firstRoundDone`.
    void StartRefreshing(bool firstRoundDone = false);
    // Whether any source was ever fetched, by this run or one before.
    bool EverFetched() const;
    // Ends the refreshing (cutting a fetch short) and the serving.
    void Stop();

    std::string BaseUrl() const { return server_.BaseUrl(); }
    std::filesystem::path EditionDir() const { return edition_.Path(); }

    // One round on the caller's thread: fetches every source due at `now`
    // (seconds since the epoch), then saves and rebuilds what changed.
    void Refresh(std::int64_t now);
    // How many feed bodies were handed to the parser so far.
    std::size_t Parses() const { return parses_; }
    std::vector<SourceRecord> Records() const;
    std::string StatusPage() const;

private:
    bool Publish(std::string* error);
    void RefreshLoop(bool firstRoundDone);

    BridgeSettings settings_;
    const EditionClock& clock_;
    RecordUpdater updater_;
    StateStore store_;
    EditionFolder edition_;
    SourceFetcher fetcher_;
    FeedServer server_;
    std::atomic<std::size_t> parses_{0};

    mutable std::mutex mutex_; // guards records_ and stopping_
    std::vector<SourceRecord> records_;
    bool stopping_ = false;
    std::condition_variable wake_;
    std::thread refresher_;
};

} // namespace pregonero::feeds
