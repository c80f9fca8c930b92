#include "platform/runtime/CairoPainter.h"

#include "platform/runtime/Framebuffer.h"
#include "platform/runtime/PixelBuffer.h"
#include "platform/runtime/TextLayoutCache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace pregonero::runtime {
namespace {

constexpr Rgba kWhite{255, 255, 255, 255};

// The pixels of `fb` that are not white, as the box around them.
IntRect InkBox(const Framebuffer& fb) {
    int left = fb.Width(), top = fb.Height(), right = -1, bottom = -1;
    const std::uint8_t* data = fb.Data();
    for (int y = 0; y < fb.Height(); ++y) {
        for (int x = 0; x < fb.Width(); ++x) {
            std::uint32_t p;
            std::memcpy(&p, data + static_cast<std::size_t>(y) * fb.Stride() + 4 * x, 4);
            if (p != 0xFFFFFFFFu) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? IntRect{} : IntRect{left, top, right - left + 1, bottom - top + 1};
}

TEST(CairoPainterTest, TextsKeepToTheirBoxAndTheClipAndSitWhereAligned) {
    Framebuffer fb;
    TextLayoutCache layouts;
    TextStyle style;
    style.color = {20, 20, 20, 255};
    const IntRect box{40, 100, 300, 200};
    int top = -1;
    for (VAlign align : {VAlign::Top, VAlign::Middle, VAlign::Bottom}) {
        CairoPainter painter(fb, layouts);
        painter.FillRect({0, 0, 480, 800}, kWhite);
        style.vAlign = align;
        painter.DrawText(box, "Árbol, fjord y Ñandú", style);
        const IntRect ink = InkBox(fb);
        EXPECT_TRUE(box.Contains(ink));
        EXPECT_GT(ink.y, top) << "each alignment sits lower than the one before";
        top = ink.y;
    }
    // A clip that cuts the text, and pops past the first: drawing still works.
    CairoPainter painter(fb, layouts);
    painter.FillRect({0, 0, 480, 800}, kWhite);
    painter.PushClip({0, 0, 480, 800});
    painter.PushClip({50, 0, 60, 800});
    painter.DrawText({40, 100, 300, 60}, "Deportes y más deportes", style);
    painter.PopClip();
    painter.PopClip();
    painter.PopClip();
    EXPECT_TRUE((IntRect{50, 100, 60, 60}).Contains(InkBox(fb)));
    EXPECT_GT(InkBox(fb).width, 40);
    painter.FillRect({0, 700, 10, 10}, {0, 0, 0, 255});
    EXPECT_EQ(InkBox(fb).y + InkBox(fb).height, 710);
}

TEST(CairoPainterTest, PicturesFillTheirBoxAndMalformedOnesDrawNothing) {
    Framebuffer fb;
    TextLayoutCache layouts;
    CairoPainter painter(fb, layouts);
    painter.FillRect({0, 0, 480, 800}, kWhite);
    PixelBuffer red{4, 4, 16, PixelFormat::Argb8888, std::vector<std::uint8_t>(64, 0)};
    for (std::size_t i = 0; i < red.pixels.size(); i += 4) {
        red.pixels[i + 2] = red.pixels[i + 3] = 0xFF; // 0xFFFF0000, little-endian
    }
    PixelBuffer shortRows = red;
    shortRows.stride = 8;
    PixelBuffer truncated = red;
    truncated.pixels.resize(60);
    painter.DrawPixels({100, 100, 40, 40}, shortRows);
    painter.DrawPixels({100, 100, 40, 40}, truncated);
    EXPECT_EQ(InkBox(fb).width, 0);
    painter.DrawPixels({100, 100, 40, 40}, red);
    const IntRect ink = InkBox(fb);
    EXPECT_EQ(ink.x, 100);
    EXPECT_EQ(ink.y, 100);
    EXPECT_EQ(ink.width, 40);
    EXPECT_EQ(ink.height, 40);
}

} // namespace
} // namespace pregonero::runtime
