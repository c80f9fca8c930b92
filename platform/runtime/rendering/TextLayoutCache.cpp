#include "platform/runtime/rendering/TextLayoutCache.h"

#include "platform/runtime/rendering/CairoHandles.h"
#include "platform/runtime/rendering/StreamSafeText.h"

#include <pango/pangocairo.h>

#include <vector>

namespace pregonero::runtime {

namespace {

void MakeKey(std::string& key, std::string_view utf8, const TextStyle& s, int width, int height) {
    // Colour is not part of the shape: it is applied when the layout is shown.
    int fields[] = {s.size,
                    static_cast<int>(s.weight),
                    static_cast<int>(s.slant),
                    static_cast<int>(s.hAlign),
                    static_cast<int>(s.wrap),
                    static_cast<int>(s.endsAtClip),
                    width,
                    height};
    key.assign(reinterpret_cast<const char*>(fields), sizeof(fields));
    key.append(utf8);
}

// Pango re-shapes the rest of an unbreakable run for every line it breaks,
// so a long run costs quadratic time; a zero-width space every kRunBytes
// bytes gives it break points it would take anyway (words wrap by character).
constexpr std::size_t kRunBytes = 64;
constexpr const char* kZeroWidthSpace = "\u200B";

bool IsCharacterStart(char byte) {
    return (static_cast<unsigned char>(byte) & 0xC0) != 0x80;
}

// The narrowest line spacing a text may take to show one line more.
constexpr double kTightestSpacing = 0.9;
constexpr const char* kEllipsis = "\u2026";

// Lays `text` out in `layout` (width and wrap set) in a box `height` pixels
// high: every line when they fit, else as many as fit (one more with the
// lines moved closer, when that is enough), the last ending with an ellipsis.
// Pango's own height limit drops whole paragraphs without an ellipsis, so
// the lines are counted here and the cut is made by hand.
TextFit FitLines(PangoLayout* layout, const std::string& text, int height, bool endsAtClip) {
    pango_layout_set_text(layout, text.data(), static_cast<int>(text.size()));
    const int total = pango_layout_get_line_count(layout);
    if (height == TextLayoutCache::kUnbounded || total == 0) {
        return {total, false, 0};
    }
    // Top and bottom of each line at the natural spacing, in Pango units.
    std::vector<long long> tops;
    std::vector<long long> bottoms;
    std::vector<int> starts;
    bottoms.reserve(static_cast<std::size_t>(total));
    PangoLayoutIter* iter = pango_layout_get_iter(layout);
    do {
        PangoRectangle logical;
        pango_layout_iter_get_line_extents(iter, nullptr, &logical);
        tops.push_back(logical.y);
        bottoms.push_back(static_cast<long long>(logical.y) + logical.height);
        starts.push_back(pango_layout_iter_get_index(iter));
    } while (pango_layout_iter_next_line(iter));
    pango_layout_iter_free(iter);
    const long long room = static_cast<long long>(height) * PANGO_SCALE;
    int lines = 0;
    while (lines < total && bottoms[static_cast<std::size_t>(lines)] <= room) {
        ++lines;
    }
    if (lines < total) {
        // Line spacing multiplies the distance between baselines, so the
        // next line's top moves to spacing × its top. Its pitch must fit in
        // the box; at a clip, its whole height must.
        const auto next = static_cast<std::size_t>(lines);
        const double spacing =
            endsAtClip ? tops[next] > 0 ? static_cast<double>(room - (bottoms[next] - tops[next])) /
                                              static_cast<double>(tops[next])
                                        : 0.0
                       : static_cast<double>(room) / static_cast<double>(bottoms[next]);
        if (spacing >= kTightestSpacing) {
            pango_layout_set_line_spacing(layout,
                                          static_cast<float>(spacing < 1.0 ? spacing : 1.0));
            ++lines;
        }
    }
    lines = lines > 0 ? lines : 1; // a box too low still shows its first line
    if (lines == total) {
        return {total, false, 0};
    }
    // The last line that shows keeps its own text, then an ellipsis; letters
    // give way from its end until the ellipsis fits on it.
    const PangoLayoutLine* last = pango_layout_get_line_readonly(layout, lines - 1);
    const std::size_t lastStart =
        static_cast<std::size_t>(starts[static_cast<std::size_t>(lines - 1)]);
    std::size_t lastEnd = lastStart + static_cast<std::size_t>(last->length);
    while (lastEnd > lastStart && (text[lastEnd - 1] == ' ' || text[lastEnd - 1] == '\n')) {
        --lastEnd;
    }
    std::string shown;
    for (;;) {
        shown.assign(text, 0, lastEnd);
        shown += kEllipsis;
        pango_layout_set_text(layout, shown.data(), static_cast<int>(shown.size()));
        if (pango_layout_get_line_count(layout) <= lines || lastEnd == lastStart) {
            break;
        }
        const char* begin = text.data();
        lastEnd = static_cast<std::size_t>(g_utf8_find_prev_char(begin, begin + lastEnd) - begin);
    }
    return {pango_layout_get_line_count(layout), true, 0};
}

} // namespace

std::string TextLayoutCache::Breakable(std::string_view utf8) {
    // Every cut stops at a character boundary: the valid prefix, the runs of
    // marks, then the cap on bytes.
    const char* end = nullptr;
    g_utf8_validate(utf8.data(), static_cast<gssize>(utf8.size()), &end);
    utf8 = utf8.substr(0, static_cast<std::size_t>(end - utf8.data()));
    std::string capped;
    if (StreamSafeText::NeedsCap(utf8)) {
        capped = StreamSafeText::Cap(utf8);
        utf8 = capped;
    }
    std::size_t length = utf8.size();
    if (length > kMaxTextBytes) {
        length = kMaxTextBytes;
        while (length > 0 && !IsCharacterStart(utf8[length])) {
            --length;
        }
    }
    std::string text;
    text.reserve(length + length / kRunBytes * 3);
    std::size_t run = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const char byte = utf8[i];
        if (byte == ' ' || byte == '\n' || byte == '\t') {
            run = 0;
        } else if (++run > kRunBytes && IsCharacterStart(byte)) {
            text += kZeroWidthSpace;
            run = 1;
        }
        text += byte;
    }
    return text;
}

void TextLayoutCache::Unref(void* object) noexcept {
    g_object_unref(object);
}

const char* TextLayoutCache::FontFamily() {
    // Condensed, so a body of B characters at size 28 takes about B pixels of
    // height in a 480-pixel column, as the article row expects.
    return "DejaVu Sans Condensed";
}

TextLayoutCache::TextLayoutCache(std::size_t capacity)
    : capacity_(capacity),
      context_(pango_font_map_create_context(pango_cairo_font_map_get_default())) {
    cairo_font_options_t* options = cairo_font_options_create();
    cairo_font_options_set_antialias(options, CAIRO_ANTIALIAS_GRAY);
    cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_SLIGHT);
    cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
    pango_cairo_context_set_font_options(context_.get(), options);
    cairo_font_options_destroy(options);
    pango_cairo_context_set_resolution(context_.get(), 96.0);
}

TextLayoutCache::~TextLayoutCache() {
    index_.clear();
    entries_.clear();
}

_PangoLayout* TextLayoutCache::Get(std::string_view utf8, const TextStyle& style, int width,
                                   int height) {
    return Find(utf8, style, width, height).layout.get();
}

TextFit TextLayoutCache::Fit(std::string_view utf8, const TextStyle& style, int width, int height) {
    if (height == kUnbounded) {
        // A measure is taken once, before the box is known: keeping its
        // layout would only push out layouts that are drawn.
        return Make(utf8, style, width, height).fit;
    }
    return Find(utf8, style, width, height).fit;
}

TextLayoutCache::Entry& TextLayoutCache::Find(std::string_view utf8, const TextStyle& style,
                                              int width, int height) {
    MakeKey(key_, utf8, style, width, height);
    auto found = index_.find(key_);
    if (found != index_.end()) {
        entries_.splice(entries_.begin(), entries_, found->second);
        return *found->second;
    }
    Entry made = Make(utf8, style, width, height);
    made.key = key_;
    entries_.push_front(std::move(made));
    index_.emplace(entries_.front().key, entries_.begin());
    // The entry just made stays even when the capacity is 0: the caller is
    // about to use it.
    while (entries_.size() > capacity_ && entries_.size() > 1) {
        index_.erase(entries_.back().key);
        entries_.pop_back();
    }
    return entries_.front();
}

TextLayoutCache::Entry TextLayoutCache::Make(std::string_view utf8, const TextStyle& style,
                                             int width, int height) {
    LayoutPtr layout(pango_layout_new(context_.get()));
    FontDescriptionPtr font(pango_font_description_new());
    pango_font_description_set_family(font.get(), FontFamily());
    pango_font_description_set_absolute_size(font.get(), style.size * PANGO_SCALE);
    pango_font_description_set_weight(
        font.get(), style.weight == FontWeight::Bold ? PANGO_WEIGHT_BOLD : PANGO_WEIGHT_NORMAL);
    pango_font_description_set_style(
        font.get(), style.slant == FontSlant::Italic ? PANGO_STYLE_ITALIC : PANGO_STYLE_NORMAL);
    pango_layout_set_font_description(layout.get(), font.get());
    pango_layout_set_width(layout.get(), width * PANGO_SCALE);
    PangoAlignment align = style.hAlign == HAlign::Center  ? PANGO_ALIGN_CENTER
                           : style.hAlign == HAlign::Right ? PANGO_ALIGN_RIGHT
                                                           : PANGO_ALIGN_LEFT;
    pango_layout_set_alignment(layout.get(), align);
    // Feed text is untrusted: never let bad bytes reach Pango unvalidated.
    const std::string text = Breakable(utf8);
    Entry entry{{}, std::move(layout), {}};
    if (style.wrap == TextWrap::SingleLine) {
        pango_layout_set_ellipsize(entry.layout.get(), PANGO_ELLIPSIZE_END);
        pango_layout_set_height(entry.layout.get(), 0); // one line, ellipsised
        pango_layout_set_text(entry.layout.get(), text.data(), static_cast<int>(text.size()));
        const PangoLayoutLine* line = pango_layout_get_line_readonly(entry.layout.get(), 0);
        entry.fit.lines = 1;
        entry.fit.cut = pango_layout_is_ellipsized(entry.layout.get()) ||
                        (line != nullptr &&
                         static_cast<std::size_t>(line->start_index + line->length) < text.size());
    } else {
        pango_layout_set_wrap(entry.layout.get(), PANGO_WRAP_WORD_CHAR);
        entry.fit = FitLines(entry.layout.get(), text, height, style.endsAtClip);
    }
    int pixelWidth = 0;
    pango_layout_get_pixel_size(entry.layout.get(), &pixelWidth, &entry.fit.height);
    return entry;
}

} // namespace pregonero::runtime
