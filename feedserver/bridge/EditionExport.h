#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "feedserver/BridgeOptions.h"
#include "feedserver/ExportOptions.h"
#include "feedserver/bridge/EditionClock.h"
#include "feedserver/bridge/ExportProgress.h"
#include "feedserver/bridge/RecordUpdater.h"
#include "feedserver/bridge/SourceRecord.h"

namespace pregonero::feeds {

class EditionFiles;
class PictureStore;
class SourceFetcher;

struct ExportSettings {
    BridgeOptions bridge;  // --sources, --state and --time-zone
    ExportOptions edition; // the folder, the base URL, whether pictures travel along
    std::string userAgent = "pregonero-feeds";
};

// Writes one edition into a folder that any static web server can serve:
// every source fetched once with the live server's state (conditional GETs,
// last good items through failures, pauses honoured) and built as the live
// server builds it, links absolute under the base URL, the pictures kept
// alongside when asked. The folder changes only when the new edition is
// whole (its manifest is written last), in one rename; a
// failure or an interruption leaves the previous edition as it was.
class EditionExport {
public:
    static constexpr const char* kManifest = "manifest.txt";

    enum class Failure { None, BadInput, Failed };

    struct Summary {
        std::size_t feeds = 0; // catalogue feeds: the front page and the sections
        std::size_t articles = 0;
        std::size_t galleries = 0;
        std::size_t picturesKept = 0;
        std::size_t picturesLeftOut = 0;
        std::uintmax_t bytes = 0;
        std::vector<std::string> failedSources; // names of the sources whose fetch failed
    };

    EditionExport(); // feeds read by SourceFeedReader
    explicit EditionExport(SourceParser parser);
    ~EditionExport();

    // On failure *error holds one line; BadInput: the list or options are
    // wrong and nothing was written.
    Failure Run(const ExportSettings& settings, ExportProgress& progress, std::string* error);
    // From any thread: the run ends soon with Failure::Failed.
    void Interrupt();

    const Summary& Result() const { return summary_; }

private:
    void FetchSources(std::vector<SourceRecord>& records, std::int64_t now, double refreshMinutes,
                      ExportProgress& progress);
    bool Write(const ExportSettings& settings, std::vector<SourceRecord>& records,
               EditionFiles& files, ExportProgress& progress, std::string* error);
    bool KeepPictures(std::vector<SourceRecord>& records, EditionFiles& files,
                      const std::string& server, ExportProgress& progress, std::string* error);
    bool Seal(const std::filesystem::path& dir, std::string* error);

    SourceParser parser_;
    EditionClock clock_;
    Summary summary_;
    std::mutex mutex_; // guards the two below as Interrupt reaches them
    std::atomic<bool> interrupted_{false};
    std::unique_ptr<SourceFetcher> fetcher_;
    std::unique_ptr<PictureStore> pictures_;
};

} // namespace pregonero::feeds
