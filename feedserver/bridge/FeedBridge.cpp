#include "feedserver/bridge/FeedBridge.h"

#include <algorithm>
#include <chrono>
#include <cmath>

#include <httplib.h>

#include "feedserver/MarkupEscape.h"
#include "feedserver/bridge/EditionBuilder.h"
#include "feedserver/bridge/SectionTable.h"

namespace pregonero::feeds {

namespace {

std::int64_t Now() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

} // namespace

FeedBridge::FeedBridge(const std::vector<OpmlSource>& sources, BridgeSettings settings,
                       const EditionClock& clock, SourceParser parser)
    : settings_(std::move(settings)), clock_(clock),
      updater_(settings_.refreshMinutes, std::move(parser)), store_(settings_.stateDir),
      edition_(settings_.stateDir / "edition"), fetcher_(settings_.userAgent) {
    for (const auto& source : sources) {
        SourceRecord record;
        record.url = source.url;
        record.name = source.name;
        record.section = source.section;
        records_.push_back(std::move(record));
    }
}

FeedBridge::~FeedBridge() {
    Stop();
}

bool FeedBridge::Open(std::string* error) {
    std::error_code ec;
    std::filesystem::create_directories(settings_.stateDir, ec);
    if (!std::filesystem::is_directory(settings_.stateDir, ec)) {
        if (error) {
            *error = "cannot create the state directory " + settings_.stateDir.string();
        }
        return false;
    }
    {
        std::lock_guard lock(mutex_);
        store_.Load(records_);
    }
    return Publish(error);
}

bool FeedBridge::Serve(int port, std::string* error) {
    server_.SetResponder(
        [this](const std::string& path, httplib::Response& response, ShutdownSignal&) {
            if (path != "/") {
                return false;
            }
            response.status = 200;
            response.set_content(StatusPage(), "text/html; charset=utf-8");
            return true;
        });
    if (!server_.Start(edition_.Path().string(), port)) {
        if (error) {
            *error = "cannot serve on port " + std::to_string(port);
        }
        return false;
    }
    return true;
}

void FeedBridge::StartRefreshing(bool firstRoundDone) {
    if (!refresher_.joinable()) {
        refresher_ = std::thread([this, firstRoundDone] { RefreshLoop(firstRoundDone); });
    }
}

bool FeedBridge::EverFetched() const {
    std::lock_guard lock(mutex_);
    return std::any_of(records_.begin(), records_.end(),
                       [](const SourceRecord& record) { return record.lastFetch != 0; });
}

void FeedBridge::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    fetcher_.Interrupt();
    if (refresher_.joinable()) {
        refresher_.join();
    }
    server_.Stop();
}

void FeedBridge::RefreshLoop(bool firstRoundDone) {
    const auto period = std::chrono::milliseconds(
        std::max<std::int64_t>(1, std::llround(settings_.refreshMinutes * 60000.0)));
    for (bool skip = firstRoundDone;; skip = false) {
        if (!skip) {
            Refresh(Now());
        }
        std::unique_lock lock(mutex_);
        // Wake for the next period, or earlier for a source whose pause ends.
        auto wait = period;
        for (const auto& record : records_) {
            if (record.nextAttempt > Now()) {
                wait = std::min<std::chrono::milliseconds>(
                    wait, std::chrono::seconds(record.nextAttempt - Now()));
            }
        }
        if (wake_.wait_for(lock, wait, [this] { return stopping_; })) {
            return;
        }
    }
}

std::vector<SourceRecord> FeedBridge::Records() const {
    std::lock_guard lock(mutex_);
    return records_;
}

void FeedBridge::Refresh(std::int64_t now) {
    std::vector<FetchRequest> requests;
    std::vector<std::size_t> due;
    {
        std::lock_guard lock(mutex_);
        for (std::size_t i = 0; i < records_.size(); ++i) {
            if (records_[i].nextAttempt <= now) {
                due.push_back(i);
                requests.push_back({records_[i].url, records_[i].etag, records_[i].lastModified});
            }
        }
    }
    if (requests.empty()) {
        return;
    }
    auto replies = fetcher_.FetchAll(requests);
    bool itemsChanged = false;
    // Parsing happens outside the lock, so the status page never waits for it.
    std::vector<SourceRecord> updated;
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        for (std::size_t i : due) {
            updated.push_back(records_[i]);
        }
    }
    for (std::size_t k = 0; k < due.size(); ++k) {
        const auto outcome = updater_.Apply(updated[k], replies[k], now);
        parses_ += outcome.parsed ? 1 : 0;
        itemsChanged = itemsChanged || outcome.itemsChanged;
    }
    std::vector<SourceRecord> snapshot;
    {
        std::lock_guard lock(mutex_);
        for (std::size_t k = 0; k < due.size(); ++k) {
            records_[due[k]] = std::move(updated[k]);
        }
        if (itemsChanged) {
            snapshot = records_;
        }
    }
    // Only new items are worth a write: a round of 304s costs no disk work.
    if (itemsChanged) {
        std::string error;
        store_.Save(snapshot, &error);
        Publish(&error);
    }
}

bool FeedBridge::Publish(std::string* error) {
    const std::vector<SourceRecord> records = Records();
    EditionBuilder builder(clock_);
    for (const auto& record : records) {
        builder.Add(record.section, record.items);
    }
    return edition_.Replace([&builder](const std::filesystem::path& dir,
                                       std::string* why) { return builder.Write(dir, why); },
                            error);
}

std::string FeedBridge::StatusPage() const {
    const auto records = Records();
    std::string page =
        "<!DOCTYPE html>\n<html lang=\"es\"><head><meta charset=\"utf-8\">"
        "<title>pregonero-feeds</title></head><body>\n<h1>pregonero-feeds</h1>\n<p>" +
        std::to_string(records.size()) + " sources, times in " +
        MarkupEscape::Text(clock_.ZoneName()) +
        "</p>\n<table>\n<tr><th>source</th><th>section</th><th>last fetch</th>"
        "<th>HTTP</th><th>items</th><th>last error</th></tr>\n";
    for (const auto& record : records) {
        const std::string fetched = record.lastFetch == 0 ? "never"
                                                          : clock_.LongDate(record.lastFetch) +
                                                                " " + clock_.Time(record.lastFetch);
        std::string error = record.error;
        if (record.illFormed) {
            error += std::string(error.empty() ? "" : "; ") + "ill-formed (read by recovery)";
        }
        page += "<tr><td><a href=\"" + MarkupEscape::Text(record.url) + "\">" +
                MarkupEscape::Text(record.name) + "</a></td><td>" +
                MarkupEscape::Text(SectionTable::Sections()[record.section].name) + "</td><td>" +
                MarkupEscape::Text(fetched) + "</td><td>" +
                (record.status == 0 ? "" : std::to_string(record.status)) + "</td><td>" +
                std::to_string(record.items.size()) + "</td><td>" + MarkupEscape::Text(error) +
                "</td></tr>\n";
    }
    return page + "</table>\n</body></html>\n";
}

} // namespace pregonero::feeds
