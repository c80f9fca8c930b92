#include "net/FeedParser.h"

#include "platform/base/Utf8.h"
#include "platform/io/File.h"
#include "platform/runtime/loop/UniqueHandle.h"

#include <libxml/parser.h>
#include <libxml/SAX2.h>

#include <fstream>
#include <utility>

namespace {

// Feeds are untrusted and their faults are handled, not printed.
void Quiet(void*, const char*, ...) {}

// One parser per thread, reused: its name dictionary already holds the
// element and attribute names of the feeds read before, so a new feed neither
// builds a dictionary nor interns them again. Hostile feeds full of distinct
// names cannot grow it for ever: past a bound the parser is replaced.
thread_local pregonero::runtime::UniqueHandle<xmlParserCtxt, xmlFreeParserCtxt> shared;

// What the tree of the feed being parsed on this thread may still take. Once
// spent, the tree builder is no longer called: the rest is parsed (so a feed
// that is not well-formed past the cut is still refused) and thrown away.
struct NodeBudget {
    long left = 0;
    long skippedDepth = 0; // elements open since the budget ran out
};
thread_local NodeBudget budget;

bool Spend(long nodes) {
    if (budget.left < nodes) {
        budget.left = 0;
        return false;
    }
    budget.left -= nodes;
    return true;
}

void StartElement(void* ctx, const xmlChar* name, const xmlChar* prefix, const xmlChar* uri,
                  int namespaces, const xmlChar** nsTable, int attributes, int defaulted,
                  const xmlChar** values) {
    if (budget.skippedDepth > 0 || !Spend(1 + namespaces + attributes)) {
        ++budget.skippedDepth;
        return;
    }
    xmlSAX2StartElementNs(ctx, name, prefix, uri, namespaces, nsTable, attributes, defaulted,
                          values);
}

void EndElement(void* ctx, const xmlChar* name, const xmlChar* prefix, const xmlChar* uri) {
    if (budget.skippedDepth > 0) {
        --budget.skippedDepth;
        return;
    }
    xmlSAX2EndElementNs(ctx, name, prefix, uri);
}

bool Keeps() {
    return budget.skippedDepth == 0 && Spend(1);
}

void Characters(void* ctx, const xmlChar* text, int length) {
    if (Keeps()) {
        xmlSAX2Characters(ctx, text, length);
    }
}

void CData(void* ctx, const xmlChar* text, int length) {
    if (Keeps()) {
        xmlSAX2CDataBlock(ctx, text, length);
    }
}

void Comment(void* ctx, const xmlChar* text) {
    if (Keeps()) {
        xmlSAX2Comment(ctx, text);
    }
}

void Instruction(void* ctx, const xmlChar* target, const xmlChar* data) {
    if (Keeps()) {
        xmlSAX2ProcessingInstruction(ctx, target, data);
    }
}

void Reference(void* ctx, const xmlChar* name) {
    if (Keeps()) {
        xmlSAX2Reference(ctx, name);
    }
}

// Every callback that adds a node to the tree goes through the budget.
void Budgeted(xmlSAXHandler& sax) {
    sax.startElementNs = StartElement;
    sax.endElementNs = EndElement;
    sax.characters = Characters;
    sax.ignorableWhitespace = Characters;
    sax.cdataBlock = CData;
    sax.comment = Comment;
    sax.processingInstruction = Instruction;
    sax.reference = Reference;
}

} // namespace

FeedStatus FeedParser::ReadFile(const char* path, std::string& bytes) {
    std::string systemPath;
    if (path == nullptr ||
        Osp::Io::File::ToSystemPath(Osp::Base::String(path), systemPath) != E_SUCCESS) {
        return FeedStatus::Unreadable;
    }
    std::ifstream in(systemPath, std::ios::binary | std::ios::ate);
    if (!in) {
        return FeedStatus::Unreadable;
    }
    std::streamoff size = in.tellg();
    if (size < 0) {
        return FeedStatus::Unreadable;
    }
    if (static_cast<std::size_t>(size) > kMaxBytes) {
        return FeedStatus::TooLarge;
    }
    bytes.assign(static_cast<std::size_t>(size), '\0');
    in.seekg(0);
    if (!in.read(bytes.data(), size)) {
        return FeedStatus::Unreadable;
    }
    return FeedStatus::Ok;
}

xmlParserCtxt* FeedParser::ThreadContext() {
    constexpr int kMaxNames = 4096;
    xmlSetGenericErrorFunc(nullptr, Quiet);
    if (shared && xmlDictSize(shared->dict) > kMaxNames) {
        shared.reset();
    }
    if (!shared) {
        shared.reset(xmlNewParserCtxt());
        if (shared && shared->sax != nullptr) {
            Budgeted(*shared->sax);
        }
    }
    return shared.get();
}

xmlDoc* FeedParser::Parse(std::string_view bytes) {
    xmlParserCtxt* context = ThreadContext();
    if (context == nullptr || bytes.size() > kMaxBytes) {
        return nullptr; // out of memory: nothing could be read
    }
    budget = NodeBudget{.left = kMaxNodes};
    return xmlCtxtReadMemory(context, bytes.data(), static_cast<int>(bytes.size()), nullptr,
                             nullptr, Options());
}

int FeedParser::Options() {
    // Blank text nodes stay: an article's body is its element's first child
    // node, even when that is the whitespace before a CDATA section.
    return XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT;
}

Osp::Base::String FeedParser::FromUtf8(std::string_view utf8) {
    auto converted = pregonero::text::Utf8ToUtf16Strict(utf8);
    return converted ? Osp::Base::String(std::move(*converted)) : Osp::Base::String();
}
