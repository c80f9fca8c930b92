#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "feedserver/bridge/SourceRecord.h"

namespace pregonero::feeds {

// Keeps the sources' last good items and validators in one JSON file under
// the state directory, so a restart serves the last edition at once. A save
// writes a temporary sibling and renames it over the file, so a crash leaves
// the previous state whole.
class StateStore {
public:
    explicit StateStore(std::filesystem::path dir) : dir_(std::move(dir)) {}

    // $XDG_STATE_HOME/pregonero-feeds, else ~/.local/state/pregonero-feeds.
    static std::filesystem::path DefaultDirectory();

    // Fills the records whose URL the file knows; a missing or unreadable
    // file leaves them as they are. Returns how many were filled.
    int Load(std::vector<SourceRecord>& records) const;
    bool Save(const std::vector<SourceRecord>& records, std::string* error) const;

    std::filesystem::path File() const { return dir_ / "sources.json"; }

private:
    std::filesystem::path dir_;
};

} // namespace pregonero::feeds
