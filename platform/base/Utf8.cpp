#include "platform/base/Utf8.h"

#include <cstdint>

namespace pregonero::text {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at `i`; returns false on a malformed sequence and
// sets `length` to the number of bytes to skip.
bool DecodeOne(std::string_view s, std::size_t i, char32_t& cp, std::size_t& length) {
    auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    unsigned char b0 = byte(i);
    length = 1;
    if (b0 < 0x80) {
        cp = b0;
        return true;
    }
    std::size_t need;
    char32_t min;
    if ((b0 & 0xE0) == 0xC0) {
        need = 1;
        cp = b0 & 0x1F;
        min = 0x80;
    } else if ((b0 & 0xF0) == 0xE0) {
        need = 2;
        cp = b0 & 0x0F;
        min = 0x800;
    } else if ((b0 & 0xF8) == 0xF0) {
        need = 3;
        cp = b0 & 0x07;
        min = 0x10000;
    } else {
        return false;
    }
    for (std::size_t k = 1; k <= need; ++k) {
        if (i + k >= s.size() || (byte(i + k) & 0xC0) != 0x80) {
            length = k;
            return false;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    length = need + 1;
    return cp >= min && cp <= 0x10FFFF && !(cp >= 0xD800 && cp <= 0xDFFF);
}

// Writes through a pointer into room sized up front: no sequence yields more
// UTF-16 units than it has bytes, so `utf8.size()` units always suffice.
template <bool Strict> bool Convert(std::string_view utf8, std::u16string& out) {
    const std::size_t start = out.size();
    out.resize(start + utf8.size());
    char16_t* next = out.data() + start;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto b0 = static_cast<unsigned char>(utf8[i]);
        if (b0 < 0x80) { // most feed text is ASCII
            *next++ = b0;
            ++i;
            continue;
        }
        char32_t cp = 0;
        std::size_t length = 0;
        if (!DecodeOne(utf8, i, cp, length)) {
            if (Strict) {
                out.resize(start);
                return false;
            }
            cp = kReplacement;
        }
        if (cp < 0x10000) {
            *next++ = static_cast<char16_t>(cp);
        } else {
            cp -= 0x10000;
            *next++ = static_cast<char16_t>(0xD800 + (cp >> 10));
            *next++ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        }
        i += length;
    }
    out.resize(static_cast<std::size_t>(next - out.data()));
    return true;
}

// One code point (at most U+10FFFF) as UTF-8, a byte at a time to `put`.
template <typename Put> void Encode(std::uint32_t cp, Put put) {
    if (cp < 0x80) {
        put(cp);
    } else if (cp < 0x800) {
        put(0xC0 | (cp >> 6));
        put(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        put(0xE0 | (cp >> 12));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    } else {
        put(0xF0 | (cp >> 18));
        put(0x80 | ((cp >> 12) & 0x3F));
        put(0x80 | ((cp >> 6) & 0x3F));
        put(0x80 | (cp & 0x3F));
    }
}

} // namespace

std::optional<std::u16string> Utf8ToUtf16Strict(std::string_view utf8) {
    std::u16string out;
    if (!Convert<true>(utf8, out)) {
        return std::nullopt;
    }
    return out;
}

std::u16string Utf8ToUtf16Lenient(std::string_view utf8) {
    std::u16string out;
    Convert<false>(utf8, out);
    return out;
}

// Two passes: the exact length first, so the string is allocated once at its
// final size (it is often kept, so no spare capacity either), then the bytes.
std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::size_t length = 0;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t unit = utf16[i];
        if (unit < 0x80) {
            length += 1;
        } else if (unit < 0x800) {
            length += 2;
        } else if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < utf16.size() &&
                   utf16[i + 1] >= 0xDC00 && utf16[i + 1] <= 0xDFFF) {
            length += 4;
            ++i;
        } else {
            length += 3; // the rest of the plane, or U+FFFD for a lone surrogate
        }
    }
    std::string out(length, '\0');
    char* next = out.data();
    auto put = [&next](unsigned value) { *next++ = static_cast<char>(value); };
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp < 0x80) { // most text is ASCII
            put(cp);
            continue;
        }
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        Encode(cp, put);
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t codePoint) {
    Encode(static_cast<std::uint32_t>(codePoint),
           [&out](unsigned value) { out += static_cast<char>(value); });
}

} // namespace pregonero::text
