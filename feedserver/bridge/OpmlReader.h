#pragma once

#include <string>
#include <vector>

namespace pregonero::feeds {

// A newspaper feed an OPML list names, and the section it fills.
struct OpmlSource {
    std::string url;  // absolute http or https URL
    std::string name; // the outline's text or title, for messages
    int section = -1; // index into SectionTable::Sections()
};

// Reads an OPML 2.0 list of feeds: every outline with an xmlUrl is a source,
// filling the section its own text (or title) names, else the one its
// enclosing outline names. The document is parsed without network access,
// DTD loading or entity expansion. Any fault refuses the whole list, so
// nothing is served from a list that says something else than meant.
class OpmlReader {
public:
    // False with a message of at most two lines in Error().
    bool ReadFile(const std::string& path);
    bool Read(const std::string& bytes);

    const std::vector<OpmlSource>& Sources() const { return sources_; }
    const std::string& Error() const { return error_; }

private:
    bool Fail(const std::string& message);

    std::vector<OpmlSource> sources_;
    std::string error_;
};

} // namespace pregonero::feeds
