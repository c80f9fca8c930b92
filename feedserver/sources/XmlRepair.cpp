#include "feedserver/sources/XmlRepair.h"

#include <libxml/HTMLparser.h>

#include <set>

namespace pregonero::feeds {

namespace {

bool IsNameStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == ':';
}
bool IsNameChar(char c) {
    return IsNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}
bool IsHex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// Names the internal subset declares with <!ENTITY name ...>.
std::set<std::string, std::less<>> DeclaredEntities(std::string_view xml, std::size_t end) {
    std::set<std::string, std::less<>> names;
    std::size_t pos = 0;
    while ((pos = xml.find("<!ENTITY", pos)) != std::string_view::npos && pos < end) {
        pos += 8;
        while (pos < xml.size() && (xml[pos] == ' ' || xml[pos] == '\t' || xml[pos] == '\n')) {
            ++pos;
        }
        std::size_t start = pos;
        while (pos < xml.size() && IsNameChar(xml[pos])) {
            ++pos;
        }
        if (pos > start) {
            names.emplace(xml.substr(start, pos - start));
        }
    }
    return names;
}

// Length of a character reference "&#123;" or "&#x1F;" at `pos`, or 0.
std::size_t CharacterReference(std::string_view xml, std::size_t pos) {
    std::size_t i = pos + 2;
    bool hex = i < xml.size() && (xml[i] == 'x' || xml[i] == 'X');
    if (hex) {
        ++i;
    }
    std::size_t digits = i;
    while (i < xml.size() && i - digits < 8 &&
           (hex ? IsHex(xml[i]) : (xml[i] >= '0' && xml[i] <= '9'))) {
        ++i;
    }
    return i > digits && i < xml.size() && xml[i] == ';' ? i + 1 - pos : 0;
}

} // namespace

std::string XmlRepair::Mend(std::string_view xml) {
    std::string out;
    out.reserve(xml.size() + xml.size() / 16);
    // The internal subset ends at the first "]>" after <!DOCTYPE; entities are
    // only declared there.
    std::size_t doctype = xml.find("<!DOCTYPE");
    std::size_t subsetEnd = doctype == std::string_view::npos ? 0 : xml.find("]>", doctype);
    if (subsetEnd == std::string_view::npos) {
        subsetEnd = 0;
    }
    auto declared = DeclaredEntities(xml, subsetEnd);
    std::size_t pos = 0;
    while (pos < xml.size()) {
        std::size_t next = xml.find_first_of("&<", pos);
        if (next == std::string_view::npos) {
            out.append(xml.substr(pos));
            break;
        }
        out.append(xml.substr(pos, next - pos));
        pos = next;
        if (xml[pos] == '<') {
            // Sections whose text is not markup are copied whole.
            struct Section {
                const char* open;
                const char* close;
            };
            static constexpr Section kSections[] = {
                {"<![CDATA[", "]]>"}, {"<!--", "-->"}, {"<?", "?>"}};
            bool copied = false;
            for (const Section& section : kSections) {
                std::string_view open(section.open);
                if (xml.compare(pos, open.size(), open) == 0) {
                    std::size_t close = xml.find(section.close, pos + open.size());
                    std::size_t stop = close == std::string_view::npos
                                           ? xml.size()
                                           : close + std::string_view(section.close).size();
                    out.append(xml.substr(pos, stop - pos));
                    pos = stop;
                    copied = true;
                    break;
                }
            }
            if (!copied && doctype != std::string_view::npos && pos == doctype && subsetEnd > pos) {
                out.append(xml.substr(pos, subsetEnd + 2 - pos));
                pos = subsetEnd + 2;
                copied = true;
            }
            if (!copied) {
                out.push_back('<');
                ++pos;
            }
            continue;
        }
        // '&': a reference to keep, an HTML entity to spell out, or a stray.
        if (pos + 1 < xml.size() && xml[pos + 1] == '#') {
            std::size_t length = CharacterReference(xml, pos);
            if (length > 0) {
                out.append(xml.substr(pos, length));
                pos += length;
            } else {
                out.append("&amp;");
                ++pos;
            }
            continue;
        }
        std::size_t nameEnd = pos + 1;
        while (nameEnd < xml.size() && nameEnd - pos <= 32 && IsNameChar(xml[nameEnd])) {
            ++nameEnd;
        }
        if (nameEnd == pos + 1 || !IsNameStart(xml[pos + 1]) || nameEnd >= xml.size() ||
            xml[nameEnd] != ';') {
            out.append("&amp;");
            ++pos;
            continue;
        }
        std::string_view name = xml.substr(pos + 1, nameEnd - pos - 1);
        if (name == "amp" || name == "lt" || name == "gt" || name == "quot" || name == "apos" ||
            declared.find(name) != declared.end()) {
            out.append(xml.substr(pos, nameEnd + 1 - pos));
        } else if (const htmlEntityDesc* entity = htmlEntityLookup(
                       reinterpret_cast<const xmlChar*>(std::string(name).c_str()))) {
            out.append("&#");
            out.append(std::to_string(entity->value));
            out.push_back(';');
        } else {
            out.append("&amp;"); // an unknown name is text, as browsers show it
            out.append(name);
            out.push_back(';');
        }
        pos = nameEnd + 1;
    }
    return out;
}

} // namespace pregonero::feeds
