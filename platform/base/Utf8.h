#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace pregonero::text {

// Strict UTF-8 to UTF-16: overlong forms, surrogates, code points past
// U+10FFFF and truncated sequences are refused (nullopt).
std::optional<std::u16string> Utf8ToUtf16Strict(std::string_view utf8);

// Lenient: each bad sequence becomes U+FFFD. Never fails.
std::u16string Utf8ToUtf16Lenient(std::string_view utf8);

// Unpaired surrogates become U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// Appends one code point (at most U+10FFFF) as UTF-8.
void AppendUtf8(std::string& out, char32_t codePoint);

} // namespace pregonero::text
