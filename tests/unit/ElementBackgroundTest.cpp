#include "rows/ElementBackground.h"

#include "platform/runtime/rendering/CairoPainter.h"
#include "platform/runtime/rendering/Framebuffer.h"
#include "platform/runtime/rendering/TextLayoutCache.h"
#include "platform/ui/CustomList.h"
#include "rows/Articulo.h"
#include "rows/Foto.h"
#include "rows/ResultadosItem.h"
#include "rows/Seccion.h"

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

// The class-wide slots and count of one row class, whichever it is.
template <typename Row> void ExpectNoRowsLeft() {
    EXPECT_EQ(0, Row::instances);
    EXPECT_EQ(nullptr, Row::__pItemFormat);
    EXPECT_EQ(nullptr, Row::background);
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

TEST(ElementBackgroundTest, ThousandsOfRowsOfEveryClassLeaveNothingBehind) {
    // Under AddressSanitizer this also proves each row frees its own format
    // and background, not only the last one of its class.
    const int rows = 10000;
    CustomList list;
    list.Construct(Rectangle(0, 0, 480, 700), CUSTOM_LIST_STYLE_NORMAL, true);
    for (int i = 0; i < rows; ++i) {
        const char* picture = i % 2 ? "http://p" : "";
        auto* headline = new ResultadosItem();
        headline->Construct("T", "t", "d", picture, "l", "ID");
        list.AddItem(*headline, i);
        auto* article = new Articulo();
        article->Construct("T", "a", "d", "t", picture, "c", "b", "ID", 480, 1);
        list.AddItem(*article, i);
        auto* photo = new Foto();
        photo->Construct("T", picture, "c", "ID", 480, 1);
        list.AddItem(*photo, i);
        auto* header = new Seccion();
        header->Construct("S", 480);
        list.AddItem(*header, i);
    }
    EXPECT_EQ(rows, ResultadosItem::instances);
    EXPECT_EQ(rows, Foto::instances);
    list.RemoveAllItems();
    ExpectNoRowsLeft<ResultadosItem>();
    ExpectNoRowsLeft<Articulo>();
    ExpectNoRowsLeft<Foto>();
    ExpectNoRowsLeft<Seccion>();
}
