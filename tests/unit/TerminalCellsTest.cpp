#include "platform/frontends/terminal/CellGrid.h"
#include "platform/frontends/terminal/CellScale.h"
#include "platform/frontends/terminal/PictureCells.h"
#include "platform/frontends/terminal/TerminalColors.h"
#include "platform/frontends/terminal/TerminalPainter.h"
#include "platform/frontends/terminal/TextCells.h"
#include "platform/runtime/pictures/PixelBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

// Only for the colour numbers curses uses; nothing of curses is called here.
#include <curses.h>

using namespace pregonero::platform;
using pregonero::runtime::IntRect;
using pregonero::runtime::Rgba;
using pregonero::runtime::TextStyle;
using pregonero::runtime::TextWrap;

namespace {

using Lines = std::vector<std::string>;

std::vector<std::string> WrapUtf8(const std::string& text, int cols, int rows,
                                  TextWrap wrap = TextWrap::Wrap) {
    std::vector<std::string> out;
    for (const auto& line : TextCells::Wrap(TextCells::Decode(text), cols, rows, wrap)) {
        CellGrid grid(cols + 2, 1);
        int col = 0;
        for (char32_t c : line) {
            int w = TextCells::Width(c);
            if (w == 0) {
                grid.At(col - 1, 0).mark = c;
                continue;
            }
            grid.Put(col, 0, c, w, {}, pregonero::runtime::FontWeight::Normal);
            col += w;
        }
        out.push_back(grid.RowText(0));
    }
    return out;
}

pregonero::runtime::PixelBuffer Solid(int width, int height, std::uint32_t topArgb,
                                      std::uint32_t bottomArgb) {
    pregonero::runtime::PixelBuffer p;
    p.width = width;
    p.height = height;
    p.stride = width * 4;
    p.pixels.resize(static_cast<size_t>(p.stride) * height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            std::uint32_t v = y < height / 2 ? topArgb : bottomArgb;
            std::memcpy(&p.pixels[static_cast<size_t>(y) * p.stride + x * 4], &v, 4);
        }
    }
    return p;
}

} // namespace

TEST(TerminalCellsTest, PixelRectanglesLandOnTheCellsTheyMostlyCover) {
    CellScale scale(80, 40); // 6 x 20 pixels a cell
    EXPECT_EQ(scale.ToCells({0, 0, 480, 800}), (IntRect{0, 0, 80, 40}));
    EXPECT_EQ(scale.ToCells({0, 38, 480, 72}), (IntRect{0, 2, 80, 4})); // 1.9 .. 5.5
    EXPECT_EQ(scale.ToCells({304, 50, 176, 176}), (IntRect{51, 3, 29, 8}));
    // Neighbours share an edge and never overlap or leave a gap.
    IntRect upper = scale.ToCells({0, 100, 480, 176});
    EXPECT_EQ(upper.y + upper.height, scale.ToCells({0, 276, 480, 176}).y);
    // Thin or empty rectangles vanish, except text which keeps its first cell.
    EXPECT_EQ(scale.ToCells({0, 100, 480, 5}).height, 0);
    EXPECT_EQ(scale.ToCellsAtLeastOne({0, 101, 480, 5}), (IntRect{0, 5, 80, 1}));
    EXPECT_EQ(scale.ToCellsAtLeastOne({0, 0, -4, 50}).width, 0);
    EXPECT_EQ(CellScale::Intersect({0, 0, 10, 10}, {20, 20, 5, 5}).width, 0);
    EXPECT_EQ(CellScale::Intersect({0, 0, 10, 10}, {5, -5, 10, 10}), (IntRect{5, 0, 5, 5}));
    EXPECT_GT(CellScale(0, 0).CellWidth(), 0.0); // a degenerate terminal divides by nothing
}

TEST(TerminalCellsTest, Utf8DecodesMeasuresAndDropsWhatCouldEscape) {
    EXPECT_EQ(TextCells::Width(TextCells::Decode("¿Año?")), 5);
    EXPECT_EQ(TextCells::Width(TextCells::Decode("e\xCC\x81")), 1); // e + combining acute
    EXPECT_EQ(TextCells::Width(TextCells::Decode("日本")), 4);
    EXPECT_EQ(TextCells::Width(U'😀'), 2);
    // Bad bytes, overlongs, surrogates and truncated sequences become U+FFFD;
    // no escape sequence reaches the terminal; tabs are spaces, newlines stay.
    const std::pair<const char*, std::u32string> cases[] = {
        {"a\xFF"
         "b",
         U"a\uFFFDb"},
        {"\xC0\xAF", U"\uFFFD\uFFFD"},
        {"\xED\xA0\x80", U"\uFFFD"},
        {"x\xE2\x82", U"x\uFFFD\uFFFD"},
        {"\xE2\x82"
         "A",
         U"\uFFFDA"},
        {"a\x1B[2Jb\tc\nd\r\xC2\x9B", U"a[2Jb c\nd"},
    };
    for (const auto& [bytes, decoded] : cases) {
        EXPECT_TRUE(TextCells::Decode(bytes) == decoded) << bytes;
    }
}

TEST(TerminalCellsTest, WrapsOnWordsAndEndsWithAnEllipsisWhenTextIsLeftOut) {
    const struct {
        const char* text;
        int cols, rows;
        Lines lines;
        TextWrap wrap = TextWrap::Wrap;
    } cases[] = {
        {"uno dos tres cuatro", 9, 3, {"uno dos", "tres", "cuatro"}},
        {"uno dos tres cuatro", 9, 2, {"uno dos", "tres…"}},
        {"abc def", 3, 2, {"abc", "def"}}, // exactly full is not cut
        // Too long a word breaks mid-word; a one-cell box still shows the ellipsis.
        {"electorales", 4, 2, {"elec", "tor…"}},
        {"uno dos", 1, 1, {"…"}},
        // Spanish letters count one cell each; a wide character never splits.
        {"¿Qué pasará mañana?", 11, 2, {"¿Qué pasará", "mañana?"}},
        {"日本語", 5, 2, {"日本", "語"}},
        {"日本語です", 5, 1, {"日本…"}},
        // Newlines start lines when wrapping, are spaces on a single line.
        {"a\nb", 5, 3, {"a", "b"}},
        {"a\nb", 5, 3, {"a b"}, TextWrap::SingleLine},
        {"Pregonero raviv", 8, 3, {"Pregone…"}, TextWrap::SingleLine},
        {"  a   b  ", 5, 1, {"a b"}}, // runs of blanks collapse
        {"", 5, 1, {}},
        {"abc", 0, 1, {}},
        {"abc", 3, 0, {}},
        {"abce\xCC\x81 zz", 4, 1, {"abc…"}}, // never an ellipsis on a dangling mark
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WrapUtf8(c.text, c.cols, c.rows, c.wrap), c.lines) << c.text;
    }
}

TEST(TerminalCellsTest, GridKeepsWideCharactersWhole) {
    CellGrid grid(4, 1);
    grid.Put(0, 0, U'日', 2, {}, pregonero::runtime::FontWeight::Normal);
    grid.Put(2, 0, U'x', 1, {}, pregonero::runtime::FontWeight::Normal);
    EXPECT_EQ(grid.RowText(0), "日x");
    // Overwriting the tail blanks the head, and a wide one never hangs off the edge.
    grid.Put(1, 0, U'y', 1, {}, pregonero::runtime::FontWeight::Normal);
    EXPECT_EQ(grid.RowText(0), " yx");
    grid.Put(3, 0, U'本', 2, {}, pregonero::runtime::FontWeight::Normal);
    EXPECT_EQ(grid.RowText(0), " yx");
    grid.Put(9, 9, U'z', 1, {}, pregonero::runtime::FontWeight::Normal);
    EXPECT_EQ(grid.Text(), " yx\n");
}

TEST(TerminalCellsTest, PainterClipsAlignsAndVeils) {
    CellGrid grid(48, 20); // 10 x 40 pixels a cell
    TerminalPainter painter(grid, CellScale(48, 20), PictureSymbols::HalfBlocks);
    painter.FillRect({0, 0, 480, 800}, {255, 255, 255, 255});
    TextStyle centred;
    centred.color = {0, 0, 255, 255};
    centred.hAlign = pregonero::runtime::HAlign::Center;
    centred.vAlign = pregonero::runtime::VAlign::Middle;
    painter.DrawText({0, 0, 100, 120}, "hola", centred);
    EXPECT_EQ(grid.RowText(1), "   hola");
    EXPECT_EQ(grid.At(3, 1).fg, (Rgba{0, 0, 255, 255}));
    EXPECT_EQ(grid.At(3, 1).bg, (Rgba{255, 255, 255, 255}));
    {
        pregonero::runtime::ClipScope clip(painter, {0, 200, 50, 40});
        painter.DrawText({0, 200, 480, 80}, "recortado aqui", TextStyle{});
    }
    EXPECT_EQ(grid.RowText(5), "recor");
    EXPECT_EQ(grid.RowText(6), "");
    // A half-transparent fill dims what is under it but keeps the text.
    painter.FillRect({0, 40, 480, 40}, {0, 0, 0, 128});
    EXPECT_EQ(grid.RowText(1), "   hola");
    EXPECT_EQ(grid.At(0, 1).bg, (Rgba{127, 127, 127, 255}));
    // An opaque one covers it.
    painter.FillRect({0, 40, 480, 40}, {9, 9, 9, 255});
    EXPECT_EQ(grid.RowText(1), "");
    // A frame around blank cells, sparing the text inside.
    painter.DrawText({10, 360, 200, 40}, "ok", TextStyle{});
    painter.StrokeRect({0, 320, 100, 120}, {1, 2, 3, 255}, 2);
    EXPECT_EQ(grid.RowText(8), "┌────────┐");
    EXPECT_EQ(grid.RowText(9), "│ok      │");
    EXPECT_EQ(grid.RowText(10), "└────────┘");
    // Popping more than was pushed is harmless.
    painter.PopClip();
    painter.DrawText({0, 760, 480, 40}, "fin", TextStyle{});
    EXPECT_EQ(grid.RowText(19), "fin");
}

TEST(TerminalCellsTest, PicturesBecomeColouredBlocksAndBadBuffersNothing) {
    CellGrid grid(48, 20);
    TerminalPainter halves(grid, CellScale(48, 20), PictureSymbols::HalfBlocks);
    // Red over blue (native ARGB words), two cells wide and one high.
    auto picture = Solid(8, 8, 0xFFFF0000u, 0xFF0000FFu);
    halves.DrawPixels({100, 40, 20, 40}, picture);
    EXPECT_EQ(grid.RowText(1), "          ▀▀");
    EXPECT_EQ(grid.At(10, 1).fg, (Rgba{255, 0, 0, 255}));
    EXPECT_EQ(grid.At(10, 1).bg, (Rgba{0, 0, 255, 255}));
    // Transparent pixels show what is underneath.
    auto clear = Solid(4, 4, 0x00000000u, 0x00000000u);
    auto cells = PictureCells::Render(clear, 1, 1, {10, 20, 30, 255}, PictureSymbols::HalfBlocks);
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(cells[0].fg, (Rgba{10, 20, 30, 255}));
    // chafa picks its own symbols but keeps the colours and the size.
    auto art = PictureCells::Render(picture, 3, 2, {}, PictureSymbols::Chafa);
    ASSERT_EQ(art.size(), 6u);
    for (const auto& cell : art) {
        EXPECT_TRUE(cell.fg.r > 200 || cell.bg.r > 200 || cell.fg.b > 200 || cell.bg.b > 200);
    }
    // A stride or size that lies is refused, not read past.
    auto lying = picture;
    lying.pixels.resize(10);
    EXPECT_TRUE(PictureCells::Render(lying, 2, 2, {}, PictureSymbols::Chafa).empty());
    lying = picture;
    lying.stride = 4;
    EXPECT_TRUE(PictureCells::Render(lying, 2, 2, {}, PictureSymbols::HalfBlocks).empty());
    // RGB565: pure green.
    pregonero::runtime::PixelBuffer green{2, 2, 4, pregonero::runtime::PixelFormat::Rgb565, {}};
    green.pixels.assign(8, 0);
    for (int i = 0; i < 4; ++i) {
        std::uint16_t v = 0x07E0;
        std::memcpy(&green.pixels[i * 2], &v, 2);
    }
    auto g = PictureCells::Render(green, 1, 1, {}, PictureSymbols::HalfBlocks);
    ASSERT_EQ(g.size(), 1u);
    EXPECT_EQ(g[0].fg, (Rgba{0, 255, 0, 255}));
}

// The key table and the too-small notice are driven through a real terminal
// by the end-to-end terminal tests; the nearest colour is arithmetic of ours.
TEST(TerminalCellsTest, ColoursComeFromThePaletteNearby) {
    EXPECT_EQ(TerminalColors::Nearest256({255, 255, 255, 255}), 231);
    EXPECT_EQ(TerminalColors::Nearest256({128, 128, 128, 255}), 244);
    EXPECT_EQ(TerminalColors::Palette256(TerminalColors::Nearest256({0, 95, 135, 255})),
              (Rgba{0, 95, 135, 255})); // a cube colour exactly
    EXPECT_EQ(TerminalColors::Nearest8({250, 10, 10, 255}), COLOR_RED);
    EXPECT_TRUE(TerminalColors::IsDark({24, 58, 104, 255}));
}
