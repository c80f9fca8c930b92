#include "screens/ArticleCleanup.h"

#include <gtest/gtest.h>

#include <utility>

TEST(ArticleCleanupTest, RemovesExactlyTheFragmentsEveryTimeAndLeavesTheRest) {
    const std::pair<const char*, const char*> cases[] = {
        {"<p align=\"left\">Hola</p>", "\"\"Hola"},
        {"<a href=\"nota.html\">aqui</ a>", "\"nota.html\"aqui"},
        {"texto</em> final", "texto final"},
        {"<font color=red>Rojo</font>", "<font color=redRojo"},
        {"Hola<br />mundo", "Holamundo"},
        {"Hola<br/>mundo", "Hola<br/mundo"},
        {"<strong>Fuerte</strong> y <p>otro</p>", "Fuerte y otro"},
        {"", ""},
        {"leftover, left", "over, "},
        {"Left", "Left"},
        {"<P>Mayusculas</P>", "<PMayusculas</P"},
        {"a&#13;b&#13;&#13;c", "abc"},
        {"uno\r\ndos", "uno\r\ndos"},
        {"&amp;&#10;", "&amp;&#10;"},
        // A removal can join halves into a later fragment: "le" + "ft" after "<em>"...
        {"le<em>ft!", "!"},
        // ...but not into an earlier one: "<p" + ">" is only found by the last step.
        {"<p<em>>", "<p"},
        {"<p>Canción año</p>", "Canción año"},
    };
    for (const auto& [body, expected] : cases) {
        Osp::Base::String text(body);
        ArticleCleanup::Apply(text);
        EXPECT_EQ(text.ToUtf8(), expected) << body;
    }
}
