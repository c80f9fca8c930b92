#include "platform/frontends/terminal/TextCells.h"

#include "platform/runtime/rendering/StreamSafeText.h"

namespace pregonero::platform {

namespace {

constexpr char32_t kReplacement = 0xFFFD;
constexpr char32_t kEllipsis = U'…';

struct Range {
    char32_t first;
    char32_t last;
};

constexpr Range kZeroWidth[] = {
    {0x0300, 0x036F}, {0x0483, 0x0489}, {0x0591, 0x05BD}, {0x0610, 0x061A}, {0x064B, 0x065F},
    {0x1AB0, 0x1AFF}, {0x1DC0, 0x1DFF}, {0x200B, 0x200F}, {0x202A, 0x202E}, {0x2060, 0x2064},
    {0x20D0, 0x20FF}, {0xFE00, 0xFE0F}, {0xFE20, 0xFE2F}, {0xFEFF, 0xFEFF}};

constexpr Range kWide[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2E80, 0x303E},   {0x3041, 0x33FF},
    {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},   {0xAC00, 0xD7A3},
    {0xF900, 0xFAFF},   {0xFE30, 0xFE4F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},
    {0x1F300, 0x1F64F}, {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD}};

template <size_t N> bool InRanges(const Range (&ranges)[N], char32_t c) {
    for (const Range& r : ranges) {
        if (c >= r.first && c <= r.last) {
            return true;
        }
    }
    return false;
}

// Length of the UTF-8 sequence a lead byte starts, or 0 for a bad lead.
int SequenceLength(unsigned char lead) {
    if (lead < 0x80) {
        return 1;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        return 2;
    }
    if (lead >= 0xE0 && lead <= 0xEF) {
        return 3;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        return 4;
    }
    return 0;
}

// One code point from `s` at `i`; advances `i` past what it consumed.
char32_t DecodeOne(std::string_view s, size_t& i) {
    auto lead = static_cast<unsigned char>(s[i]);
    int length = SequenceLength(lead);
    if (length == 0 || i + length > s.size()) {
        ++i;
        return kReplacement;
    }
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (int k = 1; k < length; ++k) {
        auto next = static_cast<unsigned char>(s[i + k]);
        if ((next & 0xC0) != 0x80) {
            i += k;
            return kReplacement;
        }
        c = (c << 6) | (next & 0x3F);
    }
    i += length;
    static constexpr char32_t kMinimum[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kMinimum[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        return kReplacement; // overlong, out of range or a surrogate
    }
    return c;
}

bool IsSpace(char32_t c) {
    return c == U' ' || c == 0x00A0 || c == 0x3000;
}

// Drops the end of `line` until "…" fits within `cols` cells after it.
void EndWithEllipsis(std::u32string& line, int cols) {
    while (!line.empty() && (TextCells::Width(line) + 1 > cols || IsSpace(line.back()))) {
        line.pop_back();
    }
    // A combining mark left at the end would sit on the ellipsis.
    while (!line.empty() && TextCells::Width(line.back()) == 0) {
        line.pop_back();
    }
    if (cols >= 1) {
        line += kEllipsis;
    }
}

class LineBuilder {
public:
    LineBuilder(int cols, size_t limit) : cols_(cols), limit_(limit) {}
    bool Full() const { return lines_.size() > limit_; }
    std::vector<std::u32string>& Lines() { return lines_; }

    void AddWord(std::u32string_view word) {
        int width = TextCells::Width(word);
        int used = TextCells::Width(current_);
        if (!current_.empty() && used + 1 + width <= cols_) {
            current_ += U' ';
            current_ += word;
            return;
        }
        if (!current_.empty()) {
            EndLine();
        }
        if (width <= cols_) {
            current_ = word;
            return;
        }
        for (char32_t c : word) { // longer than a line: break it where it must
            if (!current_.empty() && TextCells::Width(current_) + TextCells::Width(c) > cols_) {
                EndLine();
            }
            current_ += c;
        }
    }
    void EndLine() {
        if (!Full()) {
            lines_.push_back(current_);
        }
        current_.clear();
    }

private:
    int cols_;
    size_t limit_;
    std::u32string current_;
    std::vector<std::u32string> lines_;
};

} // namespace

std::u32string TextCells::Decode(std::string_view text) {
    const std::string utf8 = runtime::StreamSafeText::Cap(text);
    std::u32string out;
    for (size_t i = 0; i < utf8.size();) {
        char32_t c = DecodeOne(utf8, i);
        if (c == U'\t') {
            out += U' ';
        } else if (c == U'\n' || !(c < 0x20 || (c >= 0x7F && c < 0xA0))) {
            out += c;
        }
    }
    return out;
}

int TextCells::Width(char32_t c) {
    if (c < 0x20 || (c >= 0x7F && c < 0xA0) || InRanges(kZeroWidth, c)) {
        return 0;
    }
    return InRanges(kWide, c) ? 2 : 1;
}

int TextCells::Width(std::u32string_view text) {
    int width = 0;
    for (char32_t c : text) {
        width += Width(c);
    }
    return width;
}

std::vector<std::u32string> TextCells::Wrap(std::u32string_view text, int cols, int rows,
                                            runtime::TextWrap wrap) {
    if (cols <= 0 || rows <= 0) {
        return {};
    }
    if (wrap == runtime::TextWrap::SingleLine) {
        rows = 1;
    }
    // One line past the limit is enough to know that something was left out.
    LineBuilder builder(cols, static_cast<size_t>(rows));
    size_t start = 0;
    bool pendingLine = false;
    for (size_t i = 0; i <= text.size() && !builder.Full(); ++i) {
        bool end = i == text.size();
        bool newline = !end && text[i] == U'\n';
        if (end || newline || IsSpace(text[i])) {
            if (i > start) {
                builder.AddWord(text.substr(start, i - start));
                pendingLine = true;
            }
            start = i + 1;
        }
        if (newline && wrap == runtime::TextWrap::Wrap) {
            builder.EndLine();
            pendingLine = false;
        }
    }
    if (pendingLine) {
        builder.EndLine();
    }
    std::vector<std::u32string>& lines = builder.Lines();
    while (!lines.empty() && lines.back().empty() && lines.size() > static_cast<size_t>(rows)) {
        lines.pop_back(); // blank lines past the end hide nothing
    }
    if (lines.size() > static_cast<size_t>(rows)) {
        lines.resize(rows);
        EndWithEllipsis(lines.back(), cols);
    }
    return lines;
}

} // namespace pregonero::platform
