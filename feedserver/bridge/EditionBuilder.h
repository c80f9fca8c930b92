#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "feedserver/FeedServer.h"
#include "feedserver/bridge/EditionClock.h"
#include "feedserver/sources/SourceItem.h"

namespace pregonero::feeds {

// Turns the items of the newspapers' feeds into an edition in the reader's
// own feed format: the front page, every catalogue section (empty ones as
// empty feeds), an article feed per item and a gallery feed per picture
// story. Links start with `server`: by default the token FeedServer
// replaces, else the address the edition will be served at.
// Knows nothing of fetching or serving.
class EditionBuilder {
public:
    static constexpr std::size_t kFrontPageItems = 30;
    static constexpr std::size_t kDescriptionChars = 300;

    explicit EditionBuilder(const EditionClock& clock, std::string server = FeedServer::kToken)
        : clock_(clock), server_(std::move(server)) {}

    // The items of one source that fills `section` (SectionTable's index).
    void Add(int section, const std::vector<SourceItem>& items);

    // A section's items newest first, undated ones last in feed order, each
    // story once: an item with the guid of an earlier one, or without a guid
    // and with the link of an earlier one, is left out.
    std::vector<const SourceItem*> Merged(int section) const;

    // Takes each file of the edition: its path relative to the edition's
    // folder ("notas/mundo/1.xml") and its bytes. False stops the writing.
    using FileSink = std::function<bool(const std::string& path, const std::string& bytes)>;

    // Hands every file of the edition to `sink`, in a fixed order; false when
    // the sink refused one.
    bool Write(const FileSink& sink) const;

    // Writes every file of the edition under dir, which must exist. False
    // with a reason on the first file that cannot be written.
    bool Write(const std::filesystem::path& dir, std::string* error) const;

    // `text` cut at a word boundary so that it and a closing "…" take at
    // most maxChars characters; unchanged when it fits.
    static std::string CutDescription(const std::string& text, std::size_t maxChars);

private:
    struct Row;

    std::vector<Row> WriteSection(const FileSink& sink, int section, bool* failed) const;

    const EditionClock& clock_;
    std::string server_;
    std::vector<std::pair<int, const std::vector<SourceItem>*>> sources_;
};

} // namespace pregonero::feeds
