#pragma once

#include "platform/base/String.h"

#include <cstddef>
#include <string>
#include <string_view>

struct _xmlParserCtxt;

// How reading a cache file ended, for both feed readers.
enum class FeedStatus { Ok, Unreadable, TooLarge, NotXml, NoRoot, WrongRoot };

// What the tree and the streaming feed readers share: how a cache file is read
// into memory, the parser each thread reuses, and the options every feed is
// parsed with. An instance holds a parser for one parse.
class FeedParser {
public:
    // This thread's parser, reused from feed to feed, or a parser of its own
    // while the thread's is busy (a streaming visitor reading another feed).
    // Libxml2's own error printing is silenced.
    FeedParser();
    ~FeedParser();
    FeedParser(const FeedParser&) = delete;
    FeedParser& operator=(const FeedParser&) = delete;
    // Null when out of memory.
    _xmlParserCtxt* Context() const { return context_; }

    static constexpr std::size_t kMaxBytes = 32u << 20;

    // `path` is an application path ("/Home/Res/x.xml"); at most kMaxBytes.
    // Ok, Unreadable or TooLarge.
    static FeedStatus ReadFile(const char* path, std::string& bytes);

    // No entity substitution, DTD loading, XInclude or HUGE: the parser's own
    // limits on depth and text size stay on, and nothing is fetched or expanded.
    static int Options();

    // Text that is not valid UTF-8 reads as empty, as StringUtil::Utf8ToString
    // refuses it.
    static Osp::Base::String FromUtf8(std::string_view utf8);

private:
    _xmlParserCtxt* context_ = nullptr;
    bool own_ = false; // a parser of its own, freed with this
};
