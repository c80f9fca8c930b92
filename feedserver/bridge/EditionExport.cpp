#include "feedserver/bridge/EditionExport.h"

#include <algorithm>
#include <chrono>
#include <fstream>
#include <sstream>

#include "feedserver/FeedServer.h"
#include "feedserver/bridge/EditionBuilder.h"
#include "feedserver/bridge/EditionFiles.h"
#include "feedserver/bridge/EditionFolder.h"
#include "feedserver/bridge/OpmlReader.h"
#include "feedserver/bridge/PictureStore.h"
#include "feedserver/bridge/SectionTable.h"
#include "feedserver/bridge/SourceFetcher.h"
#include "feedserver/bridge/StateStore.h"
#include "feedserver/sources/SourceFeedReader.h"

namespace pregonero::feeds {

namespace fs = std::filesystem;

namespace {

std::string Describe(const SourceRecord& record, bool fetched) {
    std::string line = record.name.empty() ? record.url : record.name + " (" + record.url + ")";
    if (!fetched) {
        line += ": not fetched, " + record.error;
    } else if (record.error.empty()) {
        line += ": HTTP " + std::to_string(record.status);
    } else {
        line += ": " + record.error;
    }
    const std::string items = std::to_string(record.items.size()) + " items";
    return line + (fetched && record.error.empty() ? ", " + items : ", kept " + items);
}

} // namespace

EditionExport::EditionExport()
    : parser_([](const std::string& bytes, const std::string& url, const std::string& contentType,
                 SourceFeed* feed, std::string* error) {
          return SourceFeedReader::Read(bytes, url, contentType, feed, error);
      }) {}

EditionExport::EditionExport(SourceParser parser) : parser_(std::move(parser)) {}

EditionExport::~EditionExport() = default;

void EditionExport::Interrupt() {
    std::lock_guard lock(mutex_);
    interrupted_ = true;
    if (fetcher_) {
        fetcher_->Interrupt();
    }
    if (pictures_) {
        pictures_->Interrupt();
    }
}

EditionExport::Failure EditionExport::Run(const ExportSettings& settings, ExportProgress& progress,
                                          std::string* error) {
    const auto started = std::chrono::steady_clock::now();
    // "out/" and "out/." name the folder "out", whose sibling takes the new edition.
    fs::path dir = fs::absolute(settings.edition.dir).lexically_normal();
    if (!dir.has_filename()) {
        dir = dir.parent_path();
    }
    OpmlReader list;
    if (!list.ReadFile(settings.bridge.sourcesFile)) {
        *error = list.Error();
        return Failure::BadInput;
    }
    if (!clock_.SetZone(settings.bridge.timeZone, error)) {
        return Failure::BadInput;
    }
    const fs::path stateDir = settings.bridge.stateDir.empty() ? StateStore::DefaultDirectory()
                                                               : fs::path(settings.bridge.stateDir);
    std::error_code ec;
    fs::create_directories(stateDir, ec);
    if (!fs::is_directory(stateDir, ec)) {
        *error = "cannot create the state directory " + stateDir.string();
        return Failure::Failed;
    }
    {
        std::lock_guard lock(mutex_);
        fetcher_ = std::make_unique<SourceFetcher>(settings.userAgent);
        if (settings.edition.pictures) {
            pictures_ = std::make_unique<PictureStore>(settings.userAgent);
        }
    }
    std::vector<SourceRecord> records;
    for (const auto& source : list.Sources()) {
        SourceRecord record;
        record.url = source.url;
        record.name = source.name;
        record.section = source.section;
        records.push_back(std::move(record));
    }
    const StateStore store(stateDir);
    store.Load(records);
    const std::int64_t now = std::chrono::duration_cast<std::chrono::seconds>(
                                 std::chrono::system_clock::now().time_since_epoch())
                                 .count();
    // Saved even when no items changed: statuses and pauses count for the next run.
    FetchSources(records, now, settings.bridge.refreshMinutes, progress);
    if (!interrupted_) {
        std::string why;
        if (!store.Save(records, &why)) {
            progress.Line("cannot save the state: " + why);
        }
    }
    if (interrupted_) {
        *error = "interrupted; " + dir.string() + " is as it was";
        return Failure::Failed;
    }
    const bool anyItems = std::any_of(records.begin(), records.end(),
                                      [](const SourceRecord& r) { return !r.items.empty(); });
    if (!anyItems && summary_.failedSources.size() == records.size()) {
        *error = "every source failed and none has items saved; " + dir.string() + " is as it was";
        return Failure::Failed;
    }
    const EditionFolder folder(dir);
    if (!folder.Replace(
            [&](const fs::path& fresh, std::string* why) {
                EditionFiles files(fresh, dir, kManifest);
                return Write(settings, records, files, progress, why);
            },
            error)) {
        progress.Clear();
        *error += "; " + dir.string() + " is as it was";
        return Failure::Failed;
    }
    progress.Clear();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    std::ostringstream line;
    line.precision(2);
    line << std::fixed << "exported " << summary_.feeds << " feeds, " << summary_.articles
         << " articles, " << summary_.galleries << " galleries, " << summary_.picturesKept
         << " pictures (" << summary_.picturesLeftOut << " left out), " << summary_.bytes
         << " bytes in " << seconds << " s into " << dir.string();
    if (!summary_.failedSources.empty()) {
        line << "; failed:";
        for (std::size_t i = 0; i < summary_.failedSources.size(); ++i) {
            line << (i == 0 ? " " : ", ") << summary_.failedSources[i];
        }
    }
    progress.Line(line.str());
    return Failure::None;
}

void EditionExport::FetchSources(std::vector<SourceRecord>& records, std::int64_t now,
                                 double refreshMinutes, ExportProgress& progress) {
    std::vector<FetchRequest> requests;
    std::vector<std::size_t> due;
    for (std::size_t i = 0; i < records.size(); ++i) {
        // A source that asked to be left alone is not asked again before its
        // time, even by an export: it gives its saved items.
        if (records[i].nextAttempt <= now) {
            due.push_back(i);
            requests.push_back({records[i].url, records[i].etag, records[i].lastModified});
        }
    }
    progress.Stage("sources", requests.size());
    auto replies =
        fetcher_->FetchAll(requests, [&progress](std::size_t, FetchReply&) { progress.Step(); });
    if (interrupted_) {
        return;
    }
    const RecordUpdater updater(refreshMinutes, parser_);
    std::vector<bool> fetched(records.size(), false);
    for (std::size_t k = 0; k < due.size(); ++k) {
        updater.Apply(records[due[k]], replies[k], now);
        fetched[due[k]] = true;
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        const SourceRecord& record = records[i];
        if (!record.error.empty()) {
            summary_.failedSources.push_back(record.name.empty() ? record.url : record.name);
        }
        progress.Line(Describe(record, fetched[i]));
    }
}

bool EditionExport::Write(const ExportSettings& settings, std::vector<SourceRecord>& records,
                          EditionFiles& files, ExportProgress& progress, std::string* error) {
    // Links are written under the base URL at once, so no feed is written twice.
    const std::string server = settings.edition.baseUrl.empty() ? std::string(FeedServer::kToken)
                                                                : settings.edition.baseUrl;
    if (settings.edition.pictures && !KeepPictures(records, files, server, progress, error)) {
        return false;
    }
    EditionBuilder builder(clock_, server);
    for (const auto& record : records) {
        builder.Add(record.section, record.items);
    }
    const bool written =
        !interrupted_ && builder.Write([&](const std::string& path, const std::string& bytes) {
            return !interrupted_ && files.Save(path, bytes, error);
        });
    if (!written || interrupted_) {
        if (error->empty()) {
            *error = "interrupted";
        }
        return false;
    }
    return Seal(files.Dir(), error) && !interrupted_;
}

bool EditionExport::KeepPictures(std::vector<SourceRecord>& records, EditionFiles& files,
                                 const std::string& server, ExportProgress& progress,
                                 std::string* error) {
    // A gallery shows every picture of its story; any other row only the first.
    std::vector<std::string> urls;
    for (const auto& record : records) {
        const bool gallery = SectionTable::Sections()[record.section].galleries;
        for (const auto& item : record.items) {
            for (std::size_t i = 0; i < item.pictures.size() && (gallery || i == 0); ++i) {
                urls.push_back(item.pictures[i].url);
            }
        }
    }
    progress.Stage("pictures", urls.size());
    std::size_t repeats = urls.size();
    if (!pictures_->Keep(
            urls, files, [&progress] { progress.Step(); }, error)) {
        return false;
    }
    repeats -= pictures_->Kept() + pictures_->LeftOut();
    // Steps for the repeats, fetched once, so the bar ends full.
    for (std::size_t i = 0; i < repeats; ++i) {
        progress.Step();
    }
    if (interrupted_) {
        *error = "interrupted";
        return false;
    }
    summary_.picturesKept = pictures_->Kept();
    summary_.picturesLeftOut = pictures_->LeftOut();
    // Links to the copies; a row whose picture was left out shows none, a
    // gallery loses the photo (and, with none left, is not written).
    for (auto& record : records) {
        const bool gallery = SectionTable::Sections()[record.section].galleries;
        for (auto& item : record.items) {
            if (!gallery && item.pictures.size() > 1) {
                item.pictures.resize(1);
            }
            std::vector<SourcePicture> kept;
            for (auto& picture : item.pictures) {
                const std::string path = pictures_->PathOf(picture.url);
                if (!path.empty()) {
                    kept.push_back({server + "/" + path, std::move(picture.caption)});
                }
            }
            item.pictures = std::move(kept);
        }
    }
    return true;
}

bool EditionExport::Seal(const fs::path& dir, std::string* error) {
    std::vector<std::pair<std::string, std::uintmax_t>> files;
    const std::string prefix = dir.generic_string() + "/";
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(dir, ec);
         !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (!it->is_regular_file(ec)) {
            continue;
        }
        const fs::path& path = it->path();
        // The iterator's paths start with dir's own; no lookup of links needed.
        const std::string relative = path.generic_string().substr(prefix.size());
        const std::uintmax_t size = fs::file_size(path, ec);
        if (relative.starts_with("notas/")) {
            ++summary_.articles;
        } else if (relative.starts_with("galerias/")) {
            ++summary_.galleries;
        } else if (path.extension() == ".xml") {
            ++summary_.feeds;
        }
        summary_.bytes += size;
        files.emplace_back(relative, size);
    }
    if (ec) {
        *error = "cannot read back " + dir.string() + ": " + ec.message();
        return false;
    }
    // Last, so a folder with a manifest is a whole edition.
    std::sort(files.begin(), files.end());
    std::string manifest;
    for (const auto& [path, size] : files) {
        manifest += std::to_string(size) + " " + path + "\n";
    }
    std::ofstream out(dir / kManifest, std::ios::binary | std::ios::trunc);
    out << manifest;
    if (!out.flush()) {
        *error = "cannot write " + (dir / kManifest).string();
        return false;
    }
    return true;
}

} // namespace pregonero::feeds
