// Utf8ToString accepts exactly the well-formed UTF-8 strings, leaves its output
// alone otherwise, and what it accepts comes back byte for byte.
#include "fuzz/support/FuzzCheck.h"
#include "fuzz/support/WellFormedUtf8.h"
#include "platform/base/StringUtil.h"
#include "platform/base/Utf8.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

using Osp::Base::String;
using Osp::Base::Utility::StringUtil;

namespace {

// UTF-16 units that `utf8` (well-formed) takes: two for each 4-byte sequence.
std::size_t Utf16Length(std::string_view utf8) {
    std::size_t units = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) != 0x80) {
            units += c >= 0xF0 ? 2 : 1;
        }
    }
    return units;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    // The platform call takes a C string: it sees the bytes up to the first NUL.
    const std::string_view seen(bytes.c_str());
    const bool wellFormed = pregonero::fuzz::IsWellFormedUtf8(seen);

    const String sentinel(L"sin cambios");
    String out = sentinel;
    const result r = StringUtil::Utf8ToString(bytes.c_str(), out);
    FUZZ_CHECK((r == E_SUCCESS) == wellFormed);
    if (r == E_SUCCESS) {
        FUZZ_CHECK(out.ToUtf8() == seen);
        FUZZ_CHECK(static_cast<std::size_t>(out.GetLength()) == Utf16Length(seen));
        FUZZ_CHECK(pregonero::fuzz::IsWellFormedUtf16(out.Utf16()));
    } else {
        FUZZ_CHECK(r == E_INVALID_ENCODING_RANGE);
        FUZZ_CHECK(out == sentinel);
    }

    // The lenient reading of all the bytes, NULs included, never fails and
    // always writes back well-formed; for well-formed input it is lossless.
    const std::u16string lenient = pregonero::text::Utf8ToUtf16Lenient(bytes);
    FUZZ_CHECK(pregonero::fuzz::IsWellFormedUtf16(lenient));
    const std::string back = pregonero::text::Utf16ToUtf8(lenient);
    FUZZ_CHECK(pregonero::fuzz::IsWellFormedUtf8(back));
    if (pregonero::fuzz::IsWellFormedUtf8(bytes)) {
        FUZZ_CHECK(back == bytes);
    }

    // The same bytes as UTF-16 units: lone surrogates become U+FFFD on the way
    // out, and well-formed text survives the trip there and back.
    std::u16string units(size / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    }
    const std::string unitsUtf8 = pregonero::text::Utf16ToUtf8(units);
    FUZZ_CHECK(pregonero::fuzz::IsWellFormedUtf8(unitsUtf8));
    if (pregonero::fuzz::IsWellFormedUtf16(units)) {
        FUZZ_CHECK(pregonero::text::Utf8ToUtf16Strict(unitsUtf8) == units);
    }
    return 0;
}
