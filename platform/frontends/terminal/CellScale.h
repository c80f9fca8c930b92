#pragma once

#include "platform/runtime/rendering/PaintTypes.h"

namespace pregonero::platform {

// Maps the handset's pixel screen onto the terminal's character cells. The
// whole screen always fits: a cell is screenWidth / cols pixels wide and
// screenHeight / rows pixels high, so a wider terminal gives longer lines and
// a taller one more lines, and nothing ever needs scrolling sideways.
class CellScale {
public:
    static constexpr int kScreenWidth = 480;
    static constexpr int kScreenHeight = 800;

    CellScale(int cols, int rows, int screenWidth = kScreenWidth, int screenHeight = kScreenHeight);
    int Cols() const { return cols_; }
    int Rows() const { return rows_; }
    double CellWidth() const { return cellWidth_; }

    // The cells whose area the pixel rectangle mostly covers (edges rounded
    // to the nearest cell boundary); may be empty for thin rectangles.
    runtime::IntRect ToCells(const runtime::IntRect& pixels) const;
    // As ToCells, but a rectangle that rounds to no row or column still gets
    // the one it starts in, so a short line of text is not lost.
    runtime::IntRect ToCellsAtLeastOne(const runtime::IntRect& pixels) const;

    static runtime::IntRect Intersect(const runtime::IntRect& a, const runtime::IntRect& b);

private:
    int Col(int x) const;
    int Row(int y) const;
    int cols_;
    int rows_;
    double cellWidth_;
    double cellHeight_;
};

} // namespace pregonero::platform
