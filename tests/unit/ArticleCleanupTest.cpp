#include "screens/ArticleCleanup.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Clean(const char* body) {
    Osp::Base::String text(body);
    ArticleCleanup::Apply(text);
    return text.ToUtf8();
}

} // namespace

TEST(ArticleCleanupTest, RemovesTheFragmentsAndLeavesTheRestOfTheTags) {
    EXPECT_EQ(Clean("<p align=\"left\">Hola</p>"), "\"\"Hola");
    EXPECT_EQ(Clean("<a href=\"nota.html\">aqui</ a>"), "\"nota.html\"aqui");
    EXPECT_EQ(Clean("texto</em> final"), "texto final");
    EXPECT_EQ(Clean("<em>dos</em>"), "dos");
    EXPECT_EQ(Clean("<font color=red>Rojo</font>"), "<font color=redRojo");
    EXPECT_EQ(Clean("Hola<br />mundo"), "Holamundo");
    EXPECT_EQ(Clean("Hola<br/>mundo"), "Hola<br/mundo");
    EXPECT_EQ(Clean("<strong>Fuerte</strong> y <p>otro</p>"), "Fuerte y otro");
    EXPECT_EQ(Clean(""), "");
}

TEST(ArticleCleanupTest, MatchesExactlyAndEveryOccurrence) {
    EXPECT_EQ(Clean("leftover, left"), "over, ");
    EXPECT_EQ(Clean("Left"), "Left");
    EXPECT_EQ(Clean("<P>Mayusculas</P>"), "<PMayusculas</P");
    EXPECT_EQ(Clean("a&#13;b&#13;&#13;c"), "abc");
    EXPECT_EQ(Clean("uno\r\ndos"), "uno\r\ndos");
    EXPECT_EQ(Clean("&amp;&#10;"), "&amp;&#10;");
    // A removal can join halves into a later fragment: "le" + "ft" after "<em>".
    EXPECT_EQ(Clean("le<em>ft!"), "!");
    // But not into an earlier one: "<p" + ">" is only found by the last step.
    EXPECT_EQ(Clean("<p<em>>"), "<p");
    // Non-ASCII text passes through whole.
    EXPECT_EQ(Clean("<p>Canción año</p>"), "Canción año");
}
