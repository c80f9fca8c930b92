#include "feedserver/sources/HtmlNesting.h"

#include <algorithm>
#include <array>
#include <map>
#include <vector>

namespace pregonero::feeds {

namespace {

bool IsAlpha(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}
bool IsNameChar(char c) {
    return IsAlpha(c) || (c >= '0' && c <= '9') || c == '-' || c == ':';
}
char Lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool OneOf(const std::string& name, std::initializer_list<const char*> names) {
    return std::any_of(names.begin(), names.end(), [&](const char* n) { return name == n; });
}

bool IsVoid(const std::string& name) {
    return OneOf(name, {"area", "base", "br", "col", "embed", "hr", "img", "input", "link", "meta",
                        "param", "source", "track", "wbr", "keygen", "basefont", "bgsound", "frame",
                        "image"});
}

bool IsFormatting(const std::string& name) {
    return OneOf(name, {"a", "b", "big", "code", "em", "font", "i", "nobr", "s", "small", "strike",
                        "strong", "tt", "u"});
}

// Elements whose content is text up to their own end tag.
bool IsRawText(const std::string& name) {
    return OneOf(name,
                 {"script", "style", "textarea", "title", "xmp", "iframe", "noembed", "noframes"});
}

// An element of these closes an open one of its own kind.
bool ClosesItsKind(const std::string& name) {
    return OneOf(name, {"p", "li", "dt", "dd", "option", "tr", "td", "th"});
}

// Position of the '>' ending the tag that starts at `pos`, quotes respected;
// npos when the tag never ends.
std::size_t TagEnd(std::string_view html, std::size_t pos) {
    char quote = 0;
    for (; pos < html.size(); ++pos) {
        char c = html[pos];
        if (quote != 0) {
            if (c == quote) {
                quote = 0;
            }
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '>') {
            return pos;
        }
    }
    return std::string_view::npos;
}

// Position of "</name" (any case) at or after `pos`, or npos.
std::size_t FindEndTag(std::string_view html, std::size_t pos, const std::string& name) {
    while ((pos = html.find("</", pos)) != std::string_view::npos) {
        std::size_t i = 0;
        while (i < name.size() && pos + 2 + i < html.size() &&
               Lower(html[pos + 2 + i]) == name[i]) {
            ++i;
        }
        if (i == name.size()) {
            return pos;
        }
        pos += 2;
    }
    return std::string_view::npos;
}

} // namespace

std::string HtmlNesting::Limit(std::string_view html) {
    std::string out;
    out.reserve(html.size());
    std::vector<std::string> open;
    std::map<std::string, std::size_t> dropped;
    std::size_t formatting = 0;
    std::size_t pos = 0;
    while (pos < html.size()) {
        std::size_t lt = html.find('<', pos);
        if (lt == std::string_view::npos) {
            out.append(html.substr(pos));
            break;
        }
        out.append(html.substr(pos, lt - pos));
        pos = lt;
        bool endTag = pos + 1 < html.size() && html[pos + 1] == '/';
        std::size_t nameStart = pos + (endTag ? 2 : 1);
        if (nameStart >= html.size() || !IsAlpha(html[nameStart])) {
            if (html.compare(pos, 4, "<!--") == 0) {
                std::size_t close = html.find("-->", pos + 4);
                std::size_t stop = close == std::string_view::npos ? html.size() : close + 3;
                out.append(html.substr(pos, stop - pos));
                pos = stop;
            } else {
                out.push_back('<');
                ++pos;
            }
            continue;
        }
        std::size_t nameEnd = nameStart;
        while (nameEnd < html.size() && IsNameChar(html[nameEnd])) {
            ++nameEnd;
        }
        std::string name;
        for (std::size_t i = nameStart; i < nameEnd && name.size() < 32; ++i) {
            name.push_back(Lower(html[i]));
        }
        std::size_t gt = TagEnd(html, nameEnd);
        if (gt == std::string_view::npos) {
            out.append(html.substr(pos)); // an unfinished tag: the parser drops it
            break;
        }
        std::string_view tag = html.substr(pos, gt + 1 - pos);
        pos = gt + 1;
        if (endTag) {
            auto droppedIt = dropped.find(name);
            if (droppedIt != dropped.end() && droppedIt->second > 0) {
                --droppedIt->second;
                continue;
            }
            auto it = std::find(open.rbegin(), open.rend(), name);
            if (it != open.rend()) {
                open.erase(std::next(it).base(), open.end());
            }
            if (IsFormatting(name) && formatting > 0) {
                --formatting;
            }
            out.append(tag);
            continue;
        }
        if (IsVoid(name)) {
            out.append(tag);
            continue;
        }
        if (IsRawText(name)) {
            // Its text is not markup: copy it through to its end tag unread.
            std::size_t close = FindEndTag(html, pos, name);
            std::size_t stop = close == std::string_view::npos ? html.size() : close;
            out.append(tag);
            out.append(html.substr(pos, stop - pos));
            pos = stop;
            continue;
        }
        if (ClosesItsKind(name) && !open.empty() && open.back() == name) {
            open.pop_back();
        }
        bool isFormatting = IsFormatting(name);
        if (open.size() >= kMaxDepth || (isFormatting && formatting >= kMaxFormatting)) {
            ++dropped[name];
            continue;
        }
        if (isFormatting) {
            ++formatting;
        }
        open.push_back(name);
        out.append(tag);
    }
    return out;
}

} // namespace pregonero::feeds
