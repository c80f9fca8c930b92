#pragma once

#include "net/FeedParser.h"
#include "platform/base/String.h"

#include <cstddef>

// One element as the streaming reader meets it: its name and attributes,
// read by the same rules as FeedElement's.
class FeedStreamElement {
public:
    FeedStreamElement(const unsigned char* localName, const unsigned char* prefix,
                      const unsigned char* uri, int attributeCount,
                      const unsigned char** attributes)
        : localName_(localName), prefix_(prefix), uri_(uri), attributeCount_(attributeCount),
          attributes_(attributes) {}
    bool IsNamed(const char* name) const;
    // The attribute as text; absent, or not valid UTF-8, reads as "". Entity
    // references are skipped, never expanded.
    Osp::Base::String Attribute(const char* name) const;

private:
    const unsigned char* localName_;
    const unsigned char* prefix_;
    const unsigned char* uri_;
    int attributeCount_;
    const unsigned char** attributes_; // five pointers per attribute, as libxml2 gives them
};

// Reads a feed from start to end without building a tree, handing each
// element below the root to a visitor. The parse is the tree reader's own
// (same parser, options and limits), so a file reads as Ok here exactly when
// FeedDocument loads it, and the visitor sees what a walk of that tree would.
class FeedStream {
public:
    class Visitor {
    public:
        virtual ~Visitor() = default;
        // `depth` is 1 for the root's children, 2 for theirs, and so on.
        virtual void OnElement(int depth, const FeedStreamElement& element) = 0;
    };

    // The visitor is called while the parse runs, before it is known whether
    // the whole file is well-formed: whatever it gathered must be dropped
    // unless Ok comes back. Exceptions from the visitor stop the parse and
    // are thrown on from here.
    static FeedStatus Read(const char* path, Visitor& visitor, const char* rootName = "root");
    static FeedStatus ReadMemory(const char* data, std::size_t size, Visitor& visitor,
                                 const char* rootName = "root");
};
