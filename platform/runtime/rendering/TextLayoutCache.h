#pragma once

#include "platform/runtime/loop/UniqueHandle.h"
#include "platform/runtime/rendering/PaintTypes.h"

#include <cstddef>
#include <list>
#include <string>
#include <string_view>
#include <unordered_map>

struct _PangoLayout;
struct _PangoContext;

namespace pregonero::runtime {

// How a text sits in its box: the lines drawn, whether some of the text was
// left out (the last line drawn then ends with an ellipsis), and the pixels
// the drawn lines take.
struct TextFit {
    int lines = 0;
    bool cut = false;
    int height = 0;
};

// Shaping text is the expensive part of a frame; a layout is made once per
// (text, size, style, box) and reused while it stays in the cache.
//
// A wrapping text takes as many lines as its box holds. When one line more
// fits with the lines at most 10 % closer together, they are moved closer by
// just enough; when text is still left out, the last line drawn ends with an
// ellipsis. A single-line text ends with an ellipsis when it is too wide.
class TextLayoutCache {
public:
    // A box height for measuring: no limit on the lines.
    static constexpr int kUnbounded = -1;

    // Text past this many bytes is never laid out: Pango breaks a long
    // unbreakable run in quadratic time, so a hostile 1 MB attribute would
    // freeze every redraw. Far above any real article.
    static constexpr std::size_t kMaxTextBytes = 128u << 10;

    explicit TextLayoutCache(std::size_t capacity = 1024);

    // What Pango gets for `utf8`: the valid prefix, stream-safe, at most
    // kMaxTextBytes, with a zero-width space inside every long unbreakable run.
    static std::string Breakable(std::string_view utf8);
    ~TextLayoutCache();
    TextLayoutCache(const TextLayoutCache&) = delete;
    TextLayoutCache& operator=(const TextLayoutCache&) = delete;

    // The text laid out in a box of `width` × `height` pixels; it stays valid
    // until the next call.
    _PangoLayout* Get(std::string_view utf8, const TextStyle& style, int width, int height);
    // The same layout's fit; with kUnbounded, a measure that is not kept.
    TextFit Fit(std::string_view utf8, const TextStyle& style, int width, int height);
    std::size_t Size() const { return index_.size(); }

    static const char* FontFamily();

private:
    // Defined with GLib's headers, which this one keeps out of its includers.
    static void Unref(void* object) noexcept;
    using LayoutPtr = UniqueHandle<_PangoLayout, Unref>;
    struct Entry {
        std::string key;
        LayoutPtr layout;
        TextFit fit;
    };
    Entry& Find(std::string_view utf8, const TextStyle& style, int width, int height);
    Entry Make(std::string_view utf8, const TextStyle& style, int width, int height);

    std::size_t capacity_;
    UniqueHandle<_PangoContext, Unref> context_;
    std::list<Entry> entries_; // most recent first
    std::unordered_map<std::string_view, std::list<Entry>::iterator> index_;
    std::string key_; // reused for every look-up, so a hit allocates nothing
};

} // namespace pregonero::runtime
