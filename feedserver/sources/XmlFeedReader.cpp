#include "feedserver/sources/XmlFeedReader.h"

#include "feedserver/sources/FeedDate.h"
#include "feedserver/sources/FeedEncoding.h"
#include "feedserver/sources/HtmlText.h"
#include "feedserver/sources/ItemPictures.h"
#include "feedserver/sources/QuietXml.h"
#include "feedserver/sources/SourceUrl.h"
#include "feedserver/sources/TextWriter.h"
#include "feedserver/sources/XmlRepair.h"
#include "platform/runtime/loop/UniqueHandle.h"

#include <libxml/encoding.h>
#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <climits>
#include <cstring>

namespace pregonero::feeds {

namespace {

using Document = pregonero::runtime::UniqueHandle<xmlDoc, xmlFreeDoc>;
using Context = pregonero::runtime::UniqueHandle<xmlParserCtxt, xmlFreeParserCtxt>;
using Buffer = pregonero::runtime::UniqueHandle<xmlBuffer, xmlBufferFree>;

constexpr const char* kAtom = "http://www.w3.org/2005/Atom";
constexpr const char* kRss1 = "http://purl.org/rss/1.0/";
constexpr const char* kRss09 = "http://my.netscape.com/rdf/simple/0.9/";
constexpr const char* kRdf = "http://www.w3.org/1999/02/22-rdf-syntax-ns#";
constexpr const char* kContent = "http://purl.org/rss/1.0/modules/content/";
constexpr const char* kDc = "http://purl.org/dc/elements/1.1/";
constexpr const char* kDcTerms = "http://purl.org/dc/terms/";
constexpr const char* kItunes = "http://www.itunes.com/dtds/podcast-1.0.dtd";
constexpr const char* kXml = "http://www.w3.org/XML/1998/namespace";

const char* Chars(const xmlChar* text) {
    return reinterpret_cast<const char*>(text);
}

bool NameIs(const xmlNode* node, const char* name) {
    return node->type == XML_ELEMENT_NODE && std::strcmp(Chars(node->name), name) == 0;
}

const char* NamespaceOf(const xmlNode* node) {
    return node->ns == nullptr || node->ns->href == nullptr ? nullptr : Chars(node->ns->href);
}

bool InNamespace(const xmlNode* node, const char* ns) {
    const char* href = NamespaceOf(node);
    return href != nullptr && std::strcmp(href, ns) == 0;
}

// Media RSS is written with and without its trailing slash.
bool IsMedia(const xmlNode* node) {
    const char* href = NamespaceOf(node);
    return href != nullptr && std::strncmp(href, "http://search.yahoo.com/mrss", 28) == 0;
}

// RSS 2.0 elements carry no namespace; RSS 1.0 and 0.9 elements carry theirs.
bool IsRss(const xmlNode* node, const char* name) {
    if (!NameIs(node, name)) {
        return false;
    }
    const char* href = NamespaceOf(node);
    return href == nullptr || std::strcmp(href, kRss1) == 0 || std::strcmp(href, kRss09) == 0;
}

bool Is(const xmlNode* node, const char* ns, const char* name) {
    return NameIs(node, name) && InNamespace(node, ns);
}

std::string Attribute(const xmlNode* node, const char* name, const char* ns = nullptr) {
    xmlChar* value = ns == nullptr ? xmlGetNoNsProp(node, reinterpret_cast<const xmlChar*>(name))
                                   : xmlGetNsProp(node, reinterpret_cast<const xmlChar*>(name),
                                                  reinterpret_cast<const xmlChar*>(ns));
    if (value == nullptr) {
        return {};
    }
    std::string text(Chars(value));
    xmlFree(value);
    return text;
}

int IntAttribute(const xmlNode* node, const char* name) {
    std::string text = Attribute(node, name);
    if (text.empty() || text.size() > 9) {
        return -1;
    }
    int value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') {
            return -1;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

// The text of an element and everything in it, without markup; internal
// entities read as their replacement text, never expanded further.
void CollectText(const xmlNode* node, std::string& out, int depth) {
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (out.size() > TextWriter::kMaxBytes) {
            return;
        }
        switch (child->type) {
        case XML_TEXT_NODE:
        case XML_CDATA_SECTION_NODE:
            if (child->content != nullptr) {
                out.append(Chars(child->content));
            }
            break;
        case XML_ENTITY_REF_NODE: {
            xmlEntity* entity = xmlGetDocEntity(child->doc, child->name);
            if (entity != nullptr && entity->etype == XML_INTERNAL_GENERAL_ENTITY &&
                entity->content != nullptr) {
                out.append(Chars(entity->content));
            }
            break;
        }
        case XML_ELEMENT_NODE:
            if (depth < 300) {
                CollectText(child, out, depth + 1);
            }
            break;
        default:
            break;
        }
    }
}

std::string Text(const xmlNode* node) {
    std::string text;
    if (node != nullptr) {
        CollectText(node, text, 0);
    }
    return text;
}

bool HasElementChild(const xmlNode* node) {
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type == XML_ELEMENT_NODE) {
            return true;
        }
    }
    return false;
}

// What an element holds as HTML: its text when it is escaped markup (the
// common case), or its child elements written out when the feed put the
// markup in as elements (Atom's xhtml, careless RSS).
std::string Markup(const xmlNode* node) {
    if (!HasElementChild(node)) {
        return Text(node);
    }
    Buffer buffer(xmlBufferCreate());
    if (!buffer) {
        return Text(node);
    }
    for (xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (xmlBufferLength(buffer.get()) > static_cast<int>(TextWriter::kMaxBytes)) {
            break;
        }
        if (child->type == XML_ELEMENT_NODE) {
            // Bytes it cannot write become character references; it fails
            // only for want of memory, and then the plain text must do.
            if (xmlNodeDump(buffer.get(), node->doc, child, 0, 0) < 0) {
                return Text(node);
            }
        } else if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
            // Text nodes hold decoded text; written out, it must stay text.
            xmlChar* escaped = xmlEncodeSpecialChars(node->doc, child->content);
            if (escaped != nullptr) {
                xmlBufferCat(buffer.get(), escaped);
                xmlFree(escaped);
            }
        }
    }
    return std::string(Chars(xmlBufferContent(buffer.get())),
                       static_cast<std::size_t>(xmlBufferLength(buffer.get())));
}

// Markup(node) without a copy when the node holds one text node, as the
// bodies of most feeds do; `storage` keeps the text otherwise.
std::string_view MarkupView(const xmlNode* node, std::string& storage) {
    const xmlNode* only = node->children;
    if (only != nullptr && only->next == nullptr && only->content != nullptr &&
        (only->type == XML_TEXT_NODE || only->type == XML_CDATA_SECTION_NODE)) {
        return Chars(only->content);
    }
    storage = Markup(node);
    return storage;
}

// The base of relative URLs inside `node`, from its own xml:base.
std::string BaseOf(const xmlNode* node, const std::string& parentBase) {
    std::string base = Attribute(node, "base", kXml);
    return base.empty() ? parentBase : SourceUrl::Rebase(parentBase, base);
}

// An Atom text construct (title, summary, content) as HTML to convert, or
// as plain text.
struct AtomText {
    std::string text;
    bool html = false;
};

AtomText ReadAtomText(const xmlNode* node) {
    std::string type = Attribute(node, "type");
    if (type == "xhtml" || type == "application/xhtml+xml") {
        // The content is one xhtml <div> whose children are the text.
        for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
            if (child->type == XML_ELEMENT_NODE) {
                return {Markup(child), true};
            }
        }
        return {Text(node), false};
    }
    if (type == "html" || type == "text/html") {
        return {Markup(node), true};
    }
    if (HasElementChild(node)) {
        return {Markup(node), true}; // markup the feed forgot to label
    }
    return {Text(node), false};
}

// Text that may hold markup: converted only when it does.
std::string LineOf(const xmlNode* node) {
    return node == nullptr ? std::string() : HtmlText::Line(Markup(node));
}

// What the item says while it is being read.
class ItemReader {
public:
    ItemReader(const std::string& base) : base_(base) {}

    SourceItem ReadRss(const xmlNode* item);
    SourceItem ReadAtom(const xmlNode* entry, const std::string& feedAuthor);

private:
    void Media(const xmlNode* node, const xmlNode* item);
    void MediaContent(const xmlNode* node, const xmlNode* parent, const xmlNode* item,
                      ItemPictures::Kind kind);
    static std::string MediaCaption(const xmlNode* node);
    void Finish(SourceItem& item, std::string_view html, bool isHtml);

    std::string base_;
    ItemPictures pictures_;
};

std::string ItemReader::MediaCaption(const xmlNode* node) {
    const xmlNode* title = nullptr;
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (IsMedia(child) && NameIs(child, "description")) {
            std::string caption = LineOf(child);
            if (!caption.empty()) {
                return caption;
            }
        } else if (IsMedia(child) && NameIs(child, "title") && title == nullptr) {
            title = child;
        }
    }
    return LineOf(title);
}

bool IsImage(const std::string& medium, const std::string& type, const std::string& url) {
    if (medium == "image" || type.compare(0, 6, "image/") == 0) {
        return true;
    }
    if (!medium.empty() || !type.empty()) {
        return false;
    }
    // Neither says: the URL's extension does.
    std::string path = url.substr(0, url.find_first_of("?#"));
    std::size_t dot = path.rfind('.');
    if (dot == std::string::npos) {
        return false;
    }
    std::string ext;
    for (char c : path.substr(dot + 1)) {
        ext.push_back(static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c));
    }
    return ext == "jpg" || ext == "jpeg" || ext == "png" || ext == "gif" || ext == "webp";
}

void ItemReader::MediaContent(const xmlNode* node, const xmlNode* parent, const xmlNode* item,
                              ItemPictures::Kind kind) {
    std::string raw = Attribute(node, "url");
    if (!IsImage(Attribute(node, "medium"), Attribute(node, "type"), raw)) {
        return;
    }
    std::string url = SourceUrl::Resolve(BaseOf(node, base_), raw);
    if (url.empty()) {
        return;
    }
    std::string caption = MediaCaption(node);
    if (caption.empty() && parent != item) {
        caption = MediaCaption(parent);
    }
    if (caption.empty()) {
        caption = MediaCaption(item);
    }
    pictures_.Add(kind, {std::move(url), std::move(caption)}, IntAttribute(node, "width"));
}

void ItemReader::Media(const xmlNode* node, const xmlNode* item) {
    if (NameIs(node, "content")) {
        MediaContent(node, item, item, ItemPictures::Kind::MediaContent);
    } else if (NameIs(node, "group")) {
        for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
            if (IsMedia(child) && NameIs(child, "content")) {
                MediaContent(child, node, item, ItemPictures::Kind::MediaGroup);
            }
        }
    } else if (NameIs(node, "thumbnail")) {
        std::string url = SourceUrl::Resolve(BaseOf(node, base_), Attribute(node, "url"));
        pictures_.Add(ItemPictures::Kind::Thumbnail, {url, MediaCaption(item)},
                      IntAttribute(node, "width"));
    }
}

void ItemReader::Finish(SourceItem& item, std::string_view html, bool isHtml) {
    std::vector<SourcePicture> bodyPictures;
    item.body = isHtml ? HtmlText::Body(html, base_, &bodyPictures) : HtmlText::PlainBody(html);
    for (SourcePicture& picture : bodyPictures) {
        pictures_.Add(ItemPictures::Kind::Body, std::move(picture));
    }
    item.pictures = pictures_.Take();
}

// "mail@example.com (Nombre)" names "Nombre".
std::string RssAuthor(const std::string& text) {
    std::string line = HtmlText::PlainLine(text);
    std::size_t open = line.find('(');
    std::size_t close = line.rfind(')');
    if (line.find('@') != std::string::npos && open != std::string::npos &&
        close != std::string::npos && close > open + 1) {
        return HtmlText::PlainLine(line.substr(open + 1, close - open - 1));
    }
    return line;
}

SourceItem ItemReader::ReadRss(const xmlNode* node) {
    SourceItem item;
    base_ = BaseOf(node, base_);
    const xmlNode* description = nullptr;
    const xmlNode* encoded = nullptr;
    std::string guidLink;
    std::string rssAuthor;
    std::string dcCreator;
    std::string itunesAuthor;
    std::optional<std::int64_t> published;
    std::optional<std::int64_t> updated;
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) {
            continue;
        }
        if (IsRss(child, "title")) {
            item.title = LineOf(child);
        } else if (IsRss(child, "link")) {
            if (item.link.empty()) {
                item.link = SourceUrl::Resolve(BaseOf(child, base_), Text(child));
            }
        } else if (IsRss(child, "guid")) {
            item.guid = HtmlText::PlainLine(Text(child));
            if (Attribute(child, "isPermaLink") != "false") {
                guidLink = SourceUrl::Resolve(BaseOf(child, base_), item.guid);
            }
        } else if (IsRss(child, "description")) {
            description = child;
        } else if (IsRss(child, "pubDate")) {
            published = published ? published : FeedDate::Parse(Text(child));
        } else if (IsRss(child, "author")) {
            rssAuthor = RssAuthor(Text(child));
        } else if (IsRss(child, "enclosure")) {
            std::string raw = Attribute(child, "url");
            if (IsImage({}, Attribute(child, "type"), raw)) {
                pictures_.Add(ItemPictures::Kind::Enclosure,
                              {SourceUrl::Resolve(BaseOf(child, base_), raw), {}});
            }
        } else if (Is(child, kContent, "encoded")) {
            encoded = encoded == nullptr ? child : encoded;
        } else if (Is(child, kDc, "creator")) {
            dcCreator = dcCreator.empty() ? HtmlText::PlainLine(Text(child)) : dcCreator;
        } else if (Is(child, kDc, "date") || Is(child, kDcTerms, "issued") ||
                   Is(child, kDcTerms, "created") || Is(child, kAtom, "published")) {
            published = published ? published : FeedDate::Parse(Text(child));
        } else if (Is(child, kDcTerms, "modified") || Is(child, kAtom, "updated")) {
            updated = updated ? updated : FeedDate::Parse(Text(child));
        } else if (Is(child, kItunes, "author")) {
            itunesAuthor = HtmlText::PlainLine(Text(child));
        } else if (Is(child, kItunes, "image")) {
            pictures_.Add(ItemPictures::Kind::ItunesImage,
                          {SourceUrl::Resolve(BaseOf(child, base_), Attribute(child, "href")), {}});
        } else if (Is(child, kItunes, "summary") && description == nullptr) {
            description = child;
        } else if (IsMedia(child)) {
            Media(child, node);
        }
    }
    if (item.link.empty()) {
        item.link = guidLink;
    }
    if (item.guid.empty()) {
        item.guid =
            HtmlText::PlainLine(Attribute(node, "about", kRdf)); // RSS 1.0 names items by URI
    }
    item.author = !dcCreator.empty() ? dcCreator : !rssAuthor.empty() ? rssAuthor : itunesAuthor;
    item.published = published ? published : updated;
    if (description != nullptr) {
        item.summary = LineOf(description);
    }
    const xmlNode* fullest = encoded != nullptr ? encoded : description;
    std::string storage;
    Finish(item, fullest == nullptr ? std::string_view() : MarkupView(fullest, storage), true);
    return item;
}

std::string AtomAuthor(const xmlNode* node) {
    for (const xmlNode* author = node->children; author != nullptr; author = author->next) {
        if (!Is(author, kAtom, "author")) {
            continue;
        }
        for (const xmlNode* child = author->children; child != nullptr; child = child->next) {
            if (Is(child, kAtom, "name")) {
                std::string name = HtmlText::PlainLine(Text(child));
                if (!name.empty()) {
                    return name;
                }
            }
        }
    }
    return {};
}

SourceItem ItemReader::ReadAtom(const xmlNode* node, const std::string& feedAuthor) {
    SourceItem item;
    base_ = BaseOf(node, base_);
    const xmlNode* summary = nullptr;
    const xmlNode* content = nullptr;
    std::optional<std::int64_t> published;
    std::optional<std::int64_t> updated;
    std::string dcCreator;
    for (const xmlNode* child = node->children; child != nullptr; child = child->next) {
        if (child->type != XML_ELEMENT_NODE) {
            continue;
        }
        if (Is(child, kAtom, "title")) {
            AtomText title = ReadAtomText(child);
            item.title = title.html ? HtmlText::Line(title.text) : HtmlText::PlainLine(title.text);
        } else if (Is(child, kAtom, "link")) {
            std::string rel = Attribute(child, "rel");
            std::string href = SourceUrl::Resolve(BaseOf(child, base_), Attribute(child, "href"));
            if ((rel.empty() || rel == "alternate") && item.link.empty()) {
                item.link = href;
            } else if (rel == "enclosure" && IsImage({}, Attribute(child, "type"), href)) {
                pictures_.Add(ItemPictures::Kind::Enclosure, {href, {}});
            }
        } else if (Is(child, kAtom, "id")) {
            item.guid = HtmlText::PlainLine(Text(child));
        } else if (Is(child, kAtom, "summary")) {
            summary = child;
        } else if (Is(child, kAtom, "content")) {
            if (Attribute(child, "src").empty()) {
                content = child;
            }
        } else if (Is(child, kAtom, "published") || Is(child, kDc, "date")) {
            published = published ? published : FeedDate::Parse(Text(child));
        } else if (Is(child, kAtom, "updated")) {
            updated = updated ? updated : FeedDate::Parse(Text(child));
        } else if (Is(child, kDc, "creator")) {
            dcCreator = dcCreator.empty() ? HtmlText::PlainLine(Text(child)) : dcCreator;
        } else if (IsMedia(child)) {
            Media(child, node);
        }
    }
    item.author = AtomAuthor(node);
    if (item.author.empty()) {
        item.author = dcCreator.empty() ? feedAuthor : dcCreator;
    }
    item.published = published ? published : updated;
    if (summary != nullptr) {
        AtomText text = ReadAtomText(summary);
        item.summary = text.html ? HtmlText::Line(text.text) : HtmlText::PlainLine(text.text);
    }
    const xmlNode* fullest = content != nullptr ? content : summary;
    if (fullest == nullptr) {
        Finish(item, {}, false);
    } else {
        AtomText text = ReadAtomText(fullest);
        std::string saved = base_;
        base_ = BaseOf(fullest, base_);
        Finish(item, text.text, text.html);
        base_ = saved;
    }
    return item;
}

Document Parse(xmlParserCtxt* context, std::string_view text, const std::string& url,
               const FeedEncoding::Result& encoding, bool recover) {
    // No entity substitution, DTD loading or network; errors are the feed's
    // problem, not output of ours.
    int options = XML_PARSE_NONET | XML_PARSE_NOCDATA | XML_PARSE_NOERROR | XML_PARSE_NOWARNING |
                  XML_PARSE_COMPACT;
    if (encoding.utf8) {
        options |= XML_PARSE_IGNORE_ENC;
    }
    if (recover) {
        options |= XML_PARSE_RECOVER;
    }
    if (text.size() > INT_MAX) {
        return nullptr;
    }
    const char* charset = encoding.utf8 ? "UTF-8" : nullptr;
    if (!encoding.charset.empty()) {
        // A name libxml2 has no converter for is passed on as none, so the
        // parser still tells UTF-16 by its first bytes as it does unnamed.
        xmlCharEncodingHandler* handler = xmlFindCharEncodingHandler(encoding.charset.c_str());
        if (handler != nullptr) {
            xmlCharEncCloseFunc(handler);
            charset = encoding.charset.c_str();
        }
    }
    Document document(xmlCtxtReadMemory(context, text.data(), static_cast<int>(text.size()),
                                        url.c_str(), charset, options));
    if (document && !recover && !context->wellFormed) {
        document.reset();
    }
    return document;
}

void ReadRssItems(const xmlNode* parent, const std::string& base, SourceFeed* feed) {
    for (const xmlNode* child = parent->children; child != nullptr; child = child->next) {
        if (feed->items.size() >= XmlFeedReader::kMaxItems) {
            return;
        }
        if (IsRss(child, "item")) {
            ItemReader reader(base);
            feed->items.push_back(reader.ReadRss(child));
        }
    }
}

} // namespace

bool XmlFeedReader::Read(std::string_view bytes, const std::string& feedUrl,
                         std::string_view contentType, SourceFeed* feed, std::string* error) {
    // Everything below, parsing and writing markup back alike, may make
    // libxml2 complain about the feed's bytes; none of it is ours to print.
    QuietXml quiet;
    FeedEncoding::Result encoding = FeedEncoding::Decide(bytes, contentType);
    Context context(xmlNewParserCtxt());
    if (!context) {
        *error = "out of memory";
        return false;
    }
    feed->illFormed = encoding.mislabelled;
    Document document = Parse(context.get(), encoding.text, feedUrl, encoding, false);
    if (!document) {
        std::string mended = XmlRepair::Mend(encoding.text);
        document = Parse(context.get(), mended, feedUrl, encoding, true);
        feed->illFormed = true;
    }
    const xmlNode* root = document ? xmlDocGetRootElement(document.get()) : nullptr;
    if (root == nullptr) {
        *error = "not XML";
        return false;
    }
    std::string base = BaseOf(root, feedUrl);
    if (NameIs(root, "rss") || IsRss(root, "channel")) {
        const xmlNode* channel = NameIs(root, "rss") ? nullptr : root;
        for (const xmlNode* child = root->children; child != nullptr && channel == nullptr;
             child = child->next) {
            if (IsRss(child, "channel")) {
                channel = child;
            }
        }
        if (channel == nullptr) {
            *error = "RSS without a channel";
            return false;
        }
        std::string channelBase = BaseOf(channel, base);
        for (const xmlNode* child = channel->children; child != nullptr; child = child->next) {
            if (IsRss(child, "title") && feed->title.empty()) {
                feed->title = LineOf(child);
            }
        }
        ReadRssItems(channel, channelBase, feed);
        ReadRssItems(root, base, feed); // some put items after the channel
        return true;
    }
    if (Is(root, kRdf, "RDF")) {
        for (const xmlNode* child = root->children; child != nullptr; child = child->next) {
            if (IsRss(child, "channel")) {
                for (const xmlNode* field = child->children; field != nullptr;
                     field = field->next) {
                    if (IsRss(field, "title") && feed->title.empty()) {
                        feed->title = LineOf(field);
                    }
                }
                ReadRssItems(child, BaseOf(child, base), feed);
            }
        }
        ReadRssItems(root, base, feed);
        return true;
    }
    if (Is(root, kAtom, "feed")) {
        std::string feedAuthor = AtomAuthor(root);
        for (const xmlNode* child = root->children; child != nullptr; child = child->next) {
            if (Is(child, kAtom, "title") && feed->title.empty()) {
                AtomText title = ReadAtomText(child);
                feed->title =
                    title.html ? HtmlText::Line(title.text) : HtmlText::PlainLine(title.text);
            } else if (Is(child, kAtom, "entry") && feed->items.size() < kMaxItems) {
                ItemReader reader(base);
                feed->items.push_back(reader.ReadAtom(child, feedAuthor));
            }
        }
        return true;
    }
    *error = "not a feed: the document is <" + std::string(Chars(root->name)).substr(0, 40) + ">";
    return false;
}

} // namespace pregonero::feeds
