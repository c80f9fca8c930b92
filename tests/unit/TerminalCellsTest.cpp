#include "platform/frontends/terminal/CellGrid.h"
#include "platform/frontends/terminal/CellScale.h"
#include "platform/frontends/terminal/PictureCells.h"
#include "platform/frontends/terminal/TerminalPainter.h"
#include "platform/frontends/terminal/TextCells.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

// Only for the colour numbers curses uses; nothing of curses is called here.
#include <curses.h>

using namespace pregonero::platform;
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

} // namespace

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
    // A nearly opaque one (a menu's panel) covers it, as an opaque one does.
    painter.FillRect({0, 40, 480, 40}, {9, 9, 9, 240});
    EXPECT_EQ(grid.RowText(1), "");
    // Two texts landing on the same cells: the later is cut a blank cell
    // before the earlier, or left out when it starts on it.
    painter.DrawText({100, 600, 380, 40}, "04:48", TextStyle{});
    painter.DrawText({0, 600, 480, 40}, "¿Qué pasará con las rutas?", TextStyle{});
    painter.DrawText({120, 600, 360, 40}, "tarde", TextStyle{});
    EXPECT_EQ(grid.RowText(15), "¿Qué pas… 04:48");
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
