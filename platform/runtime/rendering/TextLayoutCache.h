#pragma once

#include "platform/runtime/rendering/GlyphImages.h"
#include "platform/runtime/rendering/GlyphRuns.h"
#include "platform/runtime/rendering/PaintTypes.h"
#include "platform/runtime/rendering/TextCoverage.h"

#include <cstddef>
#include <list>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>

struct _PangoLayout;
struct _PangoContext;

namespace pregonero::runtime {

// Shaping text is the expensive part of a frame; a layout is made once per
// (text, size, style, box) and reused while it stays in the cache.
class TextLayoutCache {
public:
    // Text past this many bytes is never laid out: Pango breaks a long
    // unbreakable run in quadratic time, so a hostile 1 MB attribute would
    // freeze every redraw. Far above any real article.
    static constexpr std::size_t kMaxTextBytes = 128u << 10;

    explicit TextLayoutCache(std::size_t capacity = 1024);

    // What Pango gets for `utf8`: the valid prefix, at most kMaxTextBytes,
    // with a zero-width space inside every long unbreakable run.
    static std::string Breakable(std::string_view utf8);
    ~TextLayoutCache();
    TextLayoutCache(const TextLayoutCache&) = delete;
    TextLayoutCache& operator=(const TextLayoutCache&) = delete;

    // A text laid out, with its glyphs ready to draw and, once it has been
    // drawn a few times, their coverage (null before).
    struct Text {
        _PangoLayout* layout;
        const GlyphRuns* glyphs;
        const TextCoverage* coverage;
    };
    // What it returns stays valid until the next call.
    Text Get(std::string_view utf8, const TextStyle& style, int width, int height);
    std::size_t Size() const { return index_.size(); }
    std::size_t CoverageBytes() const { return coverageBytes_; }

    static const char* FontFamily();

private:
    struct Unref {
        void operator()(void* object) const;
    };
    using LayoutPtr = std::unique_ptr<_PangoLayout, Unref>;
    struct Entry {
        std::string key;
        LayoutPtr layout;
        GlyphRuns glyphs;
        unsigned serial; // the layout's when the glyphs were taken
        std::unique_ptr<TextCoverage> coverage;
        int draws; // until the coverage is taken
    };
    LayoutPtr Make(std::string_view utf8, const TextStyle& style, int width, int height);
    void DropCoverage(Entry& entry);

    std::size_t capacity_;
    std::unique_ptr<_PangoContext, Unref> context_;
    std::list<Entry> entries_; // most recent first
    std::unordered_map<std::string_view, std::list<Entry>::iterator> index_;
    std::string key_;    // reused for every look-up, so a hit allocates nothing
    GlyphImages images_; // shared by the texts' coverages
    std::size_t coverageBytes_ = 0;
};

} // namespace pregonero::runtime
