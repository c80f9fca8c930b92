#include "feedserver/sources/TextWriter.h"

#include <cstdint>
#include <cstring>

namespace pregonero::feeds {

namespace {

// Bytes of the well-formed UTF-8 sequence starting at text[i] (a lead byte
// of 0x80 or more), or 0.
std::size_t SequenceLength(std::string_view text, std::size_t i) {
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    unsigned char lead = at(i);
    std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                        : 0;
    if (length == 0 || i + length > text.size()) {
        return 0;
    }
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead == 0xE0) {
        low = 0xA0; // overlong
    } else if (lead == 0xED) {
        high = 0x9F; // surrogates
    } else if (lead == 0xF0) {
        low = 0x90; // overlong
    } else if (lead == 0xF4) {
        high = 0x8F; // past U+10FFFF
    }
    if (at(i + 1) < low || at(i + 1) > high) {
        return 0;
    }
    for (std::size_t k = 2; k < length; ++k) {
        if ((at(i + k) & 0xC0) != 0x80) {
            return 0;
        }
    }
    return length;
}

// Whether the eight bytes at `p` can stay in a run as they are: printable
// ASCII and two-byte letters of Latin scripts (U+00C0 to U+07FF), with
// single spaces between words, none first when `runStarts` and none last
// (what follows may be another space).
bool PlainWords(const char* p, bool runStarts) {
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    constexpr std::uint64_t kHigh = 0x8080808080808080u;
    std::uint64_t w = 0;
    std::memcpy(&w, p, 8);
    auto hasZero = [&](std::uint64_t v) { return ((v - kOnes) & ~v & kHigh) != 0; };
    bool controls = ((w - kOnes * 0x20) & ~w & kHigh) != 0 || hasZero(w ^ (kOnes * 0x7F));
    // Bit 7 of each byte says what its bits 6 and 5 and its low five bits are.
    std::uint64_t high = w & kHigh;
    std::uint64_t bit6 = (w << 1) & kHigh;
    std::uint64_t bit5 = (w << 2) & kHigh;
    std::uint64_t lowAtLeast3 = (((w & (kOnes * 0x1F)) + kOnes * 0x1D) << 2) & kHigh;
    std::uint64_t continuations = high & ~bit6;
    std::uint64_t leads = high & bit6;
    std::uint64_t twoByteLeads = leads & ~bit5 & lowAtLeast3; // 0xC3 to 0xDF
    bool letters =
        leads == twoByteLeads && (twoByteLeads << 8) == continuations && (twoByteLeads >> 56) == 0;
    std::uint64_t spaces = w ^ (kOnes * 0x20); // zero bytes where the spaces are
    bool spacePairOrLast = hasZero(spaces | (spaces >> 8));
    bool spaceFirst = (spaces & 0xFF) == 0;
    return !controls && letters && !spacePairOrLast && !(runStarts && spaceFirst);
}

} // namespace

void TextWriter::Emit(std::string_view piece) {
    if (Full()) {
        return;
    }
    if (pendingBreak_ || pendingBullet_) {
        if (!text_.empty()) {
            text_.push_back(multiLine_ ? '\n' : ' ');
        }
        if (pendingBullet_ && multiLine_) {
            text_.append("• ");
        }
        pendingBreak_ = pendingBullet_ = pendingSpace_ = false;
    } else if (pendingSpace_) {
        if (!text_.empty() && text_.back() != '\n') {
            text_.push_back(' ');
        }
        pendingSpace_ = false;
    }
    text_.append(piece);
}

void TextWriter::Append(std::string_view text) {
    std::size_t i = 0;
    std::size_t runStart = 0;
    auto flush = [&](std::size_t end) {
        if (end > runStart) {
            Emit(text.substr(runStart, end - runStart));
        }
    };
    while (i < text.size()) {
        if (i + 8 <= text.size() && PlainWords(text.data() + i, i == runStart)) {
            i += 8;
            continue;
        }
        unsigned char c = static_cast<unsigned char>(text[i]);
        // Printable ASCII, a single space between words and the two-byte
        // letters of Latin scripts stay in the run without a closer look.
        if (c > ' ' && c < 0x7F) {
            ++i;
            continue;
        }
        if (c == ' ' && i > runStart && i + 1 < text.size() &&
            ((static_cast<unsigned char>(text[i + 1]) > ' ' &&
              static_cast<unsigned char>(text[i + 1]) < 0x7F) ||
             (static_cast<unsigned char>(text[i + 1]) >= 0xC3 &&
              static_cast<unsigned char>(text[i + 1]) <= 0xDF))) {
            ++i;
            continue;
        }
        if (c >= 0xC3 && c <= 0xDF && i + 1 < text.size() &&
            (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80) {
            i += 2;
            continue;
        }
        std::size_t width = 0; // bytes of a character to drop or turn into a space
        bool space = false;
        if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v') {
            width = 1;
            space = true;
        } else if (c < 0x20 || c == 0x7F) {
            width = 1;
        } else if (c == 0xC2 && i + 1 < text.size()) {
            unsigned char next = static_cast<unsigned char>(text[i + 1]);
            if (next == 0xA0) { // no-break space
                width = 2;
                space = true;
            } else if (next >= 0x80 && next <= 0x9F) { // C1 controls
                width = 2;
            }
        } else if (c == 0xE2 && i + 2 < text.size() &&
                   static_cast<unsigned char>(text[i + 1]) == 0x80 &&
                   (static_cast<unsigned char>(text[i + 2]) == 0xAF ||
                    (static_cast<unsigned char>(text[i + 2]) >= 0x80 &&
                     static_cast<unsigned char>(text[i + 2]) <= 0x8A))) {
            width = 3; // the typographic spaces
            space = true;
        }
        if (width == 0 && c >= 0x80) {
            std::size_t length = SequenceLength(text, i);
            if (length == 0) {
                // Not UTF-8: the replacement character stands for the byte.
                flush(i);
                Emit("\xEF\xBF\xBD");
                runStart = ++i;
                continue;
            }
            i += length;
            continue;
        }
        if (width == 0) {
            ++i;
            continue;
        }
        flush(i);
        if (space) {
            pendingSpace_ = true;
        }
        i += width;
        runStart = i;
    }
    flush(text.size());
}

void TextWriter::LineBreak() {
    if (!text_.empty()) {
        pendingBreak_ = true;
    }
}

void TextWriter::ListItem() {
    pendingBullet_ = true;
}

std::string_view TextWriter::Clip(std::string_view text, std::size_t bytes) {
    if (text.size() <= bytes) {
        return text;
    }
    // Back up over continuation bytes to the start of the cut character.
    std::size_t cut = bytes;
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    return text.substr(0, cut);
}

std::string TextWriter::Take() {
    if (text_.size() > kMaxBytes) {
        text_.resize(Clip(text_).size());
    }
    while (!text_.empty() && (text_.back() == ' ' || text_.back() == '\n')) {
        text_.pop_back();
    }
    pendingSpace_ = pendingBreak_ = pendingBullet_ = false;
    return std::move(text_);
}

} // namespace pregonero::feeds
