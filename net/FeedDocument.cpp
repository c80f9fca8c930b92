#include "net/FeedDocument.h"

#include "platform/base/Utf8.h"
#include "platform/io/File.h"

#include <libxml/parser.h>
#include <libxml/tree.h>

#include <fstream>
#include <memory>
#include <string>
#include <string_view>

namespace {

bool IsElement(const xmlNode* node) {
    return node != nullptr && node->type == XML_ELEMENT_NODE;
}

xmlNode* SkipToElement(xmlNode* node) {
    while (node != nullptr && node->type != XML_ELEMENT_NODE) {
        node = node->next;
    }
    return node;
}

// Text that is not valid UTF-8 reads as empty, as StringUtil::Utf8ToString
// refuses it.
Osp::Base::String FromUtf8(std::string_view utf8) {
    auto converted = pregonero::text::Utf8ToUtf16Strict(utf8);
    return converted ? Osp::Base::String(std::move(*converted)) : Osp::Base::String();
}

std::string_view TextOf(const xmlNode* node) {
    return reinterpret_cast<const char*>(node->content);
}

struct ContextDeleter {
    void operator()(xmlParserCtxt* context) const { xmlFreeParserCtxt(context); }
};

// One parser per thread, reused: its name dictionary already holds the
// element and attribute names of the feeds read before, so a new feed neither
// builds a dictionary nor interns them again. Hostile feeds full of distinct
// names cannot grow it for ever: past a bound the parser is replaced.
xmlParserCtxt* ReusableContext() {
    constexpr int kMaxNames = 4096;
    thread_local std::unique_ptr<xmlParserCtxt, ContextDeleter> context;
    if (context && xmlDictSize(context->dict) > kMaxNames) {
        context.reset();
    }
    if (!context) {
        context.reset(xmlNewParserCtxt());
    }
    return context.get();
}

// Libxml2's own error reporting would go to stderr; feeds are untrusted and
// their faults are handled, not printed.
void Quiet(void*, const char*, ...) {}

} // namespace

bool FeedElement::IsNamed(const char* name) const {
    return IsElement(node_) && xmlStrcmp(node_->name, reinterpret_cast<const xmlChar*>(name)) == 0;
}

Osp::Base::String FeedElement::Attribute(const char* name) const {
    if (!IsElement(node_)) {
        return Osp::Base::String();
    }
    for (xmlAttr* attr = node_->properties; attr != nullptr; attr = attr->next) {
        if (attr->ns != nullptr ||
            xmlStrcmp(attr->name, reinterpret_cast<const xmlChar*>(name)) != 0) {
            continue;
        }
        const xmlNode* first = attr->children;
        if (first != nullptr && first->next == nullptr && first->type == XML_TEXT_NODE &&
            first->content != nullptr) {
            return FromUtf8(TextOf(first)); // the usual value: one run of text, no copy
        }
        // Only literal text: an entity reference is skipped, never expanded.
        std::string value;
        for (const xmlNode* part = first; part != nullptr; part = part->next) {
            if (part->type == XML_TEXT_NODE && part->content != nullptr) {
                value += TextOf(part);
            }
        }
        return FromUtf8(value);
    }
    return Osp::Base::String();
}

Osp::Base::String FeedElement::FirstChildText() const {
    if (!IsElement(node_) || node_->children == nullptr) {
        return Osp::Base::String();
    }
    xmlNode* first = node_->children;
    if ((first->type != XML_TEXT_NODE && first->type != XML_CDATA_SECTION_NODE) ||
        first->content == nullptr) {
        return Osp::Base::String();
    }
    return FromUtf8(TextOf(first));
}

FeedElement FeedElement::FirstChildElement() const {
    return FeedElement(IsElement(node_) ? SkipToElement(node_->children) : nullptr);
}

FeedElement FeedElement::NextElement() const {
    return FeedElement(node_ != nullptr ? SkipToElement(node_->next) : nullptr);
}

void FeedDocument::DocDeleter::operator()(_xmlDoc* doc) const {
    xmlFreeDoc(doc);
}

FeedDocument::FeedDocument() = default;
FeedDocument::~FeedDocument() = default;

FeedDocument::Status FeedDocument::Load(const char* path, const char* rootName) {
    std::string systemPath;
    if (path == nullptr ||
        Osp::Io::File::ToSystemPath(Osp::Base::String(path), systemPath) != E_SUCCESS) {
        return Status::Unreadable;
    }
    std::ifstream in(systemPath, std::ios::binary | std::ios::ate);
    if (!in) {
        return Status::Unreadable;
    }
    std::streamoff size = in.tellg();
    if (size < 0) {
        return Status::Unreadable;
    }
    if (static_cast<std::size_t>(size) > kMaxBytes) {
        return Status::TooLarge;
    }
    std::string bytes(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), size)) {
        return Status::Unreadable;
    }
    return LoadMemory(bytes.data(), bytes.size(), rootName);
}

FeedDocument::Status FeedDocument::LoadMemory(const char* data, std::size_t size,
                                              const char* rootName) {
    doc_.reset();
    if (size > kMaxBytes) {
        return Status::TooLarge;
    }
    xmlSetGenericErrorFunc(nullptr, Quiet);
    // No XML_PARSE_NOENT, DTDLOAD, XINCLUDE or HUGE: the parser's own limits
    // on depth and text size stay on, and nothing is fetched or expanded.
    int options = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT |
                  XML_PARSE_NOBLANKS;
    xmlParserCtxt* context = ReusableContext();
    if (context == nullptr) {
        return Status::NotXml; // out of memory: nothing could be read
    }
    doc_.reset(xmlCtxtReadMemory(context, data, static_cast<int>(size), nullptr, nullptr, options));
    if (!doc_) {
        return Status::NotXml;
    }
    xmlNode* root = xmlDocGetRootElement(doc_.get());
    if (root == nullptr) {
        return Status::NoRoot;
    }
    if (xmlStrcmp(root->name, reinterpret_cast<const xmlChar*>(rootName)) != 0) {
        return Status::WrongRoot;
    }
    return Status::Ok;
}

FeedElement FeedDocument::Root() const {
    return FeedElement(doc_ ? xmlDocGetRootElement(doc_.get()) : nullptr);
}
