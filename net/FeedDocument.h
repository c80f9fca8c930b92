#pragma once

#include "net/FeedParser.h"
#include "platform/base/String.h"
#include "platform/runtime/loop/UniqueHandle.h"

#include <cstddef>

struct _xmlDoc;
struct _xmlNode;

// One element of a feed, as the readers walk it: its name, its attributes and
// the text of its first child node. Entity references are never expanded.
class FeedElement {
public:
    explicit FeedElement(_xmlNode* node) : node_(node) {}
    bool IsNamed(const char* name) const;
    // The attribute as text; absent, or not valid UTF-8, reads as "".
    Osp::Base::String Attribute(const char* name) const;
    // The content of the first child node when it is text or CDATA; else "".
    Osp::Base::String FirstChildText() const;
    // The first child element and the next sibling element; null views at the end.
    FeedElement FirstChildElement() const;
    FeedElement NextElement() const;
    explicit operator bool() const { return node_ != nullptr; }

private:
    _xmlNode* node_;
};

// A cache file read into memory (with a size cap) and parsed with the
// network, DTD loading, entity substitution and XInclude all off.
class FeedDocument {
public:
    using Status = FeedStatus;
    static constexpr std::size_t kMaxBytes = FeedParser::kMaxBytes;

    FeedDocument();
    ~FeedDocument();
    FeedDocument(const FeedDocument&) = delete;
    FeedDocument& operator=(const FeedDocument&) = delete;

    // `path` is an application path ("/Home/Res/x.xml"); the root element must
    // be named `rootName` exactly.
    Status Load(const char* path, const char* rootName = "root");
    Status LoadMemory(const char* data, std::size_t size, const char* rootName = "root");
    FeedElement Root() const;

private:
    // Defined with libxml2's headers, which this one keeps out of its includers.
    static void FreeDoc(_xmlDoc* doc) noexcept;
    pregonero::runtime::UniqueHandle<_xmlDoc, FreeDoc> doc_;
};
