#include "feedserver/bridge/EditionService.h"

#include <chrono>

#include "feedserver/bridge/OpmlReader.h"
#include "feedserver/bridge/StateStore.h"
#include "feedserver/sources/SourceFeedReader.h"

namespace pregonero::feeds {

EditionService::EditionService()
    : parser_([](const std::string& bytes, const std::string& url, const std::string& contentType,
                 SourceFeed* feed, std::string* error) {
          return SourceFeedReader::Read(bytes, url, contentType, feed, error);
      }) {}

EditionService::Failure EditionService::Start(const BridgeOptions& options, int port,
                                              const std::string& version, std::string* error) {
    OpmlReader list;
    if (!list.ReadFile(options.sourcesFile)) {
        *error = list.Error();
        return Failure::BadInput;
    }
    if (!clock_.SetZone(options.timeZone, error)) {
        return Failure::BadInput;
    }
    BridgeSettings settings;
    settings.stateDir = options.stateDir.empty() ? StateStore::DefaultDirectory()
                                                 : std::filesystem::path(options.stateDir);
    settings.refreshMinutes = options.refreshMinutes;
    settings.userAgent = "pregonero-feeds/" + version;
    sources_ = list.Sources().size();
    bridge_ = std::make_unique<FeedBridge>(list.Sources(), settings, clock_, parser_);
    if (!bridge_->Open(error)) {
        bridge_.reset();
        return Failure::CannotServe;
    }
    // A first start has nothing to show: rather than an empty edition, the
    // first round of fetches, bounded by the transfer time-out.
    const bool fetchFirst = !bridge_->EverFetched();
    if (fetchFirst) {
        bridge_->Refresh(std::chrono::duration_cast<std::chrono::seconds>(
                             std::chrono::system_clock::now().time_since_epoch())
                             .count());
    }
    if (!bridge_->Serve(port, error)) {
        bridge_.reset();
        return Failure::CannotServe;
    }
    bridge_->StartRefreshing(fetchFirst);
    return Failure::None;
}

void EditionService::Stop() {
    if (bridge_) {
        bridge_->Stop();
        bridge_.reset();
    }
}

} // namespace pregonero::feeds
