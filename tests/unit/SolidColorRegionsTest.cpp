#include "platform/runtime/rendering/SolidColorRegions.h"

#include <gtest/gtest.h>

namespace pregonero::runtime {
namespace {

constexpr std::uint32_t kWhite = 0xFFFFFFFFu;
constexpr std::uint32_t kBlue = 0xFF002878u;

TEST(SolidColorRegionsTest, KnowsOnlyWhatWasFilledAndNotDrawnOverSince) {
    SolidColorRegions regions;
    EXPECT_FALSE(regions.PixelOf({0, 0, 10, 10}));
    regions.Set({0, 0, 480, 800}, kWhite);
    EXPECT_EQ(kWhite, regions.PixelOf({0, 0, 480, 800}));
    EXPECT_FALSE(regions.PixelOf({0, 790, 480, 20})) << "reaches past what was filled";

    // Text drawn in the middle: the rest of the screen is still known.
    regions.Forget({100, 200, 50, 30});
    EXPECT_FALSE(regions.PixelOf({0, 0, 480, 800}));
    EXPECT_FALSE(regions.PixelOf({149, 229, 1, 1})) << "the hole's last pixel";
    EXPECT_EQ(kWhite, regions.PixelOf({150, 200, 330, 30})) << "right of the hole";
    EXPECT_EQ(kWhite, regions.PixelOf({0, 200, 100, 30})) << "left of the hole";
    EXPECT_EQ(kWhite, regions.PixelOf({0, 0, 480, 200})) << "above the hole";
    EXPECT_EQ(kWhite, regions.PixelOf({0, 230, 480, 570})) << "below the hole";
    // Spread over several pieces, all white.
    EXPECT_EQ(kWhite, regions.PixelOf({90, 190, 200, 10}));
    EXPECT_EQ(kWhite, regions.PixelOf({0, 0, 100, 800}));

    // A second colour over part of it: a rectangle across both is not one colour.
    regions.Set({0, 300, 480, 176}, kBlue);
    EXPECT_EQ(kBlue, regions.PixelOf({0, 300, 480, 176}));
    EXPECT_FALSE(regions.PixelOf({0, 290, 480, 20}));
    EXPECT_EQ(kWhite, regions.PixelOf({0, 476, 480, 324}));

    // Filling the hole makes the whole band above the blue one known again.
    regions.Set({100, 200, 50, 30}, kWhite);
    EXPECT_EQ(kWhite, regions.PixelOf({0, 0, 480, 300}));
    EXPECT_FALSE(regions.PixelOf({0, 0, 0, 0}));
}

TEST(SolidColorRegionsTest, ManySmallDrawsNeverLeaveAWrongAnswer) {
    SolidColorRegions regions;
    regions.Set({0, 0, 480, 800}, kWhite);
    // A grid of text-sized holes: pieces are dropped past the limit, which
    // may lose knowledge but must never claim a hole is white.
    for (int y = 0; y < 800; y += 40) {
        for (int x = 0; x < 480; x += 60) {
            regions.Forget({x + 5, y + 5, 20, 10});
        }
    }
    EXPECT_LE(regions.Count(), 64u);
    for (int y = 0; y < 800; y += 40) {
        for (int x = 0; x < 480; x += 60) {
            EXPECT_FALSE(regions.PixelOf({x + 5, y + 5, 20, 10}));
            EXPECT_FALSE(regions.PixelOf({x, y, 30, 20}));
        }
    }
    std::optional<std::uint32_t> gap = regions.PixelOf({30, 0, 20, 5});
    EXPECT_TRUE(!gap || *gap == kWhite);
}

} // namespace
} // namespace pregonero::runtime
