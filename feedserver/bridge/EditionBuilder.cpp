#include "feedserver/bridge/EditionBuilder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <unordered_set>

#include "feedserver/MarkupEscape.h"
#include "feedserver/bridge/EditionFiles.h"
#include "feedserver/bridge/SectionTable.h"

namespace pregonero::feeds {

namespace {

constexpr const char* kHeader = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<root>\n";
constexpr const char* kFooter = "</root>\n";

std::string Attr(const char* name, const std::string& value) {
    return std::string(" ") + name + "=\"" + MarkupEscape::Text(value) + "\"";
}

// Whether any of the eight bytes at `p` is a control character or a '>'.
bool ControlOrGreater(const char* p) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    std::uint64_t w = 0;
    std::memcpy(&w, p, 8);
    const std::uint64_t greater = w ^ (kOnes * '>');
    return (((w - kOnes * 0x20) & ~w) | ((greater - kOnes) & ~greater)) & kHigh;
}

// The body in CDATA, which cannot hold "]]>": that one is split across two
// sections. Leading whitespace goes, so the article starts with its text;
// control characters but line breaks and tabs go too.
std::string Cdata(const std::string& body) {
    std::string out = "<![CDATA[";
    std::size_t at = body.find_first_not_of(" \t\r\n");
    if (at == std::string::npos) {
        return out + "]]>";
    }
    out.reserve(body.size() - at + 32);
    for (std::size_t i = at; i < body.size(); ++i) {
        if (i + 8 <= body.size() && !ControlOrGreater(body.data() + i)) {
            i += 7; // nothing to do for these eight bytes
            continue;
        }
        const auto c = static_cast<unsigned char>(body[i]);
        const bool control = c < 0x20 && c != '\n' && c != '\t';
        if (!control && c != '>') {
            continue;
        }
        out.append(body, at, i - at);
        at = i + 1;
        if (c == '>') {
            const bool closes = out.size() >= 2 && out.compare(out.size() - 2, 2, "]]") == 0;
            out += closes ? "]]><![CDATA[>" : ">";
        }
    }
    out.append(body, at, std::string::npos);
    return out + "]]>";
}

std::string HeadlineElement(const SourceItem& item, const std::string& link,
                            const EditionClock& clock) {
    return "  <article" + Attr("Title", item.title) + Attr("Link", link) +
           Attr("PubTime", item.published ? clock.Time(*item.published) : "") +
           (item.pictures.empty() ? "" : Attr("ImgUrl", item.pictures.front().url)) +
           Attr("Description",
                EditionBuilder::CutDescription(item.summary, EditionBuilder::kDescriptionChars)) +
           "/>\n";
}

bool Newer(const SourceItem* a, const SourceItem* b) {
    if (a->published.has_value() != b->published.has_value()) {
        return a->published.has_value();
    }
    return a->published.has_value() && *a->published > *b->published;
}

} // namespace

struct EditionBuilder::Row {
    const SourceItem* item;
    std::string link;
};

void EditionBuilder::Add(int section, const std::vector<SourceItem>& items) {
    sources_.emplace_back(section, &items);
}

std::vector<const SourceItem*> EditionBuilder::Merged(int section) const {
    std::vector<const SourceItem*> all;
    for (const auto& [index, items] : sources_) {
        if (index == section) {
            for (const auto& item : *items) {
                all.push_back(&item);
            }
        }
    }
    std::stable_sort(all.begin(), all.end(), Newer);
    std::unordered_set<std::string> guids;
    std::unordered_set<std::string> links;
    std::vector<const SourceItem*> merged;
    for (const SourceItem* item : all) {
        const bool seen = item->guid.empty() ? (!item->link.empty() && links.count(item->link))
                                             : guids.count(item->guid) > 0;
        if (seen) {
            continue;
        }
        if (!item->guid.empty()) {
            guids.insert(item->guid);
        }
        if (!item->link.empty()) {
            links.insert(item->link);
        }
        merged.push_back(item);
    }
    return merged;
}

std::string EditionBuilder::CutDescription(const std::string& text, std::size_t maxChars) {
    std::vector<std::size_t> starts; // byte offset of every character
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            starts.push_back(i);
        }
    }
    if (starts.size() <= maxChars || maxChars == 0) {
        return starts.size() <= maxChars ? text : "";
    }
    // Room for the ellipsis; cut at the last space that leaves a word whole.
    std::size_t end = starts[maxChars - 1];
    const std::size_t space = text.rfind(' ', end);
    if (space != std::string::npos && space > 0) {
        end = space;
    }
    while (end > 0 && std::string(" ,;:.-").find(text[end - 1]) != std::string::npos) {
        --end;
    }
    return text.substr(0, end) + "…";
}

std::vector<EditionBuilder::Row> EditionBuilder::WriteSection(const FileSink& sink, int section,
                                                              bool* failed) const {
    const BridgeSection& info = SectionTable::Sections()[section];
    std::vector<Row> rows;
    std::string feed = kHeader;
    if (info.frontPage) {
        feed += "<group Title=\"Portada\">\n";
    }
    int number = 0;
    for (const SourceItem* item : Merged(section)) {
        if (info.galleries && item->pictures.empty()) {
            continue;
        }
        const std::string file = (info.galleries ? "galerias/" : "notas/" + info.slug + "/") +
                                 std::to_string(++number) + ".xml";
        const std::string pubTime = item->published ? clock_.Time(*item->published) : "";
        std::string body = kHeader;
        if (info.galleries) {
            for (const auto& picture : item->pictures) {
                body += "  <article" + Attr("Title", item->title) + Attr("ImgUrl", picture.url) +
                        Attr("ImgDes", picture.caption) + "/>\n";
            }
        } else {
            const SourcePicture none;
            const SourcePicture& picture = item->pictures.empty() ? none : item->pictures.front();
            body += "  <article" + Attr("Title", item->title) + Attr("Author", item->author) +
                    Attr("PubDate", item->published ? clock_.LongDate(*item->published) : "") +
                    Attr("PubTime", pubTime) + Attr("ImgLink", picture.url) +
                    Attr("ImgDes", picture.caption) + ">" + Cdata(item->body) + "</article>\n";
        }
        body += kFooter;
        if (!sink(file, body)) {
            *failed = true;
            return {};
        }
        Row row{item, server_ + "/" + file};
        feed += HeadlineElement(*item, row.link, clock_);
        rows.push_back(std::move(row));
    }
    if (info.frontPage) {
        feed += "</group>\n";
    }
    if (!sink(info.path.substr(1), feed + kFooter)) {
        *failed = true;
        return {};
    }
    return rows;
}

bool EditionBuilder::Write(const FileSink& sink) const {
    bool failed = false;
    const auto& sections = SectionTable::Sections();
    std::vector<Row> newest;
    bool frontPageFed = false;
    for (std::size_t i = 0; i < sections.size(); ++i) {
        auto rows = WriteSection(sink, static_cast<int>(i), &failed);
        if (failed) {
            break;
        }
        frontPageFed = frontPageFed || (sections[i].frontPage && !rows.empty());
        if (!sections[i].frontPage && !sections[i].galleries) {
            newest.insert(newest.end(), rows.begin(), rows.end());
        }
    }
    if (!failed && !frontPageFed) {
        // No front page of the newspaper's own: the newest stories of all
        // sections, each once, link to their section's article feeds.
        std::stable_sort(newest.begin(), newest.end(),
                         [](const Row& a, const Row& b) { return Newer(a.item, b.item); });
        std::unordered_set<std::string> seen;
        std::string feed = std::string(kHeader) + "<group Title=\"Portada\">\n";
        std::size_t count = 0;
        for (const Row& row : newest) {
            const std::string key = !row.item->guid.empty()   ? "g " + row.item->guid
                                    : !row.item->link.empty() ? "l " + row.item->link
                                                              : "r " + row.link;
            if (count == kFrontPageItems || !seen.insert(key).second) {
                continue;
            }
            ++count;
            feed += HeadlineElement(*row.item, row.link, clock_);
        }
        failed = !sink(sections.front().path.substr(1), feed + "</group>\n" + kFooter);
    }
    return !failed;
}

bool EditionBuilder::Write(const std::filesystem::path& dir, std::string* error) const {
    EditionFiles files(dir);
    std::string failure;
    Write([&](const std::string& path, const std::string& bytes) {
        return files.Write(path, bytes, &failure);
    });
    if (!failure.empty() && error != nullptr) {
        *error = failure;
    }
    return failure.empty();
}

} // namespace pregonero::feeds
