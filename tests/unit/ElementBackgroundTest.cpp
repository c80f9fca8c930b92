#include "rows/ElementBackground.h"

#include "platform/runtime/rendering/CairoPainter.h"
#include "platform/runtime/rendering/Framebuffer.h"
#include "platform/runtime/rendering/TextLayoutCache.h"

#include <gtest/gtest.h>

#include <cstring>

using Osp::Graphics::Canvas;
using Osp::Graphics::Color;
using Osp::Graphics::Rectangle;
using namespace Osp::Ui::Controls;

namespace {

std::uint32_t PixelAt(const pregonero::runtime::Framebuffer& fb, int x, int y) {
    std::uint32_t pixel = 0;
    std::memcpy(&pixel, fb.Data() + y * fb.Stride() + x * 4, 4);
    return pixel & 0xFFFFFFu;
}

} // namespace

TEST(ElementBackgroundTest, FillsItsColourWhateverTheRowState) {
    pregonero::runtime::Framebuffer fb;
    pregonero::runtime::TextLayoutCache layouts;
    pregonero::runtime::CairoPainter painter(fb, layouts);
    const Canvas canvas(painter, 0, 100);
    ElementBackground fill;
    Color green(0, 200, 0);
    EXPECT_EQ(E_SUCCESS, fill.Construct(green));
    EXPECT_EQ(E_SUCCESS,
              fill.DrawElement(canvas, Rectangle(10, 0, 10, 10), CUSTOM_LIST_ITEM_STATUS_FOCUSED));
    EXPECT_EQ(0x00C800u, PixelAt(fb, 15, 105));
    EXPECT_EQ(0x000000u, PixelAt(fb, 15, 95)); // relative to the canvas origin
    EXPECT_EQ(E_INVALID_ARG,
              fill.DrawElement(canvas, Rectangle(0, 0, -1, 5), CUSTOM_LIST_ITEM_STATUS_NORMAL));
}
