#pragma once

#include "platform/base/String.h"

#include <cstddef>
#include <string>
#include <string_view>

struct _xmlDoc;
struct _xmlParserCtxt;

// How reading a cache file ended.
enum class FeedStatus { Ok, Unreadable, TooLarge, NotXml, NoRoot, WrongRoot, TooManyAttributes };

// How a cache file is read into memory and parsed: the caps, the options
// every feed is parsed with and the parser each thread reuses. Within the caps
// a feed is read in well under two seconds and a few tens of megabytes.
class FeedParser {
public:
    static constexpr std::size_t kMaxBytes = 8u << 20;
    // More on one element makes the parser's duplicate checks quadratic.
    static constexpr std::size_t kMaxAttributes = 256;
    // No list shows more rows than this: the first ones of its feed.
    static constexpr std::size_t kMaxRows = 10000;
    // Elements, attributes, texts, comments and the like kept in one tree;
    // room for kMaxRows rows of any feed of ours. Past it the rest of the
    // document is still checked but not kept.
    static constexpr long kMaxNodes = 32 * static_cast<long>(kMaxRows);

    // `path` is an application path ("/Home/Res/x.xml"); at most kMaxBytes.
    // Ok, Unreadable or TooLarge.
    static FeedStatus ReadFile(const char* path, std::string& bytes);

    // Parses `bytes` (at most kMaxBytes, with attributes already counted) into
    // a tree the caller frees with xmlFreeDoc, truncated after kMaxNodes
    // nodes; null when the bytes are not well-formed XML.
    static _xmlDoc* Parse(std::string_view bytes);

    // No entity substitution, DTD loading, XInclude or HUGE: the parser's own
    // limits on depth and text size stay on, and nothing is fetched or expanded.
    static int Options();

    // Text that is not valid UTF-8 reads as empty, as StringUtil::Utf8ToString
    // refuses it.
    static Osp::Base::String FromUtf8(std::string_view utf8);

private:
    // This thread's parser, reused from feed to feed, with libxml2's own error
    // printing silenced; null when out of memory.
    static _xmlParserCtxt* ThreadContext();
};
