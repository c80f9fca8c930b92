#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pregonero::runtime {

// Text as every front end may lay it out: no run of more than kMaxMarks
// combining marks in a row (Unicode's stream-safe rule, counting every mark,
// enclosing ones and variation selectors too). A letter under tens of
// thousands of accents takes the shaping library seconds and can abort it;
// no real script stacks more than a handful.
class StreamSafeText {
public:
    static constexpr std::size_t kMaxMarks = 30;

    // `utf8` with every mark past the 30th of a run left out. Everything
    // else, invalid bytes included, passes through unchanged; an invalid byte
    // ends a run, as the character that stands in for it would.
    static std::string Cap(std::string_view utf8);
    // Whether Cap would change `utf8`.
    static bool NeedsCap(std::string_view utf8);
};

} // namespace pregonero::runtime
