#pragma once

#include <string>
#include <string_view>

namespace pregonero::feeds {

// URLs as a feed gives them: relative references resolved against a base, and
// only absolute http or https URLs handed on.
class SourceUrl {
public:
    // `reference` (surrounding whitespace ignored) resolved against `base`.
    // Empty when the result is not an absolute http or https URL or cannot be
    // parsed; `base` may be empty, then only absolute references pass.
    static std::string Resolve(const std::string& base, std::string_view reference);

    // `reference` resolved against `base` whatever its scheme, for use as the
    // base of further references (xml:base); `base` unchanged when it cannot
    // be resolved.
    static std::string Rebase(const std::string& base, std::string_view reference);
};

} // namespace pregonero::feeds
