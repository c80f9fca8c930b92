#pragma once

#include <string>
#include <vector>

namespace pregonero::feeds {

// One section of the reader's catalogue as the bridge fills it.
struct BridgeSection {
    std::string name;               // as the menu shows it, for messages
    std::vector<std::string> names; // every name an outline may use for it
    std::string path;               // the catalogue feed the reader requests
    std::string slug;               // folder of its article or gallery feeds
    bool frontPage = false;         // feeds the front page, not a section feed
    bool galleries = false;         // its items become photo galleries
};

// The front page and the nineteen sections of the reader's catalogue, with
// the names an OPML outline may give them.
class SectionTable {
public:
    static const std::vector<BridgeSection>& Sections();
    // Index of the section `name` names, ignoring case, accents and spaces
    // around it; -1 when none does.
    static int Find(const std::string& name);
    // "Portada, Mexico, …", for the message about an unknown name.
    static std::string ValidNames();
    // Lower case, accents removed, runs of spaces collapsed, trimmed.
    static std::string Fold(const std::string& name);
};

} // namespace pregonero::feeds
