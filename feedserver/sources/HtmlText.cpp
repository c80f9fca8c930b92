#include "feedserver/sources/HtmlText.h"

#include "feedserver/sources/HtmlNesting.h"
#include "feedserver/sources/SourceUrl.h"
#include "feedserver/sources/TextWriter.h"
#include "platform/runtime/loop/UniqueHandle.h"

#include <gumbo.h>

#include <charconv>
#include <memory>

namespace pregonero::feeds {

namespace {

struct OutputDeleter {
    void operator()(GumboOutput* output) const {
        gumbo_destroy_output(&kGumboDefaultOptions, output);
    }
};
using Output = std::unique_ptr<GumboOutput, OutputDeleter>;

Output Parse(std::string_view html) {
    html = TextWriter::Clip(html);
    std::string limited = HtmlNesting::Limit(html);
    GumboOptions options = kGumboDefaultOptions;
    options.max_errors = 0; // errors are not kept: real bodies have thousands
    // A body is read as the content of <body>, so nothing lands in a <head>.
    options.fragment_context = GUMBO_TAG_BODY;
    return Output(gumbo_parse_with_options(&options, limited.data(), limited.size()));
}

bool Dropped(GumboTag tag) {
    switch (tag) {
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_FORM:
    case GUMBO_TAG_NOSCRIPT:
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_OBJECT:
    case GUMBO_TAG_EMBED:
    case GUMBO_TAG_VIDEO:
    case GUMBO_TAG_AUDIO:
    case GUMBO_TAG_SVG:
    case GUMBO_TAG_MATH:
    case GUMBO_TAG_BUTTON:
    case GUMBO_TAG_SELECT:
    case GUMBO_TAG_TEXTAREA:
    case GUMBO_TAG_HEAD:
    case GUMBO_TAG_CANVAS:
    case GUMBO_TAG_MAP:
        return true;
    default:
        return false;
    }
}

bool IsBlock(GumboTag tag) {
    switch (tag) {
    case GUMBO_TAG_P:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_DL:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_TABLE:
    case GUMBO_TAG_TR:
    case GUMBO_TAG_CAPTION:
    case GUMBO_TAG_SECTION:
    case GUMBO_TAG_ARTICLE:
    case GUMBO_TAG_ASIDE:
    case GUMBO_TAG_HEADER:
    case GUMBO_TAG_FOOTER:
    case GUMBO_TAG_NAV:
    case GUMBO_TAG_MAIN:
    case GUMBO_TAG_FIGURE:
    case GUMBO_TAG_FIGCAPTION:
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_ADDRESS:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_BR:
    case GUMBO_TAG_CENTER:
    case GUMBO_TAG_DETAILS:
    case GUMBO_TAG_SUMMARY:
        return true;
    default:
        return false;
    }
}

const char* Attribute(const GumboNode* node, const char* name) {
    const GumboAttribute* attribute = gumbo_get_attribute(&node->v.element.attributes, name);
    return attribute == nullptr ? nullptr : attribute->value;
}

// A width or height attribute ("100", "100px"); -1 when absent or unreadable.
int Dimension(const GumboNode* node, const char* name) {
    const char* value = Attribute(node, name);
    if (value == nullptr) {
        return -1;
    }
    std::string_view text(value);
    int number = -1;
    auto result = std::from_chars(text.data(), text.data() + text.size(), number);
    return result.ec == std::errc() ? number : -1;
}

// Walks the parsed body, writing its text and collecting its pictures.
class Walker {
public:
    Walker(TextWriter& writer, const std::string& base, std::vector<SourcePicture>* pictures)
        : writer_(writer), base_(base), pictures_(pictures) {}

    void Visit(const GumboNode* node, std::size_t depth) {
        if (writer_.Full() || depth > HtmlNesting::kMaxDepth + 16) {
            return;
        }
        switch (node->type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_CDATA:
        case GUMBO_NODE_WHITESPACE:
            writer_.Append(node->v.text.text);
            return;
        case GUMBO_NODE_DOCUMENT:
            VisitChildren(&node->v.document.children, depth);
            return;
        case GUMBO_NODE_ELEMENT:
            break;
        default:
            return; // comments, templates
        }
        GumboTag tag = node->v.element.tag;
        if (Dropped(tag)) {
            return;
        }
        if (tag == GUMBO_TAG_IMG) {
            Picture(node);
            return;
        }
        std::string savedCaption;
        if (tag == GUMBO_TAG_FIGURE) {
            savedCaption = std::move(figureCaption_);
            figureCaption_ = CaptionOf(node, depth);
        }
        bool block = IsBlock(tag);
        if (tag == GUMBO_TAG_LI) {
            writer_.ListItem();
        } else if (block) {
            writer_.LineBreak();
        }
        VisitChildren(&node->v.element.children, depth);
        if (block || tag == GUMBO_TAG_LI) {
            writer_.LineBreak();
        } else if (tag == GUMBO_TAG_TD || tag == GUMBO_TAG_TH) {
            writer_.Append(" ");
        }
        if (tag == GUMBO_TAG_FIGURE) {
            figureCaption_ = std::move(savedCaption);
        }
    }

private:
    void VisitChildren(const GumboVector* children, std::size_t depth) {
        for (unsigned i = 0; i < children->length; ++i) {
            Visit(static_cast<const GumboNode*>(children->data[i]), depth + 1);
        }
    }

    // The text of the figure's <figcaption> (among its children), on one line.
    static std::string CaptionOf(const GumboNode* figure, std::size_t depth) {
        const GumboVector& children = figure->v.element.children;
        for (unsigned i = 0; i < children.length; ++i) {
            const GumboNode* child = static_cast<const GumboNode*>(children.data[i]);
            if (child->type == GUMBO_NODE_ELEMENT && child->v.element.tag == GUMBO_TAG_FIGCAPTION) {
                TextWriter line(false);
                Walker walker(line, std::string(), nullptr);
                walker.Visit(child, depth + 1);
                return line.Take();
            }
        }
        return {};
    }

    void Picture(const GumboNode* node) {
        if (pictures_ == nullptr) {
            return;
        }
        int width = Dimension(node, "width");
        int height = Dimension(node, "height");
        if ((width >= 0 && width < 100) || (height >= 0 && height < 100)) {
            return; // tracking pixels and icons
        }
        const char* source = Attribute(node, "src");
        if (source == nullptr || *source == '\0') {
            source = Attribute(node, "data-src"); // pictures loaded lazily by script
        }
        if (source == nullptr) {
            return;
        }
        std::string url = SourceUrl::Resolve(base_, source);
        if (url.empty()) {
            return;
        }
        std::string caption = figureCaption_;
        if (caption.empty()) {
            const char* alt = Attribute(node, "alt");
            if (alt != nullptr) {
                caption = HtmlText::PlainLine(alt);
            }
        }
        pictures_->push_back({std::move(url), std::move(caption)});
    }

    TextWriter& writer_;
    const std::string& base_;
    std::vector<SourcePicture>* pictures_;
    std::string figureCaption_;
};

std::string Convert(std::string_view html, bool multiLine, const std::string& base,
                    std::vector<SourcePicture>* pictures) {
    TextWriter writer(multiLine);
    Output output = Parse(html);
    if (output) {
        Walker walker(writer, base, pictures);
        walker.Visit(output->document, 0);
    }
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
