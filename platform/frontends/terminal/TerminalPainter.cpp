#include "platform/frontends/terminal/TerminalPainter.h"

#include "platform/frontends/terminal/TextCells.h"
#include "platform/runtime/pictures/PixelBuffer.h"

namespace pregonero::platform {

namespace {

std::uint8_t Mix(std::uint8_t under, std::uint8_t over, std::uint8_t alpha) {
    return static_cast<std::uint8_t>((over * alpha + under * (255 - alpha)) / 255);
}

// A fill at least this opaque hides the characters under it; a fainter one
// (a message box's dimming) only dims them.
constexpr std::uint8_t kCoveringAlpha = 192;

runtime::Rgba Blend(runtime::Rgba under, runtime::Rgba over) {
    return {Mix(under.r, over.r, over.a), Mix(under.g, over.g, over.a),
            Mix(under.b, over.b, over.a), 255};
}

} // namespace

TerminalPainter::TerminalPainter(CellGrid& grid, const CellScale& scale, PictureSymbols symbols)
    : grid_(grid), scale_(scale), symbols_(symbols) {
    clips_.push_back({0, 0, grid.Cols(), grid.Rows()});
}

bool TerminalPainter::Visible(int col, int row) const {
    return Clip().Contains(col, row) && grid_.Contains(col, row);
}

void TerminalPainter::FillRect(const runtime::IntRect& rect, runtime::Rgba color) {
    runtime::IntRect whole = scale_.ToCells(rect);
    if (rect.width > 0 && rect.height > 0 && (whole.width <= 0 || whole.height <= 0)) {
        ThinLine(rect, color);
        return;
    }
    runtime::IntRect cells = CellScale::Intersect(whole, Clip());
    for (int row = cells.y; row < cells.y + cells.height; ++row) {
        for (int col = cells.x; col < cells.x + cells.width; ++col) {
            if (!grid_.Contains(col, row)) {
                continue;
            }
            Cell& cell = grid_.At(col, row);
            if (color.a >= kCoveringAlpha) {
                // A panel: letters cannot show through half a cell of tint.
                cell = Cell{
                    U' ',           0, cell.fg, Blend(cell.bg, color), runtime::FontWeight::Normal,
                    CellPart::Whole};
            } else {
                // A veil: what is underneath still shows through, dimmed.
                cell.bg = Blend(cell.bg, color);
                cell.fg = Blend(cell.fg, color);
            }
        }
    }
}

void TerminalPainter::PutBorder(int col, int row, char32_t ch, runtime::Rgba color) {
    if (!Visible(col, row)) {
        return;
    }
    const Cell& cell = grid_.At(col, row);
    // Text wins over the frame around it: a border only fills blank cells.
    if (cell.part == CellPart::Whole && cell.ch == U' ') {
        grid_.Put(col, row, ch, 1, color, runtime::FontWeight::Normal);
    }
}

void TerminalPainter::ThinLine(const runtime::IntRect& rect, runtime::Rgba color) {
    // Thinner than a cell: a rule or an icon's stroke, drawn as a line character.
    runtime::IntRect c = CellScale::Intersect(scale_.ToCellsAtLeastOne(rect), Clip());
    bool across = rect.width >= rect.height;
    // A rule through a line of text would join its words: then the text wins.
    for (int row = c.y; row < c.y + c.height; ++row) {
        for (int col = c.x; col < c.x + c.width; ++col) {
            if (grid_.Contains(col, row) && grid_.At(col, row).ch != U' ') {
                return;
            }
        }
    }
    for (int row = c.y; row < c.y + c.height; ++row) {
        for (int col = c.x; col < c.x + c.width; ++col) {
            PutBorder(col, row, across ? U'─' : U'│', color);
        }
    }
}

void TerminalPainter::StrokeRect(const runtime::IntRect& rect, runtime::Rgba color, int) {
    runtime::IntRect c = scale_.ToCells(rect);
    if (c.width < 2 || c.height < 2) {
        return;
    }
    int right = c.x + c.width - 1;
    int bottom = c.y + c.height - 1;
    for (int col = c.x + 1; col < right; ++col) {
        PutBorder(col, c.y, U'─', color);
        PutBorder(col, bottom, U'─', color);
    }
    for (int row = c.y + 1; row < bottom; ++row) {
        PutBorder(c.x, row, U'│', color);
        PutBorder(right, row, U'│', color);
    }
    PutBorder(c.x, c.y, U'┌', color);
    PutBorder(right, c.y, U'┐', color);
    PutBorder(c.x, bottom, U'└', color);
    PutBorder(right, bottom, U'┘', color);
}

void TerminalPainter::DrawText(const runtime::IntRect& rect, std::string_view utf8,
                               const runtime::TextStyle& style) {
    runtime::IntRect box = scale_.ToCellsAtLeastOne(rect);
    if (utf8.empty() || box.width <= 0 || box.height <= 0) {
        return;
    }
    auto lines = TextCells::Wrap(TextCells::Decode(utf8), box.width, box.height, style.wrap);
    int top = box.y;
    int spare = box.height - static_cast<int>(lines.size());
    if (style.vAlign == runtime::VAlign::Middle) {
        top += spare / 2;
    } else if (style.vAlign == runtime::VAlign::Bottom) {
        top += spare;
    }
    const std::uint32_t id = ++texts_;
    for (size_t i = 0; i < lines.size(); ++i) {
        int row = top + static_cast<int>(i);
        std::vector<int> placed; // columns of the line's characters so far
        int extra = box.width - TextCells::Width(lines[i]);
        int col = box.x;
        if (style.hAlign == runtime::HAlign::Center) {
            col += extra / 2;
        } else if (style.hAlign == runtime::HAlign::Right) {
            col += extra;
        }
        for (char32_t ch : lines[i]) {
            int width = TextCells::Width(ch);
            if (width == 0) {
                // A combining mark rides on the character before it.
                if (Visible(col - 1, row) && grid_.At(col - 1, row).mark == 0) {
                    grid_.At(col - 1, row).mark = ch;
                }
                continue;
            }
            bool visible = Visible(col, row) && (width == 1 || Visible(col + 1, row));
            if (visible &&
                (TakenByOther(col, row, id) || (width == 2 && TakenByOther(col + 1, row, id)))) {
                // Cells are coarser than pixels, so two texts side by side on
                // the handset may land on the same cells: the one drawn first
                // keeps them, and this line ends a blank cell before them,
                // marked as cut.
                while (!placed.empty() && placed.back() >= col - 1) {
                    grid_.Put(placed.back(), row, U' ', 1, style.color, style.weight);
                    placed.pop_back();
                }
                if (!placed.empty()) {
                    PutText(placed.back(), row, U'…', 1, style, id);
                }
                break;
            }
            if (visible) {
                PutText(col, row, ch, width, style, id);
                placed.push_back(col);
            }
            col += width;
        }
    }
}

bool TerminalPainter::TakenByOther(int col, int row, std::uint32_t text) const {
    const Cell& cell = grid_.At(col, row);
    return cell.text != 0 && cell.text != text && cell.ch != U' ';
}

void TerminalPainter::PutText(int col, int row, char32_t ch, int width,
                              const runtime::TextStyle& style, std::uint32_t text) {
    grid_.Put(col, row, ch, width, style.color, style.weight);
    for (int c = col; c < col + width; ++c) {
        grid_.At(c, row).text = text;
    }
}

void TerminalPainter::DrawPixels(const runtime::IntRect& dest, const runtime::PixelBuffer& pixels) {
    runtime::IntRect cells = scale_.ToCells(dest);
    runtime::IntRect shown = CellScale::Intersect(cells, Clip());
    if (shown.width <= 0 || shown.height <= 0) {
        return;
    }
    runtime::Rgba under = grid_.Contains(shown.x, shown.y) ? grid_.At(shown.x, shown.y).bg
                                                           : runtime::Rgba{0, 0, 0, 255};
    auto art = PictureCells::Render(pixels, cells.width, cells.height, under, symbols_);
    if (art.empty()) {
        return;
    }
    for (int row = shown.y; row < shown.y + shown.height; ++row) {
        for (int col = shown.x; col < shown.x + shown.width; ++col) {
            if (!grid_.Contains(col, row)) {
                continue;
            }
            const PictureCell& pc =
                art[static_cast<size_t>(row - cells.y) * cells.width + (col - cells.x)];
            grid_.At(col, row).bg = pc.bg;
            grid_.Put(col, row, pc.ch, 1, pc.fg, runtime::FontWeight::Normal);
        }
    }
}

void TerminalPainter::PushClip(const runtime::IntRect& rect) {
    clips_.push_back(CellScale::Intersect(Clip(), scale_.ToCells(rect)));
}

void TerminalPainter::PopClip() {
    if (clips_.size() > 1) {
        clips_.pop_back();
    }
}

} // namespace pregonero::platform
