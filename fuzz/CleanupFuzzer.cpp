// The article clean-up only ever deletes, leaves no '>' behind, and agrees with
// a plain re-implementation of "remove each fragment in turn".
#include "fuzz/support/FuzzCheck.h"
#include "platform/base/Utf8.h"
#include "screens/ArticleCleanup.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using Osp::Base::String;

namespace {

// Every occurrence, left to right, without overlap; the scan resumes where the
// removed fragment began, in the text as it was before this pass.
std::u16string RemoveAll(std::u16string_view text, std::u16string_view fragment) {
    std::u16string out;
    std::size_t from = 0;
    for (std::size_t at = text.find(fragment); at != std::u16string_view::npos;
         at = text.find(fragment, from)) {
        out.append(text.substr(from, at - from));
        from = at + fragment.size();
    }
    out.append(text.substr(from));
    return out;
}

std::u16string FromWide(const wchar_t* wide) {
    std::u16string out;
    for (; *wide != L'\0'; ++wide) {
        out.push_back(static_cast<char16_t>(*wide)); // the fragments are ASCII
    }
    return out;
}

bool IsSubsequence(std::u16string_view part, std::u16string_view whole) {
    std::size_t k = 0;
    for (std::size_t i = 0; i < whole.size() && k < part.size(); ++i) {
        if (whole[i] == part[k]) {
            ++k;
        }
    }
    return k == part.size();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::u16string input = pregonero::text::Utf8ToUtf16Lenient(
        std::string_view(reinterpret_cast<const char*>(data), size));
    String body(input);
    ArticleCleanup::Apply(body);
    const std::u16string& cleaned = body.Utf16();

    FUZZ_CHECK(cleaned.find(u'>') == std::u16string::npos);
    FUZZ_CHECK(IsSubsequence(cleaned, input));

    std::u16string expected = input;
    for (const wchar_t* fragment : ArticleCleanup::kFragments) {
        expected = RemoveAll(expected, FromWide(fragment));
    }
    FUZZ_CHECK(cleaned == expected);
    return 0;
}
