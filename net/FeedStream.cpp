#include "net/FeedStream.h"

#include "net/FeedParser.h"
#include "platform/base/Utf8.h"

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <cstdlib>
#include <cstring>
#include <exception>
#include <string>
#include <string_view>

namespace {

const char* Chars(const xmlChar* text) {
    return reinterpret_cast<const char*>(text);
}

// The parse under way on this thread. Elements inside an entity's replacement
// text are parsed by libxml2 with a context of their own; they are not part
// of the document's tree (which holds a reference there), so they are
// ignored.
struct Walk {
    xmlParserCtxt* context = nullptr;
    FeedStream::Visitor* visitor = nullptr;
    const char* rootName = nullptr;
    int depth = 0;
    bool rootSeen = false;
    bool wrongRoot = false;
    std::exception_ptr failure;
};

thread_local Walk* current = nullptr;

void StartElement(void* context, const xmlChar* localName, const xmlChar* prefix,
                  const xmlChar* uri, int, const xmlChar**, int attributeCount, int defaulted,
                  const xmlChar** attributes) {
    Walk* walk = current;
    if (walk == nullptr || context != walk->context) {
        return;
    }
    const int depth = walk->depth++;
    if (walk->wrongRoot || walk->failure) {
        return;
    }
    // Attributes defaulted from the DTD are not part of the tree either.
    const FeedStreamElement element(localName, prefix, uri, attributeCount - defaulted, attributes);
    if (depth == 0) {
        walk->rootSeen = true;
        walk->wrongRoot = !element.IsNamed(walk->rootName);
        return;
    }
    try {
        walk->visitor->OnElement(depth, element);
    } catch (...) {
        walk->failure = std::current_exception();
        xmlStopParser(walk->context);
    }
}

void EndElement(void* context, const xmlChar*, const xmlChar*, const xmlChar*) {
    Walk* walk = current;
    if (walk != nullptr && context == walk->context) {
        --walk->depth;
    }
}

// Text, comments, processing instructions and references carry nothing the
// visitor sees.
void IgnoreText(void*, const xmlChar*, int) {}
void IgnoreName(void*, const xmlChar*) {}
void IgnoreInstruction(void*, const xmlChar*, const xmlChar*) {}

// Libxml2's own handlers for the prologue (the document node, the DTD and its
// entities), ours for the content, so that everything the parser checks and
// looks up stays as it is when it builds a tree.
xmlSAXHandler Handler() {
    xmlSAXHandler handler;
    std::memset(&handler, 0, sizeof handler);
    xmlSAXVersion(&handler, 2);
    handler.startElement = nullptr; // the namespace-aware callbacks only
    handler.endElement = nullptr;
    handler.startElementNs = StartElement;
    handler.endElementNs = EndElement;
    handler.characters = IgnoreText;
    handler.ignorableWhitespace = IgnoreText;
    handler.cdataBlock = IgnoreText;
    handler.comment = IgnoreName;
    handler.reference = IgnoreName;
    handler.processingInstruction = IgnoreInstruction;
    return handler;
}

// A value the parser had to rewrite arrives with the references it keeps
// ("&#38;" for an ampersand, "&name;" for a declared entity); the tree turns
// those into text and reference nodes, and the reader keeps only the text.
void AppendDecoded(std::string& out, std::string_view value) {
    std::size_t i = 0;
    while (i < value.size()) {
        const std::size_t amp = value.find('&', i);
        out.append(value.substr(i, amp == std::string_view::npos ? amp : amp - i));
        if (amp == std::string_view::npos) {
            return;
        }
        const std::size_t semicolon = value.find(';', amp);
        if (semicolon == std::string_view::npos) {
            return; // the parser never leaves one open
        }
        const std::string_view reference = value.substr(amp + 1, semicolon - amp - 1);
        if (reference.size() >= 2 && reference[0] == '#') {
            const bool hex = reference[1] == 'x';
            const std::string digits(reference.substr(hex ? 2 : 1));
            const unsigned long code = std::strtoul(digits.c_str(), nullptr, hex ? 16 : 10);
            if (code > 0 && code <= 0x10FFFF) {
                pregonero::text::AppendUtf8(out, static_cast<char32_t>(code));
            }
        }
        i = semicolon + 1;
    }
}

} // namespace

bool FeedStreamElement::IsNamed(const char* name) const {
    // An undeclared prefix stays part of the element's name.
    return std::strcmp(Chars(localName_), name) == 0 && (prefix_ == nullptr || uri_ != nullptr);
}

Osp::Base::String FeedStreamElement::Attribute(const char* name) const {
    for (int i = 0; i < attributeCount_; ++i) {
        const unsigned char* const* attribute = attributes_ + 5 * i;
        // Prefixed attributes are in a namespace, or named with their prefix.
        if (attribute[1] != nullptr || std::strcmp(Chars(attribute[0]), name) != 0) {
            continue;
        }
        const char* begin = Chars(attribute[3]);
        const char* end = Chars(attribute[4]);
        const std::string_view value(begin, static_cast<std::size_t>(end - begin));
        // In the file's own bytes the value ends at its quote; a value the
        // parser rewrote lives in a copy that ends at a zero byte.
        if (*end != '\0') {
            return FeedParser::FromUtf8(value);
        }
        std::string decoded;
        decoded.reserve(value.size());
        AppendDecoded(decoded, value);
        return FeedParser::FromUtf8(decoded);
    }
    return Osp::Base::String();
}

FeedStatus FeedStream::Read(const char* path, Visitor& visitor, const char* rootName) {
    std::string bytes;
    const FeedStatus read = FeedParser::ReadFile(path, bytes);
    return read == FeedStatus::Ok ? ReadMemory(bytes.data(), bytes.size(), visitor, rootName)
                                  : read;
}

FeedStatus FeedStream::ReadMemory(const char* data, std::size_t size, Visitor& visitor,
                                  const char* rootName) {
    if (size > FeedParser::kMaxBytes) {
        return FeedStatus::TooLarge;
    }
    const FeedParser parser;
    xmlParserCtxt* context = parser.Context();
    if (context == nullptr) {
        return FeedStatus::NotXml; // out of memory: nothing could be read
    }
    xmlSAXHandler handler = Handler();
    Walk walk;
    walk.context = context;
    walk.visitor = &visitor;
    walk.rootName = rootName;

    // The parser runs this one parse with our handler; its own is back
    // before anything else can use it.
    xmlSAXHandler* const saved = context->sax;
    Walk* const outer = current;
    context->sax = &handler;
    current = &walk;
    // Without a tree, the document node holds only the DTD; it comes back
    // exactly when the file is well-formed.
    xmlDoc* prologue = xmlCtxtReadMemory(context, data, static_cast<int>(size), nullptr, nullptr,
                                         FeedParser::Options());
    context->sax = saved;
    current = outer;
    xmlFreeDoc(prologue);

    if (walk.failure) {
        std::rethrow_exception(walk.failure);
    }
    if (prologue == nullptr) {
        return FeedStatus::NotXml;
    }
    if (!walk.rootSeen) {
        return FeedStatus::NoRoot;
    }
    return walk.wrongRoot ? FeedStatus::WrongRoot : FeedStatus::Ok;
}
