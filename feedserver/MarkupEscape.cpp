#include "feedserver/MarkupEscape.h"

namespace pregonero::feeds {

std::string MarkupEscape::Text(const std::string& text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        switch (c) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\r':
            out += ' ';
            break;
        default:
            if (static_cast<unsigned char>(c) >= 0x20 || c == '\n' || c == '\t') {
                out += c;
            }
        }
    }
    return out;
}

} // namespace pregonero::feeds
