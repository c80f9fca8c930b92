#include "feedserver/sources/HtmlScanner.h"

#include <libxml/HTMLparser.h>

#include <algorithm>
#include <array>
#include <cstring>

namespace pregonero::feeds {

namespace {

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f';
}
bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}
bool IsAlnum(char c) {
    return IsAlpha(c) || IsDigit(c);
}
char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == y; });
}

void AppendUtf8(char32_t c, std::string& out) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Numeric references to C1 controls mean what Windows-1252 puts there.
constexpr std::array<char16_t, 32> kWindows1252 = {
    0x20AC, 0x81,   0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x8D,   0x017D, 0x8F,   0x90,   0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x9D,   0x017E, 0x0178};

char32_t NumericValue(char32_t value) {
    if (value == 0 || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 0xFFFD;
    }
    if (value >= 0x80 && value <= 0x9F) {
        return kWindows1252[value - 0x80];
    }
    return value;
}

// The code point an entity name stands for, or 0. libxml2 knows the names
// of HTML 4; "apos" came later and is common in feeds.
char32_t EntityValue(std::string_view name) {
    if (name == "apos") {
        return '\'';
    }
    char buffer[16];
    if (name.size() >= sizeof buffer) {
        return 0;
    }
    std::memcpy(buffer, name.data(), name.size());
    buffer[name.size()] = '\0';
    const htmlEntityDesc* entity = htmlEntityLookup(reinterpret_cast<const xmlChar*>(buffer));
    return entity == nullptr ? 0 : static_cast<char32_t>(entity->value);
}

// Decodes the reference at text[pos] == '&' into `out`; returns the
// position after it, or pos + 1 with a plain '&' when it is none.
std::size_t DecodeReference(std::string_view text, std::size_t pos, bool inAttribute,
                            std::string& out) {
    std::size_t i = pos + 1;
    if (i < text.size() && text[i] == '#') {
        ++i;
        bool hex = i < text.size() && (text[i] == 'x' || text[i] == 'X');
        if (hex) {
            ++i;
        }
        std::size_t digits = i;
        char32_t value = 0;
        for (; i < text.size(); ++i) {
            char c = text[i];
            unsigned digit = IsDigit(c)                    ? c - '0'
                             : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                             : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                           : 16;
            if (digit >= (hex ? 16u : 10u)) {
                break;
            }
            value = std::min<char32_t>(value * (hex ? 16 : 10) + digit, 0x110000);
        }
        if (i == digits) {
            out.push_back('&');
            return pos + 1;
        }
        if (i < text.size() && text[i] == ';') {
            ++i;
        }
        AppendUtf8(NumericValue(value), out);
        return i;
    }
    std::size_t end = i;
    while (end < text.size() && end - i < 32 && IsAlnum(text[end])) {
        ++end;
    }
    if (end < text.size() && text[end] == ';') {
        if (char32_t value = EntityValue(text.substr(i, end - i)); value != 0) {
            AppendUtf8(value, out);
            return end + 1;
        }
    }
    // Without its ';', only a Latin-1 name is read, the longest that fits;
    // in an attribute not when a letter, digit or '=' follows (a URL's query).
    for (std::size_t stop = std::min(end, i + 8); stop > i + 1; --stop) {
        char32_t value = EntityValue(text.substr(i, stop - i));
        if (value == 0 || value > 0xFF) {
            continue;
        }
        if (inAttribute && stop < text.size() && (IsAlnum(text[stop]) || text[stop] == '=')) {
            break;
        }
        AppendUtf8(value, out);
        return stop;
    }
    out.push_back('&');
    return pos + 1;
}

// Walks the attributes of a tag from `pos` (just after its name), calling
// `visit(name, rawValue)` for each; returns the position of the '>' that
// ends the tag (npos when the input ends first) and sets `selfClosing`.
template <typename Visit>
std::size_t ReadAttributes(std::string_view s, std::size_t pos, bool& selfClosing, Visit&& visit) {
    selfClosing = false;
    std::size_t n = s.size();
    while (true) {
        while (pos < n && IsSpace(s[pos])) {
            ++pos;
        }
        if (pos >= n) {
            return std::string_view::npos;
        }
        if (s[pos] == '>') {
            return pos;
        }
        if (s[pos] == '/') {
            ++pos;
            if (pos < n && s[pos] == '>') {
                selfClosing = true;
                return pos;
            }
            continue;
        }
        std::size_t nameStart = pos++;
        while (pos < n && !IsSpace(s[pos]) && s[pos] != '/' && s[pos] != '>' && s[pos] != '=') {
            ++pos;
        }
        std::string_view name = s.substr(nameStart, pos - nameStart);
        while (pos < n && IsSpace(s[pos])) {
            ++pos;
        }
        std::string_view value;
        if (pos < n && s[pos] == '=') {
            ++pos;
            while (pos < n && IsSpace(s[pos])) {
                ++pos;
            }
            if (pos >= n) {
                return std::string_view::npos;
            }
            if (s[pos] == '"' || s[pos] == '\'') {
                std::size_t close = s.find(s[pos], pos + 1);
                if (close == std::string_view::npos) {
                    return std::string_view::npos;
                }
                value = s.substr(pos + 1, close - pos - 1);
                pos = close + 1;
            } else {
                std::size_t start = pos;
                while (pos < n && !IsSpace(s[pos]) && s[pos] != '>') {
                    ++pos;
                }
                value = s.substr(start, pos - start);
            }
        }
        visit(name, value);
    }
}

// Elements whose content is text, not markup; `decoded` when references in
// it count.
struct RawText {
    std::string_view name;
    bool decoded;
};
constexpr RawText kRawText[] = {{"iframe", false},   {"noembed", false}, {"noframes", false},
                                {"noscript", false}, {"script", false},  {"style", false},
                                {"textarea", true},  {"title", true},    {"xmp", false}};

const RawText* RawTextOf(std::string_view name) {
    for (const RawText& raw : kRawText) {
        if (raw.name == name) {
            return &raw;
        }
    }
    return nullptr;
}

// Position of "</name" ending raw text from `pos`, or the input's end.
std::size_t RawTextEnd(std::string_view s, std::size_t pos, std::string_view name) {
    while ((pos = s.find("</", pos)) != std::string_view::npos) {
        std::size_t after = pos + 2 + name.size();
        if (after <= s.size() && EqualsIgnoringCase(s.substr(pos + 2, name.size()), name) &&
            (after == s.size() || IsSpace(s[after]) || s[after] == '/' || s[after] == '>')) {
            return pos;
        }
        pos += 2;
    }
    return s.size();
}

// Position after the next '>' from `pos`, or the input's end.
std::size_t After(std::string_view s, std::size_t pos, char c) {
    std::size_t found = s.find(c, pos);
    return found == std::string_view::npos ? s.size() : found + 1;
}

class Scanner {
public:
    Scanner(std::string_view html, HtmlScanner::Handler& handler) : s_(html), handler_(handler) {}

    void Run() {
        std::size_t pos = 0;
        while (pos < s_.size()) {
            std::size_t lt = s_.find('<', pos);
            if (lt == std::string_view::npos) {
                Text(s_.substr(pos), true);
                return;
            }
            Text(s_.substr(pos, lt - pos), true);
            pos = Markup(lt);
        }
    }

private:
    void Text(std::string_view text, bool decoded) {
        if (text.empty()) {
            return;
        }
        if (!decoded || text.find('&') == std::string_view::npos) {
            handler_.Text(text);
            return;
        }
        decoded_.clear();
        HtmlScanner::Decode(text, false, decoded_);
        handler_.Text(decoded_);
    }

    // Reads the name starting at `pos` into name_; returns its end.
    std::size_t Name(std::size_t pos) {
        std::size_t end = pos;
        while (end < s_.size() && !IsSpace(s_[end]) && s_[end] != '/' && s_[end] != '>') {
            ++end;
        }
        name_.assign(s_, pos, end - pos);
        for (char& c : name_) {
            c = Lower(c);
        }
        return end;
    }

    // Reads the markup at s_[lt] == '<'; returns where text resumes.
    std::size_t Markup(std::size_t lt) {
        std::size_t n = s_.size();
        char next = lt + 1 < n ? s_[lt + 1] : '\0';
        if (IsAlpha(next)) {
            return StartTag(lt);
        }
        if (next == '/') {
            if (lt + 2 < n && IsAlpha(s_[lt + 2])) {
                std::size_t nameEnd = Name(lt + 2);
                bool selfClosing = false;
                std::size_t gt = ReadAttributes(s_, nameEnd, selfClosing,
                                                [](std::string_view, std::string_view) {});
                if (gt == std::string_view::npos) {
                    return n;
                }
                handler_.EndTag(name_);
                return gt + 1;
            }
            return After(s_, lt + 2, '>'); // "</>" and bogus comments
        }
        if (next == '!') {
            if (s_.compare(lt + 2, 2, "--") == 0) {
                std::size_t body = lt + 4;
                if (s_.compare(body, 1, ">") == 0) {
                    return body + 1;
                }
                if (s_.compare(body, 2, "->") == 0) {
                    return body + 2;
                }
                for (std::size_t dash = s_.find("--", body); dash != std::string_view::npos;
                     dash = s_.find("--", dash + 1)) {
                    if (s_.compare(dash + 2, 1, ">") == 0) {
                        return dash + 3;
                    }
                    if (s_.compare(dash + 2, 2, "!>") == 0) {
                        return dash + 4;
                    }
                }
                return n;
            }
            return After(s_, lt + 2, '>'); // doctypes, CDATA sections
        }
        if (next == '?') {
            return After(s_, lt + 2, '>');
        }
        Text(s_.substr(lt, 1), false);
        return lt + 1;
    }

    std::size_t StartTag(std::size_t lt) {
        std::size_t nameEnd = Name(lt + 1);
        bool selfClosing = false;
        std::size_t gt =
            ReadAttributes(s_, nameEnd, selfClosing, [](std::string_view, std::string_view) {});
        if (gt == std::string_view::npos) {
            return s_.size();
        }
        HtmlScanner::Tag tag(name_, s_.substr(nameEnd, gt + 1 - nameEnd), selfClosing);
        handler_.StartTag(tag);
        const RawText* raw = RawTextOf(name_);
        if (raw == nullptr) {
            return gt + 1;
        }
        std::size_t end = RawTextEnd(s_, gt + 1, raw->name);
        Text(s_.substr(gt + 1, end - gt - 1), raw->decoded);
        return end;
    }

    std::string_view s_;
    HtmlScanner::Handler& handler_;
    std::string name_;
    std::string decoded_;
};

} // namespace

std::optional<std::string> HtmlScanner::Tag::Attribute(std::string_view name) const {
    std::optional<std::string> found;
    bool selfClosing = false;
    ReadAttributes(attributes_, 0, selfClosing, [&](std::string_view key, std::string_view value) {
        if (!found && EqualsIgnoringCase(key, name)) {
            found.emplace();
            Decode(value, true, *found);
        }
    });
    return found;
}

void HtmlScanner::Scan(std::string_view html, Handler& handler) {
    Scanner(html, handler).Run();
}

void HtmlScanner::Decode(std::string_view text, bool inAttribute, std::string& out) {
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t amp = text.find('&', pos);
        if (amp == std::string_view::npos) {
            out.append(text.substr(pos));
            return;
        }
        out.append(text.substr(pos, amp - pos));
        pos = DecodeReference(text, amp, inAttribute, out);
    }
}

} // namespace pregonero::feeds
