#include "platform/runtime/rendering/CairoPainter.h"

#include "platform/runtime/rendering/Framebuffer.h"
#include "platform/runtime/pictures/PixelBuffer.h"
#include "platform/runtime/rendering/TextLayoutCache.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

namespace pregonero::runtime {
namespace {

// The box around the pixels of `fb` that are not white.
IntRect InkBox(const Framebuffer& fb) {
    int left = fb.Width(), top = fb.Height(), right = -1, bottom = -1;
    for (int y = 0; y < fb.Height(); ++y) {
        for (int x = 0; x < fb.Width(); ++x) {
            std::uint32_t p;
            std::memcpy(&p, fb.Data() + static_cast<std::size_t>(y) * fb.Stride() + 4 * x, 4);
            if (p != 0xFFFFFFFFu) {
                left = std::min(left, x), right = std::max(right, x);
                top = std::min(top, y), bottom = std::max(bottom, y);
            }
        }
    }
    return right < 0 ? IntRect{} : IntRect{left, top, right - left + 1, bottom - top + 1};
}

TEST(CairoPainterTest, DrawingKeepsToItsBoxAndTheClip) {
    Framebuffer fb;
    TextLayoutCache layouts;
    TextStyle style;
    const IntRect box{40, 100, 300, 200};
    int top = -1;
    for (VAlign align : {VAlign::Top, VAlign::Middle, VAlign::Bottom}) {
        CairoPainter painter(fb, layouts);
        painter.FillRect({0, 0, 480, 800}, {255, 255, 255, 255});
        style.vAlign = align;
        painter.DrawText(box, "Árbol, fjord y Ñandú", style);
        EXPECT_TRUE(box.Contains(InkBox(fb)));
        EXPECT_GT(InkBox(fb).y, top) << "each alignment sits lower than the one before";
        top = InkBox(fb).y;
    }
    // Malformed pictures draw nothing; a good one fills its box exactly.
    CairoPainter painter(fb, layouts);
    painter.FillRect({0, 0, 480, 800}, {255, 255, 255, 255});
    PixelBuffer red{4, 4, 16, PixelFormat::Argb8888, std::vector<std::uint8_t>(64, 0xFF)};
    for (std::size_t i = 0; i < 64; i += 4) {
        red.pixels[i] = red.pixels[i + 1] = 0; // 0xFFFF0000, little-endian
    }
    PixelBuffer shortRows = red;
    shortRows.stride = 8;
    PixelBuffer truncated = red;
    truncated.pixels.resize(60);
    painter.DrawPixels({100, 100, 40, 40}, shortRows);
    painter.DrawPixels({100, 100, 40, 40}, truncated);
    EXPECT_EQ(InkBox(fb), IntRect{});
    painter.DrawPixels({100, 100, 40, 40}, red);
    EXPECT_EQ(InkBox(fb), (IntRect{100, 100, 40, 40}));
    // Nested clips cut a text; popping past the first leaves cairo drawing.
    painter.FillRect({0, 0, 480, 800}, {255, 255, 255, 255});
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

} // namespace
} // namespace pregonero::runtime
