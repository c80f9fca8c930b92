#include "feedserver/sources/HtmlText.h"

#include "feedserver/sources/HtmlScanner.h"
#include "feedserver/sources/SourceUrl.h"
#include "feedserver/sources/TextWriter.h"

#include <array>
#include <charconv>

namespace pregonero::feeds {

namespace {

// What an element does to the text.
enum class Role {
    Inline,  // nothing: its text flows on
    Block,   // ends a line before and after
    Item,    // a list item: a line that starts with "• "
    Cell,    // a table cell: a space after
    Dropped, // its content is not text
    Picture, // an <img>
    Figure,  // a block whose caption names its pictures
    Caption, // a block: the caption of its figure
    Void,    // never has content or an end tag
};

struct Element {
    std::string_view name;
    Role role;
};

// Sorted by name, for a binary search.
constexpr Element kElements[] = {
    {"address", Role::Block},    {"area", Role::Void},
    {"article", Role::Block},    {"aside", Role::Block},
    {"audio", Role::Dropped},    {"base", Role::Void},
    {"basefont", Role::Void},    {"bgsound", Role::Void},
    {"blockquote", Role::Block}, {"br", Role::Block},
    {"button", Role::Dropped},   {"canvas", Role::Dropped},
    {"caption", Role::Block},    {"center", Role::Block},
    {"col", Role::Void},         {"dd", Role::Block},
    {"details", Role::Block},    {"div", Role::Block},
    {"dl", Role::Block},         {"dt", Role::Block},
    {"embed", Role::Void},       {"figcaption", Role::Caption},
    {"figure", Role::Figure},    {"footer", Role::Block},
    {"form", Role::Dropped},     {"frame", Role::Void},
    {"h1", Role::Block},         {"h2", Role::Block},
    {"h3", Role::Block},         {"h4", Role::Block},
    {"h5", Role::Block},         {"h6", Role::Block},
    {"header", Role::Block},     {"hr", Role::Block},
    {"iframe", Role::Dropped},   {"image", Role::Picture},
    {"img", Role::Picture},      {"input", Role::Void},
    {"keygen", Role::Void},      {"li", Role::Item},
    {"link", Role::Void},        {"main", Role::Block},
    {"map", Role::Dropped},      {"math", Role::Dropped},
    {"meta", Role::Void},        {"nav", Role::Block},
    {"noscript", Role::Dropped}, {"object", Role::Dropped},
    {"ol", Role::Block},         {"p", Role::Block},
    {"param", Role::Void},       {"pre", Role::Block},
    {"script", Role::Dropped},   {"section", Role::Block},
    {"select", Role::Dropped},   {"source", Role::Void},
    {"style", Role::Dropped},    {"summary", Role::Block},
    {"svg", Role::Dropped},      {"table", Role::Block},
    {"td", Role::Cell},          {"template", Role::Dropped},
    {"textarea", Role::Dropped}, {"th", Role::Cell},
    {"tr", Role::Block},         {"track", Role::Void},
    {"ul", Role::Block},         {"video", Role::Dropped},
    {"wbr", Role::Void},
};

// Where each initial's elements start in kElements.
constexpr std::array<unsigned char, 27> Initials() {
    std::array<unsigned char, 27> starts{};
    std::size_t e = 0;
    for (std::size_t letter = 0; letter <= 26; ++letter) {
        while (e < std::size(kElements) &&
               static_cast<std::size_t>(kElements[e].name[0] - 'a') < letter) {
            ++e;
        }
        starts[letter] = static_cast<unsigned char>(e);
    }
    return starts;
}
constexpr std::array<unsigned char, 27> kInitials = Initials();

Role RoleOf(std::string_view name) {
    if (name.empty() || name[0] < 'a' || name[0] > 'z') {
        return Role::Inline;
    }
    std::size_t letter = static_cast<std::size_t>(name[0] - 'a');
    for (std::size_t e = kInitials[letter]; e < kInitials[letter + 1]; ++e) {
        if (kElements[e].name == name) {
            return kElements[e].role;
        }
    }
    return Role::Inline;
}

// A width or height attribute ("100", "100px"); -1 when absent or unreadable.
int Dimension(const HtmlScanner::Tag& tag, std::string_view name) {
    std::optional<std::string> value = tag.Attribute(name);
    int number = -1;
    if (!value ||
        std::from_chars(value->data(), value->data() + value->size(), number).ec != std::errc()) {
        return -1;
    }
    return number;
}

// Writes the text of the scanned HTML and collects its pictures, keeping
// only counters and the open figures: nothing grows with nesting but those,
// and they stop at HtmlText::kMaxDepth.
class TextHandler : public HtmlScanner::Handler {
public:
    TextHandler(TextWriter& writer, const std::string& base, std::vector<SourcePicture>* pictures)
        : writer_(writer), base_(base), pictures_(pictures) {}

    void StartTag(const HtmlScanner::Tag& tag) override {
        std::string_view name = tag.Name();
        Role role = RoleOf(name);
        if (skipping_ > 0) {
            skipping_ += name == skipped_ && role != Role::Void;
            return;
        }
        switch (role) {
        case Role::Dropped:
            // Foreign elements may close themselves; HTML ones may not.
            if (!(tag.SelfClosing() && (name == "svg" || name == "math"))) {
                skipped_ = name;
                skipping_ = 1;
            }
            return;
        case Role::Picture:
            Picture(tag);
            return;
        case Role::Item:
            writer_.ListItem();
            Caption([](TextWriter& caption) { caption.ListItem(); });
            return;
        case Role::Cell:
            Space();
            return;
        case Role::Figure:
            OpenFigure();
            break;
        case Role::Caption:
            if (pictures_ != nullptr && !figures_.empty() && !figures_.back().captioned &&
                !captioning_) {
                captioning_ = true;
                caption_ = TextWriter(false);
            }
            break;
        default:
            break;
        }
        if (role == Role::Block || role == Role::Figure || role == Role::Caption) {
            LineBreak();
        }
    }

    void EndTag(std::string_view name) override {
        Role role = RoleOf(name);
        if (skipping_ > 0) {
            skipping_ -= name == skipped_;
            return;
        }
        switch (role) {
        case Role::Item:
        case Role::Block:
            LineBreak();
            return;
        case Role::Cell:
            Space();
            return;
        case Role::Caption:
            LineBreak();
            EndCaption();
            return;
        case Role::Figure:
            LineBreak();
            CloseFigure();
            return;
        default:
            return;
        }
    }

    void Text(std::string_view text) override {
        if (skipping_ == 0) {
            writer_.Append(text);
            if (captioning_) {
                caption_.Append(text);
            }
        }
    }

    // Figures the body never closed end with it.
    void Finish() {
        while (!figures_.empty() || ignoredFigures_ > 0) {
            CloseFigure();
        }
        if (pictures_ != nullptr) {
            for (Found& found : found_) {
                pictures_->push_back(std::move(found.picture));
            }
        }
    }

private:
    struct Figure {
        std::size_t firstPicture;
        std::string caption;
        bool captioned = false;
    };
    struct Found {
        SourcePicture picture;
        bool settled;
    };

    template <typename Do> void Caption(Do&& action) {
        if (captioning_) {
            action(caption_);
        }
    }

    void LineBreak() {
        writer_.LineBreak();
        Caption([](TextWriter& caption) { caption.LineBreak(); });
    }

    void Space() {
        writer_.Append(" ");
        Caption([](TextWriter& caption) { caption.Append(" "); });
    }

    void OpenFigure() {
        if (pictures_ == nullptr) {
            return;
        }
        if (figures_.size() >= HtmlText::kMaxDepth) {
            ++ignoredFigures_;
            return;
        }
        figures_.push_back({found_.size(), {}, false});
    }

    void EndCaption() {
        if (captioning_) {
            captioning_ = false;
            figures_.back().caption = caption_.Take();
            figures_.back().captioned = true;
        }
    }

    // The figure's pictures take its caption; those without one keep their alt.
    void CloseFigure() {
        if (ignoredFigures_ > 0) {
            --ignoredFigures_;
            return;
        }
        if (figures_.empty()) {
            return;
        }
        EndCaption();
        Figure& figure = figures_.back();
        for (std::size_t i = figure.firstPicture; i < found_.size(); ++i) {
            if (!found_[i].settled && !figure.caption.empty()) {
                found_[i].picture.caption = figure.caption;
            }
            found_[i].settled = true;
        }
        figures_.pop_back();
    }

    void Picture(const HtmlScanner::Tag& tag) {
        if (pictures_ == nullptr) {
            return;
        }
        int width = Dimension(tag, "width");
        int height = Dimension(tag, "height");
        if ((width >= 0 && width < 100) || (height >= 0 && height < 100)) {
            return; // tracking pixels and icons
        }
        std::optional<std::string> source = tag.Attribute("src");
        if (!source || source->empty()) {
            source = tag.Attribute("data-src"); // pictures loaded lazily by script
        }
        if (!source) {
            return;
        }
        std::string url = SourceUrl::Resolve(base_, *source);
        if (url.empty()) {
            return;
        }
        std::optional<std::string> alt = tag.Attribute("alt");
        found_.push_back(
            {{std::move(url), alt ? HtmlText::PlainLine(*alt) : std::string()}, figures_.empty()});
    }

    TextWriter& writer_;
    const std::string& base_;
    std::vector<SourcePicture>* pictures_;
    std::string skipped_;
    std::size_t skipping_ = 0;
    std::vector<Figure> figures_;
    std::size_t ignoredFigures_ = 0;
    std::vector<Found> found_;
    bool captioning_ = false;
    TextWriter caption_{false};
};

std::string Convert(std::string_view html, bool multiLine, const std::string& base,
                    std::vector<SourcePicture>* pictures) {
    TextWriter writer(multiLine);
    TextHandler handler(writer, base, pictures);
    HtmlScanner::Scan(TextWriter::Clip(html), handler);
    handler.Finish();
    return writer.Take();
}

bool HasMarkup(std::string_view text) {
    return text.find('<') != std::string_view::npos || text.find('&') != std::string_view::npos;
}

} // namespace

std::string HtmlText::Body(std::string_view html, const std::string& base,
                           std::vector<SourcePicture>* pictures) {
    if (!HasMarkup(html)) {
        return PlainLine(html); // text without markup has no blocks: one paragraph
    }
    return Convert(html, true, base, pictures);
}

std::string HtmlText::Line(std::string_view html) {
    if (!HasMarkup(html)) {
        return PlainLine(html);
    }
    return Convert(html, false, std::string(), nullptr);
}

std::string HtmlText::PlainBody(std::string_view text) {
    TextWriter writer(true);
    text = TextWriter::Clip(text);
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        writer.Append(text.substr(start, end - start));
        writer.LineBreak();
        start = end + 1;
    }
    return writer.Take();
}

std::string HtmlText::PlainLine(std::string_view text) {
    TextWriter writer(false);
    text = TextWriter::Clip(text);
    writer.Append(text);
    return writer.Take();
}

} // namespace pregonero::feeds
