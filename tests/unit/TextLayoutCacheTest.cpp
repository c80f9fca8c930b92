#include "platform/runtime/rendering/TextLayoutCache.h"

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
