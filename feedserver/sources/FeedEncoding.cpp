#include "feedserver/sources/FeedEncoding.h"

#include <array>
#include <cstdint>
#include <cstring>

namespace pregonero::feeds {

namespace {

std::string LowerTrimmed(std::string_view text) {
    std::string lower;
    for (char c : text) {
        if (c == '"' || c == '\'' || c == ' ' || c == '\t') {
            continue;
        }
        lower.push_back(c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    }
    return lower;
}

// The encoding named by `<?xml ... encoding="X"?>` at the start, or empty.
std::string Declared(std::string_view bytes) {
    if (bytes.substr(0, 5) != "<?xml") {
        return {};
    }
    std::size_t end = bytes.find("?>");
    if (end == std::string_view::npos || end > 200) {
        return {};
    }
    std::string_view declaration = bytes.substr(0, end);
    std::size_t at = declaration.find("encoding");
    if (at == std::string_view::npos) {
        return {};
    }
    std::size_t open = declaration.find_first_of("\"'", at);
    if (open == std::string_view::npos) {
        return {};
    }
    std::size_t close = declaration.find(declaration[open], open + 1);
    if (close == std::string_view::npos) {
        return {};
    }
    return LowerTrimmed(declaration.substr(open + 1, close - open - 1));
}

std::string FromContentType(std::string_view contentType) {
    std::string lower = LowerTrimmed(contentType);
    std::size_t at = lower.find("charset=");
    if (at == std::string::npos) {
        return {};
    }
    std::string charset = lower.substr(at + 8);
    std::size_t end = charset.find(';');
    return end == std::string::npos ? charset : charset.substr(0, end);
}

bool IsWesternLabel(const std::string& label) {
    return label.empty() || label == "utf-8" || label == "utf8" || label == "iso-8859-1" ||
           label == "iso8859-1" || label == "latin1" || label == "latin-1" || label == "l1" ||
           label == "us-ascii" || label == "ascii" || label == "windows-1252" ||
           label == "cp1252" || label == "x-cp1252";
}

// The parser tells these by their first bytes, not by a label.
bool IsWideLabel(const std::string& label) {
    for (const char* wide :
         {"utf-16", "utf16", "utf-32", "utf32", "ucs-2", "ucs2", "ucs-4", "ucs4", "iso-10646"}) {
        if (label.rfind(wide, 0) == 0) {
            return true;
        }
    }
    return false;
}

// Registered charset names are at most 40 letters, digits and a few marks;
// anything else in a header is no name the parser should be handed.
bool IsCharsetName(const std::string& label) {
    if (label.empty() || label.size() > 40) {
        return false;
    }
    for (char c : label) {
        bool letter = (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
        if (!letter && c != '-' && c != '_' && c != '.' && c != ':' && c != '+') {
            return false;
        }
    }
    return true;
}

bool IsAscii(std::string_view bytes) {
    for (char c : bytes) {
        if (static_cast<unsigned char>(c) >= 0x80) {
            return false;
        }
    }
    return true;
}

// Windows-1252's 0x80-0x9F; 0 where the code page leaves a hole (read as-is).
constexpr std::array<std::uint16_t, 32> kHigh{
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

void AppendUtf8(std::string& out, std::uint32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

std::string FromWindows1252(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 8);
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x80 && byte < 0xA0 && kHigh[byte - 0x80] != 0) {
            AppendUtf8(out, kHigh[byte - 0x80]);
        } else {
            AppendUtf8(out, byte);
        }
    }
    return out;
}

} // namespace

bool FeedEncoding::IsValidUtf8(std::string_view bytes) {
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const unsigned char* end = p + bytes.size();
    while (p < end) {
        if (*p < 0x80) {
            // Feeds are mostly ASCII: skip it eight bytes at a time.
            std::uint64_t word = 0;
            while (end - p >= 8 && (std::memcpy(&word, p, 8), (word & 0x8080808080808080u) == 0)) {
                p += 8;
            }
            while (p < end && *p < 0x80) {
                ++p;
            }
            continue;
        }
        std::size_t length = 0;
        std::uint32_t code = 0;
        if ((*p & 0xE0) == 0xC0) {
            length = 2;
            code = *p & 0x1F;
        } else if ((*p & 0xF0) == 0xE0) {
            length = 3;
            code = *p & 0x0F;
        } else if ((*p & 0xF8) == 0xF0) {
            length = 4;
            code = *p & 0x07;
        } else {
            return false;
        }
        if (static_cast<std::size_t>(end - p) < length) {
            return false;
        }
        for (std::size_t i = 1; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (p[i] & 0x3F);
        }
        static constexpr std::uint32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kMin[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        p += length;
    }
    return true;
}

FeedEncoding::Result FeedEncoding::Decide(std::string_view bytes, std::string_view contentType) {
    Result result;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
        bytes.remove_prefix(3);
        result.text = bytes;
        if (!IsValidUtf8(bytes)) {
            result.converted = FromWindows1252(bytes);
            result.text = result.converted;
            result.mislabelled = true;
        }
        return result;
    }
    if (bytes.substr(0, 2) == "\xFF\xFE" || bytes.substr(0, 2) == "\xFE\xFF") {
        result.text = bytes;
        result.utf8 = false; // UTF-16: the parser reads its byte-order mark
        return result;
    }
    std::string label = Declared(bytes);
    bool declared = !label.empty();
    if (!declared) {
        label = FromContentType(contentType);
    }
    result.text = bytes;
    if (!IsWesternLabel(label)) {
        // A declaration the parser reads itself. The server's charset it is
        // given, unless the bytes are valid UTF-8: given no name, the parser
        // reads those as UTF-8 (or as UTF-16 when their first bytes say so).
        result.utf8 = false;
        if (!declared && !IsWideLabel(label) && IsCharsetName(label)) {
            if (IsValidUtf8(bytes)) {
                result.mislabelled = !IsAscii(bytes);
            } else {
                result.charset = label;
            }
        }
        return result;
    }
    bool valid = IsValidUtf8(bytes);
    if (valid) {
        bool ascii = IsAscii(bytes);
        result.mislabelled = !ascii && !label.empty() && label != "utf-8" && label != "utf8";
        if (result.mislabelled) {
            result.converted = std::string(bytes);
            result.text = result.converted;
        }
        return result;
    }
    result.converted = FromWindows1252(bytes);
    result.text = result.converted;
    // Only a Windows-1252 label was right about such bytes; ISO-8859-1 has no
    // printable characters at 0x80-0x9F and ASCII none above 0x7F.
    bool windowsOnly = false;
    for (char c : bytes) {
        auto byte = static_cast<unsigned char>(c);
        windowsOnly = windowsOnly || (byte >= 0x80 && byte < 0xA0);
    }
    bool latin1 = label == "iso-8859-1" || label == "iso8859-1" || label == "latin1" ||
                  label == "latin-1" || label == "l1";
    result.mislabelled = !(label == "windows-1252" || label == "cp1252" || label == "x-cp1252") &&
                         !(latin1 && !windowsOnly);
    return result;
}

} // namespace pregonero::feeds
