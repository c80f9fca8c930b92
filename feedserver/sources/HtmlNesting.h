#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pregonero::feeds {

// Bounds how deep an HTML body nests before an HTML5 parser sees it. Tags
// that would open an element past `kMaxDepth` levels (or more than
// `kMaxFormatting` unclosed formatting elements, which a parser re-opens in
// every following block) are left out with their end tags; their text stays.
// Hostile bodies of a million nested tags thus cost the parser no more than
// an ordinary page, and nothing downstream recurses deeply.
class HtmlNesting {
public:
    static constexpr std::size_t kMaxDepth = 64;
    static constexpr std::size_t kMaxFormatting = 12;

    static std::string Limit(std::string_view html);
};

} // namespace pregonero::feeds
