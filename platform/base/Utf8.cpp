#include "platform/base/Utf8.h"

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

bool Convert(std::string_view utf8, bool strict, std::u16string& out) {
    for (std::size_t i = 0; i < utf8.size();) {
        char32_t cp = 0;
        std::size_t length = 0;
        if (!DecodeOne(utf8, i, cp, length)) {
            if (strict) {
                return false;
            }
            cp = kReplacement;
        }
        if (cp < 0x10000) {
            out += static_cast<char16_t>(cp);
        } else {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        }
        i += length;
    }
    return true;
}

} // namespace

std::optional<std::u16string> Utf8ToUtf16Strict(std::string_view utf8) {
    std::u16string out;
    if (!Convert(utf8, true, out)) {
        return std::nullopt;
    }
    return out;
}

std::u16string Utf8ToUtf16Lenient(std::string_view utf8) {
    std::u16string out;
    Convert(utf8, false, out);
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = kReplacement;
        }
        AppendUtf8(out, cp);
    }
    return out;
}

void AppendUtf8(std::string& out, char32_t cp) {
    auto put = [&out](char32_t value) { out += static_cast<char>(value); };
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

} // namespace pregonero::text
