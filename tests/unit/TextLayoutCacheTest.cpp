#include "platform/runtime/rendering/TextLayoutCache.h"

#include "platform/runtime/rendering/TextCoverage.h"

#include <string>

#include <gtest/gtest.h>

namespace pregonero::runtime {
namespace {

const std::string kZeroWidthSpace = "\u200B";

std::string WithoutBreaks(std::string text) {
    for (auto at = text.find(kZeroWidthSpace); at != std::string::npos;
         at = text.find(kZeroWidthSpace, at)) {
        text.erase(at, kZeroWidthSpace.size());
    }
    return text;
}

TEST(TextLayoutCacheTest, HostileTextIsCutAndBrokenUpBeforePango) {
    // One unbreakable megabyte: whole, it would freeze every redraw.
    const std::string huge(1 << 20, 'A');
    const std::string cut = TextLayoutCache::Breakable(huge);
    EXPECT_EQ(WithoutBreaks(cut), huge.substr(0, TextLayoutCache::kMaxTextBytes));
    EXPECT_GT(cut.size(), TextLayoutCache::kMaxTextBytes) << "no break points were added";
    // Two-byte characters straddling the cap: the cut backs off to a whole
    // one, and breaks never split a character.
    std::string accents = "x";
    for (std::size_t i = 0; i < TextLayoutCache::kMaxTextBytes; ++i) {
        accents += "\xC3\xB1";
    }
    const std::string cutAccents = TextLayoutCache::Breakable(accents);
    EXPECT_EQ(WithoutBreaks(cutAccents), accents.substr(0, TextLayoutCache::kMaxTextBytes - 1));
    // Every break sits between two whole characters.
    for (auto at = cutAccents.find(kZeroWidthSpace); at != std::string::npos;
         at = cutAccents.find(kZeroWidthSpace, at + 1)) {
        EXPECT_NE(static_cast<unsigned char>(cutAccents[at - 1]), 0xC3u);
    }
    // Invalid bytes end the text where they start; ordinary text passes untouched.
    EXPECT_EQ(TextLayoutCache::Breakable("bien\xFF mal"), "bien");
    const std::string prose = "¿Qué pasó en Peñón? Nada que no se supiera ya, dijo el alcalde.";
    EXPECT_EQ(TextLayoutCache::Breakable(prose), prose);
}

TEST(TextLayoutCacheTest, GlyphsAreTakenForPlainTextAndFollowTheText) {
    TextLayoutCache layouts(1);
    TextStyle style;
    // Wrapped onto two lines and cut with an ellipsis: still plain glyphs.
    const std::string summary = "Las obras empezarán en primavera y durarán dos años, con cortes "
                                "de tráfico en el centro durante los fines de semana.";
    TextLayoutCache::Text text = layouts.Get(summary, style, 480, 70);
    ASSERT_TRUE(text.glyphs->Captured());
    const std::size_t summaryGlyphs = text.glyphs->GlyphCount();
    EXPECT_GT(summaryGlyphs, 40u);
    EXPECT_LT(summaryGlyphs, summary.size());

    text = layouts.Get("10:45", style, 480, 26);
    ASSERT_TRUE(text.glyphs->Captured());
    EXPECT_EQ(5u, text.glyphs->GlyphCount());
    // A capacity of one: the summary is laid out afresh, glyphs and all.
    EXPECT_EQ(summaryGlyphs, layouts.Get(summary, style, 480, 70).glyphs->GlyphCount());

    // An unassigned character, which no font covers, is left to Pango and its
    // hex box.
    EXPECT_FALSE(layouts.Get("sin glifo \xCD\xB8", style, 480, 26).glyphs->Captured());
    EXPECT_TRUE(layouts.Get("", style, 480, 26).glyphs->Captured());
}

TEST(TextLayoutCacheTest, ATextDrawnAgainGetsItsCoverageWithinABudget) {
    TextLayoutCache layouts(2);
    TextStyle style;
    // "rt" and "ño": neighbouring glyphs share a few pixels, which the
    // coverage handles.
    const std::string text = "Cortes de tráfico en el centro durante el otoño";
    EXPECT_EQ(nullptr, layouts.Get(text, style, 480, 70).coverage);
    EXPECT_EQ(nullptr, layouts.Get(text, style, 480, 70).coverage);
    const TextCoverage* coverage = layouts.Get(text, style, 480, 70).coverage;
    ASSERT_NE(nullptr, coverage);
    EXPECT_TRUE(coverage->Usable());
    EXPECT_GT(coverage->Covered().width, 200);
    EXPECT_GT(layouts.CoverageBytes(), 0u);

    // Two combining strokes through one letter: three glyphs on a pixel.
    const std::string struck = "a\xCC\xB6\xCC\xB6 b";
    for (int draw = 0; draw < 2; ++draw) {
        layouts.Get(struck, style, 480, 70);
    }
    const TextCoverage* none = layouts.Get(struck, style, 480, 70).coverage;
    ASSERT_NE(nullptr, none);
    EXPECT_FALSE(none->Usable());

    // Pushed out of the cache, the texts give their memory back.
    layouts.Get("uno", style, 480, 70);
    layouts.Get("dos", style, 480, 70);
    EXPECT_EQ(0u, layouts.CoverageBytes());
}

} // namespace
} // namespace pregonero::runtime
