#include "feedserver/bridge/StateStore.h"

#include <cstdlib>
#include <fstream>
#include <unistd.h>

#include <nlohmann/json.hpp>

namespace pregonero::feeds {

namespace {

using nlohmann::json;

// Bumped when the file's shape changes; an older file is ignored.
constexpr int kVersion = 1;

json ItemToJson(const SourceItem& item) {
    json pictures = json::array();
    for (const auto& picture : item.pictures) {
        pictures.push_back({{"url", picture.url}, {"caption", picture.caption}});
    }
    json out = {{"title", item.title},     {"link", item.link}, {"guid", item.guid},
                {"summary", item.summary}, {"body", item.body}, {"author", item.author},
                {"pictures", pictures}};
    if (item.published) {
        out["published"] = *item.published;
    }
    return out;
}

SourceItem ItemFromJson(const json& in) {
    SourceItem item;
    item.title = in.value("title", "");
    item.link = in.value("link", "");
    item.guid = in.value("guid", "");
    item.summary = in.value("summary", "");
    item.body = in.value("body", "");
    item.author = in.value("author", "");
    if (in.contains("published") && in["published"].is_number_integer()) {
        item.published = in["published"].get<std::int64_t>();
    }
    for (const auto& picture : in.value("pictures", json::array())) {
        item.pictures.push_back({picture.value("url", ""), picture.value("caption", "")});
    }
    return item;
}

} // namespace

std::filesystem::path StateStore::DefaultDirectory() {
    const char* state = std::getenv("XDG_STATE_HOME");
    if (state != nullptr && *state == '/') {
        return std::filesystem::path(state) / "pregonero-feeds";
    }
    const char* home = std::getenv("HOME");
    return std::filesystem::path(home != nullptr && *home != '\0' ? home : ".") / ".local" /
           "state" / "pregonero-feeds";
}

int StateStore::Load(std::vector<SourceRecord>& records) const {
    std::ifstream in(File(), std::ios::binary);
    if (!in) {
        return 0;
    }
    // A damaged file is as good as none: the next fetch fills it again.
    const json state = json::parse(in, nullptr, false);
    if (!state.is_object() || state.value("version", 0) != kVersion || !state.contains("sources") ||
        !state["sources"].is_object()) {
        return 0;
    }
    int filled = 0;
    const json& sources = state["sources"];
    for (auto& record : records) {
        const auto found = sources.find(record.url);
        if (found == sources.end() || !found->is_object()) {
            continue;
        }
        try {
            record.etag = found->value("etag", "");
            record.lastModified = found->value("lastModified", "");
            record.lastFetch = found->value("lastFetch", std::int64_t{0});
            record.status = found->value("status", 0L);
            record.error = found->value("error", "");
            record.illFormed = found->value("illFormed", false);
            // A pause a server asked for outlives the run, so an export every
            // hour does not ask again before its time.
            record.refusals = found->value("refusals", 0);
            record.nextAttempt = found->value("nextAttempt", std::int64_t{0});
            record.items.clear();
            for (const auto& item : found->value("items", json::array())) {
                record.items.push_back(ItemFromJson(item));
            }
            ++filled;
        } catch (const json::exception&) {
            // A field of the wrong type: this source starts afresh.
            record.items.clear();
            record.etag.clear();
            record.lastModified.clear();
        }
    }
    return filled;
}

bool StateStore::Save(const std::vector<SourceRecord>& records, std::string* error) const {
    json sources = json::object();
    for (const auto& record : records) {
        json items = json::array();
        for (const auto& item : record.items) {
            items.push_back(ItemToJson(item));
        }
        sources[record.url] = {{"etag", record.etag},
                               {"lastModified", record.lastModified},
                               {"lastFetch", record.lastFetch},
                               {"status", record.status},
                               {"error", record.error},
                               {"illFormed", record.illFormed},
                               {"refusals", record.refusals},
                               {"nextAttempt", record.nextAttempt},
                               {"items", items}};
    }
    const json state = {{"version", kVersion}, {"sources", sources}};
    std::error_code ec;
    std::filesystem::create_directories(dir_, ec);
    const auto temporary = dir_ / ("sources.json." + std::to_string(getpid()) + ".tmp");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        // Invalid UTF-8 from a feed is replaced rather than refused.
        out << state.dump(-1, ' ', false, json::error_handler_t::replace);
        out.close();
        if (!out) {
            std::filesystem::remove(temporary, ec);
            if (error) {
                *error = "cannot write " + temporary.string();
            }
            return false;
        }
    }
    std::filesystem::rename(temporary, File(), ec);
    if (ec && error) {
        *error = "cannot replace " + File().string() + ": " + ec.message();
    }
    return !ec;
}

} // namespace pregonero::feeds
