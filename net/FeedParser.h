#pragma once

#include "platform/base/String.h"

#include <cstddef>
#include <string>
#include <string_view>

struct _xmlParserCtxt;

// How reading a cache file ended.
enum class FeedStatus { Ok, Unreadable, TooLarge, NotXml, NoRoot, WrongRoot };

// How a cache file is read into memory and parsed: the size cap, the options
// every feed is parsed with and the parser each thread reuses.
class FeedParser {
public:
    static constexpr std::size_t kMaxBytes = 32u << 20;

    // `path` is an application path ("/Home/Res/x.xml"); at most kMaxBytes.
    // Ok, Unreadable or TooLarge.
    static FeedStatus ReadFile(const char* path, std::string& bytes);

    // This thread's parser, reused from feed to feed, with libxml2's own error
    // printing silenced; null when out of memory.
    static _xmlParserCtxt* ThreadContext();

    // No entity substitution, DTD loading, XInclude or HUGE: the parser's own
    // limits on depth and text size stay on, and nothing is fetched or expanded.
    static int Options();

    // Text that is not valid UTF-8 reads as empty, as StringUtil::Utf8ToString
    // refuses it.
    static Osp::Base::String FromUtf8(std::string_view utf8);
};
