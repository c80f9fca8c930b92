#include "platform/runtime/rendering/TextLayoutCache.h"
#include "tests/support/HostileText.h"

#include <gtest/gtest.h>

#include <string>

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
    const std::string accents =
        "x" + testing_support::Repeat("\xC3\xB1", static_cast<int>(TextLayoutCache::kMaxTextBytes));
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

// A wrapping text takes the lines its box holds, one more where the lines
// can move at most 10 % closer, and says when text was left out, also when
// the cut falls between paragraphs.
TEST(TextLayoutCacheTest, WrappedTextTakesTheLinesItsBoxHolds) {
    TextLayoutCache layouts;
    TextStyle style;
    style.size = 28;
    const int line = layouts.Fit("a", style, 303, TextLayoutCache::kUnbounded).height;
    ASSERT_GT(line, 20);
    const std::string title = "El ayuntamiento anuncia un nuevo plan de obras para las "
                              "calles del centro y del norte de la ciudad";
    const TextFit whole = layouts.Fit(title, style, 303, TextLayoutCache::kUnbounded);
    ASSERT_GE(whole.lines, 3);
    EXPECT_FALSE(whole.cut);
    auto fit = [&](const std::string& text, int height) {
        const TextFit f = layouts.Fit(text, style, 303, height);
        return std::pair(f.lines, f.cut);
    };
    EXPECT_EQ(fit(title, whole.height), std::pair(whole.lines, false));
    EXPECT_EQ(fit(title, 2 * line), std::pair(2, true));
    // Two lines 10 % closer need 1.8 lines of height; 1.7 are not enough.
    EXPECT_EQ(fit(title, 2 * line * 9 / 10 + 1), std::pair(2, true));
    EXPECT_EQ(fit(title, 2 * line * 85 / 100), std::pair(1, true));
    // At a clip the line moved up must end inside the box: 1.9 lines.
    TextStyle atClip = style;
    atClip.endsAtClip = true;
    auto fitAtClip = [&](int height) { return layouts.Fit(title, atClip, 303, height).lines; };
    EXPECT_EQ(fitAtClip(2 * line * 9 / 10 + 1), 1);
    EXPECT_EQ(fitAtClip(2 * line * 195 / 200), 2);
    // A box lower than a line still shows one.
    EXPECT_EQ(fit(title, 5), std::pair(1, true));
    EXPECT_EQ(fit("Portada", 5), std::pair(1, false));
    // Paragraphs: whole when they fit, cut with the last one that shows.
    EXPECT_EQ(fit("uno\ndos", 2 * line), std::pair(2, false));
    EXPECT_EQ(fit("uno\ndos\ntres\ncuatro", 2 * line), std::pair(2, true));
    EXPECT_EQ(fit("uno\ndos\ntres", (3 * line * 9 + 9) / 10), std::pair(3, false));
    EXPECT_EQ(fit("\n\n\n\n\nfin", 3 * line), std::pair(3, true));
    // One line: cut when too wide or when more paragraphs follow.
    style.wrap = TextWrap::SingleLine;
    EXPECT_EQ(fit(title, 200), std::pair(1, true));
    EXPECT_EQ(fit("uno\ndos", 200), std::pair(1, true));
    EXPECT_EQ(fit("uno", 200), std::pair(1, false));
}

TEST(TextLayoutCacheTest, EveryPartOfTheShapeSelectsItsOwnLayoutButColourDoesNot) {
    TextLayoutCache layouts(4);
    const TextStyle style;
    TextStyle bold = style;
    bold.weight = FontWeight::Bold;
    TextStyle oneLine = style;
    oneLine.wrap = TextWrap::SingleLine;
    TextStyle red = style;
    red.color = {200, 0, 0, 255};
    const auto* regular = layouts.Get("Deportes", style, 480, 40);
    EXPECT_NE(layouts.Get("Deportes", bold, 480, 40), regular);
    EXPECT_NE(layouts.Get("Deportes", oneLine, 480, 40), regular);
    EXPECT_NE(layouts.Get("Deportes", style, 240, 40), regular);
    EXPECT_EQ(layouts.Get("Deportes", red, 480, 40), regular);
    EXPECT_EQ(layouts.Size(), 4u);
    // The least recently used goes first: "regular" was just used, so it stays.
    layouts.Get("Cultura", style, 480, 40);
    EXPECT_EQ(layouts.Size(), 4u);
    EXPECT_EQ(layouts.Get("Deportes", style, 480, 40), regular);
}

} // namespace
} // namespace pregonero::runtime
