#include "feedserver/bridge/SectionTable.h"

#include <cctype>
#include <string_view>

#include "feedserver/SampleSections.h"

namespace pregonero::feeds {

namespace {

// The sample edition's sections give the paths and folders the reader
// requests; this adds the names people give them.
struct Naming {
    const char* slug;
    std::vector<std::string> names;
};

BridgeSection Named(const Naming& naming) {
    BridgeSection section;
    section.name = naming.names.front();
    section.names = naming.names;
    section.slug = naming.slug;
    for (const auto& sample : SampleSections()) {
        if (sample.slug == naming.slug) {
            section.path = sample.path;
        }
    }
    section.galleries = section.slug == "fg";
    return section;
}

// Two-byte UTF-8 Latin letters with an accent, folded to their base letter.
char FoldLatin(unsigned char lead, unsigned char next) {
    if (lead != 0xC3) {
        return 0;
    }
    // U+00C0 to U+00DF, and U+00E0 to U+00FF in the same order, lower case.
    static constexpr std::string_view kBase = "aaaaaaaceeeeiiiidnooooo/ouuuuyts";
    if (next < 0x80 || next > 0xBF) {
        return 0;
    }
    const char base = kBase[(next - 0x80) & 0x1F];
    return base == '/' ? 0 : base;
}

} // namespace

const std::vector<BridgeSection>& SectionTable::Sections() {
    static const std::vector<BridgeSection> kSections = [] {
        std::vector<BridgeSection> sections;
        BridgeSection front;
        front.name = "Portada";
        front.names = {"Portada", "Primera"};
        front.path = "/mobile/2notashome.xml";
        front.slug = "portada";
        front.frontPage = true;
        sections.push_back(front);
        const Naming kNamings[] = {
            {"mexico", {"Mexico"}},
            {"mundo", {"Mundo"}},
            {"estados", {"Estados"}},
            {"df", {"DF"}},
            {"edomex", {"EdoMex", "Estado de Mexico"}},
            {"vialidad", {"Vialidad"}},
            {"finanzas", {"Cartera", "Finanzas"}},
            {"deportes", {"Deportes"}},
            {"espectaculos", {"Showbis", "Espectaculos"}},
            {"estilos", {"Estilos"}},
            {"computo", {"Tecno", "Computo"}},
            {"destinos", {"Destinos"}},
            {"cultura", {"Letras + Artes", "Letras y Artes", "Cultura"}},
            {"autopistas", {"Autopistas"}},
            {"ciencia", {"Ciencia"}},
            {"sociedad", {"Sociedad"}},
            {"editorial", {"Opinion", "Editorial"}},
            {"mxm", {"Minuto x Minuto", "MxM"}},
            {"fg", {"Fotogaleria"}},
        };
        for (const auto& naming : kNamings) {
            sections.push_back(Named(naming));
        }
        return sections;
    }();
    return kSections;
}

std::string SectionTable::Fold(const std::string& name) {
    std::string folded;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const auto c = static_cast<unsigned char>(name[i]);
        char out = 0;
        if (c < 0x80) {
            out = std::isspace(c) ? ' ' : static_cast<char>(std::tolower(c));
        } else if (i + 1 < name.size()) {
            out = FoldLatin(c, static_cast<unsigned char>(name[i + 1]));
            if (out != 0) {
                ++i;
            }
        }
        if (out == 0) {
            folded += name[i];
        } else if (out != ' ' || (!folded.empty() && folded.back() != ' ')) {
            folded += out;
        }
    }
    while (!folded.empty() && folded.back() == ' ') {
        folded.pop_back();
    }
    return folded;
}

int SectionTable::Find(const std::string& name) {
    const std::string folded = Fold(name);
    const auto& sections = Sections();
    for (std::size_t i = 0; i < sections.size(); ++i) {
        for (const auto& candidate : sections[i].names) {
            if (Fold(candidate) == folded) {
                return static_cast<int>(i);
            }
        }
    }
    return -1;
}

std::string SectionTable::ValidNames() {
    std::string names;
    for (const auto& section : Sections()) {
        for (const auto& name : section.names) {
            names += (names.empty() ? "" : ", ") + name;
        }
    }
    return names;
}

} // namespace pregonero::feeds
