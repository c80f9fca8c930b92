#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <unordered_map>
#include <vector>

#include "feedserver/bridge/SourceFetcher.h"

namespace pregonero::feeds {

class EditionFiles;

// Keeps the pictures an edition links, for an edition that travels without
// the newspapers: each URL fetched once, and put at
// pictures/<hash of the URL>.<jpg|png|webp|gif> only when the reader itself
// would show it (a 200 answer within the reader's size limit that its
// decoders read in full, or the same bytes as the copy in the edition in
// place, which passed that check). Any other picture is left out.
class PictureStore {
public:
    explicit PictureStore(const std::string& userAgent);

    // Fetches every URL (repeats fetched once) and puts the pictures kept
    // into `files`; `step` hears each URL as it arrives. False with a
    // reason only when a picture cannot be written; a picture that cannot be
    // fetched or read is merely left out.
    bool Keep(const std::vector<std::string>& urls, EditionFiles& files,
              const std::function<void()>& step, std::string* error);
    void Interrupt() { fetcher_.Interrupt(); }

    // "pictures/….jpg" for a URL kept; empty for one left out or never asked.
    std::string PathOf(const std::string& url) const;
    std::size_t Kept() const { return kept_.size(); }
    std::size_t LeftOut() const { return leftOut_; }

    // Why the reader would refuse these bytes, or empty when it shows them.
    static std::string Refusal(const std::string& bytes);

private:
    SourceFetcher fetcher_;
    std::unordered_map<std::string, std::string> kept_; // URL -> path under the folder
    std::size_t leftOut_ = 0;
};

} // namespace pregonero::feeds
