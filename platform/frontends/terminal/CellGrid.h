#pragma once

#include "platform/runtime/rendering/PaintTypes.h"

#include <string>
#include <vector>

namespace pregonero::platform {

// Which part of a character a cell shows: a wide character takes two cells,
// the second of which only holds its place.
enum class CellPart : std::uint8_t { Whole, WideHead, WideTail };

struct Cell {
    char32_t ch = U' ';
    char32_t mark = 0; // one combining mark drawn over `ch`, or none
    runtime::Rgba fg{255, 255, 255, 255};
    runtime::Rgba bg{0, 0, 0, 255};
    runtime::FontWeight weight = runtime::FontWeight::Normal;
    CellPart part = CellPart::Whole;
    // Which piece of text put the character here (numbered by the painter),
    // or 0 for anything else; an opaque fill clears it.
    std::uint32_t text = 0;
};

// What the terminal shows, one cell per character position; the front end
// paints into it and then hands it to the terminal in one go.
class CellGrid {
public:
    CellGrid(int cols, int rows);
    int Cols() const { return cols_; }
    int Rows() const { return rows_; }
    bool Contains(int col, int row) const {
        return col >= 0 && row >= 0 && col < cols_ && row < rows_;
    }
    Cell& At(int col, int row) { return cells_[static_cast<size_t>(row) * cols_ + col]; }
    const Cell& At(int col, int row) const {
        return cells_[static_cast<size_t>(row) * cols_ + col];
    }
    // Puts `ch` at the cell, as no text's (`text` 0); a wide character also
    // claims the next cell, and a character written over half of a wide one
    // blanks its other half.
    void Put(int col, int row, char32_t ch, int width, runtime::Rgba fg,
             runtime::FontWeight weight);
    // The row as UTF-8 with trailing blanks dropped.
    std::string RowText(int row) const;
    // Every row, one line each.
    std::string Text() const;

private:
    void Blank(int col, int row);
    int cols_;
    int rows_;
    std::vector<Cell> cells_;
};

} // namespace pregonero::platform
