#include "platform/base/String.h"
#include "platform/base/StringUtil.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

using Osp::Base::String;
using Osp::Base::Utility::StringUtil;

TEST(StringTest, CountsUtf16UnitsAndWritesLoneSurrogatesAsReplacement) {
    EXPECT_EQ(String("").GetLength(), 0);
    EXPECT_EQ(String("año").GetLength(), 3);
    EXPECT_EQ(String(L"¿Qué?").GetLength(), 5);
    EXPECT_EQ(String("\xF0\x9F\x93\xB0").GetLength(), 2); // a surrogate pair
    EXPECT_EQ(String(L"\U0001F4F0").ToUtf8(), "\xF0\x9F\x93\xB0");
    EXPECT_EQ(String("a\xC3").ToUtf8(), "a\xEF\xBF\xBD"); // bad UTF-8 does not fail
    EXPECT_EQ(String(static_cast<const char*>(nullptr)).GetLength(), 0);
    // Every length of sequence side by side, lone halves at both ends.
    EXPECT_EQ(String(std::u16string(u"\xD83D")).ToUtf8(), "\xEF\xBF\xBD");
    EXPECT_EQ(String(std::u16string(u"a\xDC00"
                                    u"b\xD800"))
                  .ToUtf8(),
              "a\xEF\xBF\xBD"
              "b\xEF\xBF\xBD");
    EXPECT_EQ(String(std::u16string(u"\xDBFF\xDFFF\xD800")).ToUtf8(),
              "\xF4\x8F\xBF\xBF\xEF\xBF\xBD");
    EXPECT_EQ(String(std::u16string(u"\u00F1\u20AC\U0001F4F0z")).ToUtf8(),
              "\xC3\xB1\xE2\x82\xAC\xF0\x9F\x93\xB0z");
}

// The plain uses are checked where the screens make them (group names, picture
// endings, the article clean-up, the photo counter); these are the edges.
TEST(StringTest, ComparesReplacesAndAppendsAtTheEdges) {
    EXPECT_TRUE(String("ÁRBOL ÑANDÚ").Equals(String("árbol ñandú"), false));
    EXPECT_TRUE(String("Ÿ").Equals(String("ÿ"), false));
    EXPECT_FALSE(String("Portadas").Equals(String("Portada"), false));

    const struct {
        const char *text, *from, *to, *expected;
    } replaces[] = {
        {"aaaaa", "aa", "", "a"},        // non-overlapping scan, as a person reads it
        {"a>b>c", ">", ">>", "a>>b>>c"}, // replacements are not rescanned
    };
    for (const auto& r : replaces) {
        String s(r.text);
        EXPECT_EQ(s.Replace(String(r.from), String(r.to)), E_SUCCESS);
        EXPECT_EQ(s, String(r.expected)) << r.text;
    }
    String untouched("Hola");
    EXPECT_EQ(untouched.Replace(String(""), String("x")), E_INVALID_ARG);
    EXPECT_EQ(untouched, String("Hola"));

    String counter("Foto: ");
    counter.Append(INT_MIN);
    EXPECT_EQ(counter, String("Foto: -2147483648"));
}

TEST(StringUtilTest, Utf8ToStringRefusesInvalidInputWithoutTouchingTheOutput) {
    String out("sentinel");
    EXPECT_EQ(StringUtil::Utf8ToString("Canción ¿qué? ¡sí!", out), E_SUCCESS);
    EXPECT_EQ(out.ToUtf8(), "Canción ¿qué? ¡sí!");
    const char* bad[] = {
        "\xC0\x80",         // overlong NUL
        "\xE0\x80\xAF",     // overlong slash
        "\xED\xA0\x80",     // UTF-16 surrogate
        "\xF4\x90\x80\x80", // past U+10FFFF
        "\xF5\x80\x80\x80", // invalid lead byte
        "ok\xE2\x82",       // truncated at the end
        "\x80",             // lone continuation byte
        "caf\xE9",          // ISO-8859-1, not UTF-8
    };
    for (const char* input : bad) {
        String kept("sentinel");
        EXPECT_EQ(StringUtil::Utf8ToString(input, kept), E_INVALID_ENCODING_RANGE) << input;
        EXPECT_EQ(kept, String("sentinel"));
    }
    EXPECT_EQ(StringUtil::Utf8ToString(nullptr, out), E_INVALID_ARG);
}
