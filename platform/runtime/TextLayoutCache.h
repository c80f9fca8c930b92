#pragma once

#include "platform/runtime/CairoHandles.h"
#include "platform/runtime/PaintTypes.h"

#include <cstddef>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

namespace pregonero::runtime {

// Shaping text is the expensive part of a frame; a layout is made once per
// (text, size, style, box) and reused while it stays in the cache.
class TextLayoutCache {
public:
    explicit TextLayoutCache(std::size_t capacity = 1024);
    ~TextLayoutCache();
    TextLayoutCache(const TextLayoutCache&) = delete;
    TextLayoutCache& operator=(const TextLayoutCache&) = delete;

    // The layout stays valid until the next call.
    PangoLayout* Get(std::string_view utf8, const TextStyle& style, int width, int height);
    std::size_t Size() const { return index_.size(); }

    static const char* FontFamily();

private:
    struct Entry {
        std::string key;
        PangoLayoutPtr layout;
    };
    PangoLayoutPtr Make(std::string_view utf8, const TextStyle& style, int width, int height);

    std::size_t capacity_;
    PangoContextPtr context_;
    std::list<Entry> entries_; // most recent first
    std::unordered_map<std::string_view, std::list<Entry>::iterator> index_;
};

} // namespace pregonero::runtime
