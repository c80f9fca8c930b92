#pragma once

#include <cstddef>
#include <string_view>

namespace pregonero::fuzz {

// Well-formed UTF-8 by the byte ranges of the Unicode standard's table of
// well-formed sequences, written apart from the program's own decoder so the
// two can be checked against each other.
inline bool IsWellFormedUtf8(std::string_view s) {
    auto at = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    auto in = [](unsigned char b, unsigned lo, unsigned hi) { return b >= lo && b <= hi; };
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char b0 = at(i);
        std::size_t n = 0;
        unsigned lo = 0x80, hi = 0xBF; // the allowed range of the second byte
        if (b0 <= 0x7F) {
            n = 1;
        } else if (in(b0, 0xC2, 0xDF)) {
            n = 2;
        } else if (b0 == 0xE0) {
            n = 3, lo = 0xA0;
        } else if (in(b0, 0xE1, 0xEC) || in(b0, 0xEE, 0xEF)) {
            n = 3;
        } else if (b0 == 0xED) {
            n = 3, hi = 0x9F;
        } else if (b0 == 0xF0) {
            n = 4, lo = 0x90;
        } else if (in(b0, 0xF1, 0xF3)) {
            n = 4;
        } else if (b0 == 0xF4) {
            n = 4, hi = 0x8F;
        } else {
            return false;
        }
        if (s.size() - i < n) {
            return false;
        }
        if (n > 1 && !in(at(i + 1), lo, hi)) {
            return false;
        }
        for (std::size_t k = 2; k < n; ++k) {
            if (!in(at(i + k), 0x80, 0xBF)) {
                return false;
            }
        }
        i += n;
    }
    return true;
}

// UTF-16 with every surrogate paired.
inline bool IsWellFormedUtf16(std::u16string_view s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char16_t c = s[i];
        if (c >= 0xD800 && c <= 0xDBFF) {
            if (i + 1 == s.size() || s[i + 1] < 0xDC00 || s[i + 1] > 0xDFFF) {
                return false;
            }
            ++i;
        } else if (c >= 0xDC00 && c <= 0xDFFF) {
            return false;
        }
    }
    return true;
}

} // namespace pregonero::fuzz
