#include "platform/frontends/terminal/CellGrid.h"
#include "platform/frontends/terminal/CellScale.h"
#include "platform/frontends/terminal/PictureCells.h"
#include "platform/frontends/terminal/TerminalColors.h"
#include "platform/frontends/terminal/TerminalKeyMap.h"
#include "platform/frontends/terminal/TerminalPainter.h"
#include "platform/frontends/terminal/TerminalView.h"
#include "platform/frontends/terminal/TextCells.h"
#include "platform/runtime/pictures/PixelBuffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

// Only for the key codes curses reports; nothing of curses is called here.
#include <curses.h>

using namespace pregonero::platform;
using pregonero::runtime::IntRect;
using pregonero::runtime::Rgba;
using pregonero::runtime::TextStyle;
using pregonero::runtime::TextWrap;

namespace {

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

using Lines = std::vector<std::string>;

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
    EXPECT_DOUBLE_EQ(scale.CellWidth(), 6.0);
    EXPECT_DOUBLE_EQ(scale.CellHeight(), 20.0);
    EXPECT_EQ(scale.ToCells({0, 0, 480, 800}), (IntRect{0, 0, 80, 40}));
    EXPECT_EQ(scale.ToCells({0, 38, 480, 72}), (IntRect{0, 2, 80, 4})); // 1.9 .. 5.5
    EXPECT_EQ(scale.ToCells({304, 50, 176, 176}), (IntRect{51, 3, 29, 8}));
    // Neighbours share an edge and never overlap or leave a gap.
    IntRect upper = scale.ToCells({0, 100, 480, 176});
    IntRect lower = scale.ToCells({0, 276, 480, 176});
    EXPECT_EQ(upper.y + upper.height, lower.y);
    // Thin or empty rectangles vanish, except text which keeps its first cell.
    EXPECT_EQ(scale.ToCells({0, 100, 480, 5}).height, 0);
    EXPECT_EQ(scale.ToCells({0, 0, 0, 50}).width, 0);
    EXPECT_EQ(scale.ToCellsAtLeastOne({0, 101, 480, 5}), (IntRect{0, 5, 80, 1}));
    EXPECT_EQ(scale.ToCellsAtLeastOne({0, 0, -4, 50}).width, 0);
    // Off the screen stays off the screen; the intersection of disjoint areas is empty.
    EXPECT_EQ(CellScale::Intersect({0, 0, 10, 10}, {20, 20, 5, 5}).width, 0);
    EXPECT_EQ(CellScale::Intersect({0, 0, 10, 10}, {5, -5, 10, 10}), (IntRect{5, 0, 5, 5}));
    // A degenerate terminal does not divide by zero.
    EXPECT_GT(CellScale(0, 0).CellWidth(), 0.0);
}

TEST(TerminalCellsTest, Utf8DecodesMeasuresAndDropsWhatCouldEscape) {
    EXPECT_EQ(TextCells::Decode("¿Año?"), U"¿Año?");
    EXPECT_EQ(TextCells::Width(TextCells::Decode("¿Año?")), 5);
    EXPECT_EQ(TextCells::Width(TextCells::Decode("e\xCC\x81")), 1); // e + combining acute
    EXPECT_EQ(TextCells::Width(TextCells::Decode("日本")), 4);
    EXPECT_EQ(TextCells::Width(U'😀'), 2);
    // Bad bytes, overlongs, surrogates and truncated sequences become U+FFFD.
    EXPECT_EQ(TextCells::Decode("a\xFF"
                                "b"),
              U"a\uFFFDb");
    EXPECT_EQ(TextCells::Decode("\xC0\xAF"), U"\uFFFD\uFFFD");
    EXPECT_EQ(TextCells::Decode("\xED\xA0\x80"), U"\uFFFD");
    EXPECT_EQ(TextCells::Decode("x\xE2\x82"), U"x\uFFFD\uFFFD");
    EXPECT_EQ(TextCells::Decode("\xE2\x82"
                                "A"),
              U"\uFFFDA");
    // No escape sequence reaches the terminal; tabs are spaces, newlines stay.
    EXPECT_EQ(TextCells::Decode("a\x1B[2Jb\tc\nd\r\xC2\x9B"), U"a[2Jb c\nd");
}

TEST(TerminalCellsTest, WrapsOnWordsAndEndsWithAnEllipsisWhenTextIsLeftOut) {
    EXPECT_EQ(WrapUtf8("uno dos tres cuatro", 9, 3), (Lines{"uno dos", "tres", "cuatro"}));
    EXPECT_EQ(WrapUtf8("uno dos tres cuatro", 9, 2), (Lines{"uno dos", "tres…"}));
    // Exactly full is not cut.
    EXPECT_EQ(WrapUtf8("abc def", 3, 2), (Lines{"abc", "def"}));
    // Too long a word breaks mid-word; a one-cell box still shows the ellipsis.
    EXPECT_EQ(WrapUtf8("electorales", 4, 2), (Lines{"elec", "tor…"}));
    EXPECT_EQ(WrapUtf8("uno dos", 1, 1), (Lines{"…"}));
    // Spanish letters count one cell each; a wide character never splits.
    EXPECT_EQ(WrapUtf8("¿Qué pasará mañana?", 11, 2), (Lines{"¿Qué pasará", "mañana?"}));
    EXPECT_EQ(WrapUtf8("日本語", 5, 2), (Lines{"日本", "語"}));
    EXPECT_EQ(WrapUtf8("日本語です", 5, 1), (Lines{"日本…"}));
    // Newlines start lines when wrapping, are spaces on a single line.
    EXPECT_EQ(WrapUtf8("a\nb", 5, 3), (Lines{"a", "b"}));
    EXPECT_EQ(WrapUtf8("a\nb", 5, 3, TextWrap::SingleLine), (Lines{"a b"}));
    EXPECT_EQ(WrapUtf8("Pregonero raviv", 8, 3, TextWrap::SingleLine), (Lines{"Pregone…"}));
    // Runs of blanks collapse; nothing to show, nothing shown.
    EXPECT_EQ(WrapUtf8("  a   b  ", 5, 1), (Lines{"a b"}));
    EXPECT_TRUE(WrapUtf8("", 5, 1).empty());
    EXPECT_TRUE(WrapUtf8("abc", 0, 1).empty());
    EXPECT_TRUE(WrapUtf8("abc", 3, 0).empty());
    // The ellipsis never lands on a dangling combining mark.
    EXPECT_EQ(WrapUtf8("abce\xCC\x81 zz", 4, 1), (Lines{"abc…"}));
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

TEST(TerminalCellsTest, TooSmallTerminalShowsOneLineNotice) {
    EXPECT_TRUE(TerminalView::TooSmall(19, 40));
    EXPECT_TRUE(TerminalView::TooSmall(80, 9));
    EXPECT_FALSE(TerminalView::TooSmall(20, 10));
    CellGrid notice = TerminalView::Notice(19, 3);
    EXPECT_EQ(notice.RowText(0), "Terminal too small…");
    EXPECT_EQ(notice.RowText(1), "");
    EXPECT_EQ(TerminalView::Notice(60, 5).RowText(0), TerminalView::kTooSmall);
    EXPECT_EQ(TerminalView::Notice(0, 0).Text(), "");
}

TEST(TerminalCellsTest, KeysMapToTheHandsetKeys) {
    using pregonero::ui::Key;
    auto key = [](int code, TerminalKeyKind kind) {
        TerminalInput in = TerminalKeyMap::Translate(code, kind);
        return in.kind == TerminalInput::Kind::Key ? static_cast<int>(in.key) : -1;
    };
    const auto F = TerminalKeyKind::FunctionKey;
    const auto C = TerminalKeyKind::Character;
    EXPECT_EQ(key(KEY_F(1), F), static_cast<int>(Key::Softkey1));
    EXPECT_EQ(key(27, C), static_cast<int>(Key::Softkey1));
    EXPECT_EQ(key(127, C), static_cast<int>(Key::Softkey1));
    EXPECT_EQ(key(KEY_BACKSPACE, F), static_cast<int>(Key::Softkey1));
    EXPECT_EQ(key(KEY_F(2), F), static_cast<int>(Key::OptionKey));
    EXPECT_EQ(key('\t', C), static_cast<int>(Key::OptionKey));
    EXPECT_EQ(key(KEY_UP, F), static_cast<int>(Key::Up));
    EXPECT_EQ(key(KEY_DOWN, F), static_cast<int>(Key::Down));
    EXPECT_EQ(key(KEY_PPAGE, F), static_cast<int>(Key::PageUp));
    EXPECT_EQ(key(KEY_NPAGE, F), static_cast<int>(Key::PageDown));
    EXPECT_EQ(key('\r', C), static_cast<int>(Key::Enter));
    EXPECT_EQ(key('\n', C), static_cast<int>(Key::Enter));
    EXPECT_EQ(key(KEY_ENTER, F), static_cast<int>(Key::Enter));
    // The same number means something else as a character than as a function key.
    EXPECT_EQ(key('a', C), -1);
    EXPECT_EQ(key(KEY_F(5), F), -1);
    EXPECT_EQ(TerminalKeyMap::Translate(KEY_RESIZE, F).kind, TerminalInput::Kind::Resize);
    EXPECT_EQ(TerminalKeyMap::Translate(3, C).kind, TerminalInput::Kind::Interrupt);
}

TEST(TerminalCellsTest, ColoursComeFromThePaletteNearby) {
    EXPECT_EQ(TerminalColors::Nearest256({255, 255, 255, 255}), 231);
    EXPECT_EQ(TerminalColors::Nearest256({0, 0, 0, 255}), 16);
    EXPECT_EQ(TerminalColors::Nearest256({128, 128, 128, 255}), 244);
    EXPECT_EQ(TerminalColors::Nearest256({0, 95, 135, 255}), 24); // a cube colour exactly
    EXPECT_EQ(TerminalColors::Palette256(24), (Rgba{0, 95, 135, 255}));
    EXPECT_EQ(TerminalColors::Nearest8({250, 10, 10, 255}), COLOR_RED);
    EXPECT_EQ(TerminalColors::Nearest8({240, 240, 240, 255}), COLOR_WHITE);
    EXPECT_EQ(TerminalColors::Nearest8({10, 10, 200, 255}), COLOR_BLUE);
    EXPECT_TRUE(TerminalColors::IsDark({24, 58, 104, 255}));
    EXPECT_FALSE(TerminalColors::IsDark({255, 255, 255, 255}));
}
