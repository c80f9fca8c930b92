#pragma once

#include "platform/frontends/terminal/CellGrid.h"
#include "platform/frontends/terminal/CellScale.h"
#include "platform/frontends/terminal/PictureCells.h"
#include "platform/runtime/rendering/Painter.h"

#include <vector>

namespace pregonero::platform {

// Paints the screen into character cells: the controls draw in handset
// pixels as they always do, and every rectangle lands on the cells it covers.
// Texts never overlap: where two land on the same cells, the later one is
// cut with "…". A fill opaque enough to hide what is under it blanks it.
class TerminalPainter final : public runtime::Painter {
public:
    TerminalPainter(CellGrid& grid, const CellScale& scale,
                    PictureSymbols symbols = PictureSymbols::Chafa);
    void FillRect(const runtime::IntRect& rect, runtime::Rgba color) override;
    void StrokeRect(const runtime::IntRect& rect, runtime::Rgba color, int lineWidth) override;
    void DrawText(const runtime::IntRect& rect, std::string_view utf8,
                  const runtime::TextStyle& style) override;
    void DrawPixels(const runtime::IntRect& dest, const runtime::PixelBuffer& pixels) override;
    void PushClip(const runtime::IntRect& rect) override;
    void PopClip() override;

private:
    runtime::IntRect Clip() const { return clips_.back(); }
    bool Visible(int col, int row) const;
    void ThinLine(const runtime::IntRect& rect, runtime::Rgba color);
    void PutBorder(int col, int row, char32_t ch, runtime::Rgba color);
    // Whether a character of another text than `text` holds the cell.
    bool TakenByOther(int col, int row, std::uint32_t text) const;
    void PutText(int col, int row, char32_t ch, int width, const runtime::TextStyle& style,
                 std::uint32_t text);

    CellGrid& grid_;
    CellScale scale_;
    PictureSymbols symbols_;
    std::vector<runtime::IntRect> clips_;
    std::uint32_t texts_ = 0; // texts drawn so far
};

} // namespace pregonero::platform
