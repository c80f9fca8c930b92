#include "platform/runtime/rendering/CairoPainter.h"

#include "platform/runtime/rendering/Framebuffer.h"
#include "platform/runtime/pictures/PixelBuffer.h"
#include "platform/runtime/rendering/TextLayoutCache.h"
#include "platform/ui/CustomList.h"
#include "rows/ResultadosItem.h"
#include "rows/Seccion.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>

using Osp::Graphics::Canvas;
using Osp::Graphics::Rectangle;
using namespace Osp::Ui::Controls;

namespace pregonero::runtime {
namespace {

using Scene = std::function<void(Painter&, int frame)>;

// Runs `scene` over the same starting picture with and without the painter's
// shortcuts; every frame must match to the byte. Each frame starts from the
// last one's pixels, as on screen, and from the third on texts drawn before
// are drawn from their coverage.
void ExpectSamePixels(const Scene& scene, int frames = 4) {
    Framebuffer fast;
    Framebuffer plain;
    TextLayoutCache fastLayouts;
    TextLayoutCache plainLayouts;
    const std::size_t bytes = static_cast<std::size_t>(fast.Stride()) * fast.Height();
    for (int frame = 0; frame < frames; ++frame) {
        {
            CairoPainter painter(fast, fastLayouts);
            scene(painter, frame);
        }
        {
            CairoPainter painter(plain, plainLayouts, CairoPainter::Shortcuts::Skip);
            scene(painter, frame);
        }
        ASSERT_EQ(0, std::memcmp(fast.Data(), plain.Data(), bytes)) << "frame " << frame;
    }
}

PixelBuffer Gradient(int side) {
    PixelBuffer pixels;
    pixels.width = side;
    pixels.height = side;
    pixels.stride = side * 4;
    pixels.pixels.resize(static_cast<std::size_t>(side) * side * 4);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            // Premultiplied and half transparent along one edge.
            std::uint32_t a = x < side / 2 ? 255 : 128;
            std::uint32_t argb = (a << 24) | ((a * x / side) << 16) | ((a * y / side) << 8) | a / 3;
            std::memcpy(&pixels.pixels[static_cast<std::size_t>(y) * pixels.stride + x * 4], &argb,
                        4);
        }
    }
    return pixels;
}

TEST(CairoPainterTest, KnownFillColoursAndCapturedGlyphsLeaveThePixelsAlone) {
    const PixelBuffer picture = Gradient(40);
    ExpectSamePixels([&picture](Painter& p, int) {
        const Rgba white{255, 255, 255, 255};
        const Rgba veil{255, 255, 255, 100};
        const Rgba blue{0, 40, 120, 255};
        // Translucent over what the frame did not draw: the last frame's pixels.
        p.FillRect({10, 10, 100, 100}, {200, 30, 30, 77});
        p.FillRect({0, 120, 480, 680}, white);
        p.FillRect({0, 130, 480, 50}, veil); // white over white
        p.FillRect({0, 200, 480, 60}, blue);
        p.FillRect({0, 190, 480, 80}, veil); // half over blue, half over white
        p.FillRect({0, 220, 480, 20}, veil);
        p.FillRect({20, 230, 40, 40}, {0, 0, 0, 0});
        TextStyle style;
        style.color = {20, 20, 20, 255};
        p.DrawText({0, 300, 480, 60},
                   "Las obras empezarán en primavera y durarán dos años, "
                   "con cortes de tráfico en el centro",
                   style);
        p.FillRect({0, 300, 480, 60}, veil); // over the text: blended
        p.FillRect({0, 340, 200, 10}, {90, 90, 200, 255});
        p.FillRect({0, 330, 200, 40}, veil); // part known, part text
        style.vAlign = VAlign::Middle;
        style.hAlign = HAlign::Center;
        style.wrap = TextWrap::SingleLine;
        style.weight = FontWeight::Bold;
        style.color = {255, 255, 255, 180};
        p.DrawText({0, 380, 480, 50}, "Deportes y más deportes", style);
        style.vAlign = VAlign::Bottom;
        style.hAlign = HAlign::Right;
        style.slant = FontSlant::Italic;
        // An unassigned character: no font has it, Pango draws a hex box.
        p.DrawText({0, 430, 480, 50}, "sin glifo \xCD\xB8 aquí", style);
        p.StrokeRect({5, 500, 3, 3}, {0, 128, 0, 255}, 4);
        p.FillRect({0, 495, 30, 15}, veil);
        p.DrawPixels({300, 500, 40, 40}, picture);
        p.FillRect({290, 490, 60, 60}, veil);
        {
            ClipScope outer(p, {50, 560, 300, 100});
            p.FillRect({0, 540, 480, 200}, blue);
            {
                ClipScope inner(p, {100, 600, 500, 200});
                p.FillRect({0, 540, 480, 200}, veil);
                style = TextStyle{};
                p.DrawText({60, 590, 400, 90}, "Recortado por dos rectángulos a la vez", style);
            }
            p.FillRect({0, 540, 480, 200}, veil);
        }
        p.FillRect({0, 540, 480, 200}, veil);
        {
            // Only the clipped square turns orange; below it the old pixels stay.
            ClipScope corner(p, {0, 745, 40, 10});
            p.FillRect({0, 745, 480, 55}, {200, 100, 0, 255});
        }
        p.FillRect({100, 750, 300, 20}, veil);
        p.DrawText({0, 700, 480, 40}, "Fuera", style);
        p.FillRect({0, 760, 480, 40}, {0, 0, 0, 255});
        p.FillRect({0, 790, 480, 100}, veil); // reaches past the screen
    });
}

Osp::Graphics::Bitmap Thumbnail(int side) {
    auto pixels = std::make_shared<PixelBuffer>(Gradient(side));
    return Osp::Graphics::Bitmap(pixels);
}

TEST(CairoPainterTest, ListFramesMatchWithAndWithoutShortcuts) {
    CustomList list;
    list.Construct(Rectangle(0, 0, 440, 600), CUSTOM_LIST_STYLE_NORMAL, true);
    for (int i = 0; i < 12; ++i) {
        if (i % 4 == 0) {
            auto* header = new Seccion();
            header->Construct(i == 0 ? "Portada" : "Deportes", 480);
            list.AddItem(*header, 100 + i);
        }
        auto* row = new ResultadosItem();
        Osp::Base::String title("El ayuntamiento aprueba el plan de movilidad número ");
        title.Append(i);
        row->Construct(title, "10:45",
                       i % 3 == 0 ? ""
                                  : "Las obras empezarán en primavera, con cortes de tráfico "
                                    "en el centro durante los fines de semana",
                       i % 2 == 0 ? "http://127.0.0.1/p.jpg" : "", "http://127.0.0.1/n.xml", "ID");
        if (i % 2 == 0) {
            Osp::Graphics::Bitmap picture = Thumbnail(176);
            row->SetElement(105, picture, &picture);
        }
        list.AddItem(*row, i);
    }
    for (int step = 0; step < 6; ++step) {
        list.SetFocusedIndex(step % 3 == 2 ? -1 : step * 2);
        list.SetScrollY(step * 217);
        SCOPED_TRACE(step);
        ExpectSamePixels([&list](Painter& p, int) {
            p.FillRect({0, 0, 480, 800}, {20, 200, 30, 255});
            // Off the origin, so rows run past the list's own bounds too.
            list.Paint(Canvas(p, 20, 100));
        });
    }
}

TEST(CairoPainterTest, ScrollingFramesMatchWithAndWithoutShortcuts) {
    CustomList list;
    list.Construct(Rectangle(0, 0, 480, 800), CUSTOM_LIST_STYLE_NORMAL, true);
    for (int i = 0; i < 40; ++i) {
        auto* row = new ResultadosItem();
        Osp::Base::String title(i % 2 ? "Fuerte tormenta: ¿qué pasará mañana? " : "Última hora ");
        title.Append(i % 4);
        row->Construct(title, "10:45", "Las obras empezarán en primavera y durarán dos años", "",
                       "http://127.0.0.1/n.xml", "ID");
        list.AddItem(*row, i);
    }
    list.SetFocusedIndex(6);
    // As a reader scrolls: rows come and go at the edges, the rest are
    // drawn again each frame a few pixels further up.
    ExpectSamePixels(
        [&list](Painter& p, int frame) {
            list.SetScrollY(700 + frame * 37);
            list.Paint(Canvas(p, 0, 0));
        },
        12);
}

TEST(CairoPainterTest, TextsCutByTheClipMatchWithAndWithoutShortcuts) {
    // The same text under clips that cut it a pixel further each time, from
    // above, below, left and right, over colours the painter knows.
    ExpectSamePixels([](Painter& p, int) {
        p.FillRect({0, 0, 480, 800}, {255, 255, 255, 255});
        TextStyle style;
        style.color = {10, 10, 10, 255};
        for (int cut = 0; cut < 8; ++cut) {
            const int top = 10 + cut * 48;
            {
                ClipScope clip(p, {0, top + cut, 230, 44 - 2 * cut});
                p.DrawText({0, top, 230, 44}, "Árbol Ñandú fjord", style);
            }
            {
                ClipScope clip(p, {240 + cut, top, 200 - 2 * cut, 44});
                p.DrawText({240, top, 240, 44}, "jÁyÉgq", style);
            }
        }
        // A glyph cairo draws whole may reach a pixel or two past a clip
        // that holds its measured ink: the veil must blend what it left.
        p.FillRect({0, 0, 480, 400}, {255, 255, 255, 100});
        style.size = 35;
        style.weight = FontWeight::Bold;
        style.color = {255, 255, 255, 255};
        p.FillRect({0, 400, 480, 60}, {0, 40, 120, 255});
        p.FillRect({0, 400, 480, 60}, {255, 255, 255, 100});
        p.DrawText({3, 400, 474, 60}, "Deportes: fútbol y más", style);
        style.slant = FontSlant::Italic;
        style.size = 24;
        style.color = {200, 0, 0, 255};
        p.DrawText({0, 470, 480, 30}, "fff fjf ffl y—y", style);
    });
}

TEST(CairoPainterTest, TextsTooLongForPangosUnitsMatchWithAndWithoutShortcuts) {
    // A megabyte attribute on one line: its glyph positions no longer fit
    // Pango's int units, so the text is left to Pango (and, under the
    // sanitizers, no sum overflows on the way).
    const std::string longWord(1 << 20, 'W');
    const std::string spaced = [] {
        std::string s;
        for (int i = 0; i < 60000; ++i) {
            s += "palabra ";
        }
        return s;
    }();
    ExpectSamePixels(
        [&](Painter& p, int) {
            p.FillRect({0, 0, 480, 800}, {255, 255, 255, 255});
            TextStyle style;
            style.color = {10, 10, 10, 255};
            p.DrawText({0, 0, 480, 60}, longWord, style);
            p.DrawText({0, 100, 480, 60}, spaced, style);
        },
        3);
}

TEST(CairoPainterTest, ClipEdgesSweptAcrossGlyphsMatchWithAndWithoutShortcuts) {
    // Small texts in a grid of cells, each under a clip with one side moved
    // in by 0 to 11 pixels: across glyph edges, accents and their fringes.
    const char* const texts[] = {"Áj", "áñ", "fÉ", "yq", "Ñg"};
    ExpectSamePixels([&texts](Painter& p, int) {
        p.FillRect({0, 0, 480, 800}, {255, 255, 255, 255});
        TextStyle style;
        style.color = {0, 0, 0, 255};
        for (int cell = 0; cell < 160; ++cell) {
            const IntRect box{(cell % 10) * 48, (cell / 10) * 44 + 4, 48, 40};
            const int side = cell % 4;
            const int in = (cell / 4) % 12;
            IntRect clip = box;
            if (side == 0) {
                clip.y += in;
                clip.height -= in;
            } else if (side == 1) {
                clip.height -= in;
            } else if (side == 2) {
                clip.x += in;
                clip.width -= in;
            } else {
                clip.width -= in;
            }
            ClipScope scope(p, clip);
            p.DrawText({box.x + 4, box.y, 44, 40}, texts[cell % 5], style);
        }
        // What a glyph left past its clip must be blended too.
        p.FillRect({0, 0, 480, 800}, {255, 255, 255, 100});
    });
}

} // namespace
} // namespace pregonero::runtime
