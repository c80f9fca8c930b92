#pragma once

#include "platform/runtime/rendering/PaintTypes.h"

#include <string>
#include <string_view>
#include <vector>

namespace pregonero::platform {

// Text as the terminal shows it: decoded, measured in cells, and wrapped on
// word boundaries into a cell rectangle, ending with "…" when it does not fit.
class TextCells {
public:
    // Invalid UTF-8 becomes U+FFFD. Control characters are dropped (tabs
    // become spaces, newlines stay) so feed text can never smuggle a
    // terminal escape sequence onto the screen. Runs of combining marks are
    // capped first (StreamSafeText).
    static std::u32string Decode(std::string_view utf8);
    // Cells a character takes: 0 for combining marks and zero-width
    // characters, 2 for East Asian wide ones and emoji, else 1.
    static int Width(char32_t c);
    static int Width(std::u32string_view text);
    // At most `rows` lines of at most `cols` cells each. Words longer than a
    // line are broken; the last line ends with "…" when text was left out.
    static std::vector<std::u32string> Wrap(std::u32string_view text, int cols, int rows,
                                            runtime::TextWrap wrap);
};

} // namespace pregonero::platform
