#include "net/FeedParser.h"

#include "platform/base/Utf8.h"
#include "platform/io/File.h"
#include "platform/runtime/loop/UniqueHandle.h"

#include <libxml/parser.h>

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
    }
    return shared.get();
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
