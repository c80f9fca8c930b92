#pragma once

#include <string>

namespace pregonero::feeds {

// Text made safe inside XML or HTML, in element content and in quoted
// attributes alike.
class MarkupEscape {
public:
    // &, <, > and " escaped; control characters XML 1.0 forbids dropped (a
    // carriage return becomes a space), tabs and line breaks kept.
    static std::string Text(const std::string& text);
};

} // namespace pregonero::feeds
