#include "platform/frontends/terminal/CellGrid.h"

#include "platform/base/Utf8.h"

#include <algorithm>

namespace pregonero::platform {

CellGrid::CellGrid(int cols, int rows)
    : cols_(std::max(cols, 0)), rows_(std::max(rows, 0)),
      cells_(static_cast<size_t>(cols_) * rows_) {}

void CellGrid::Blank(int col, int row) {
    if (!Contains(col, row)) {
        return;
    }
    Cell& cell = At(col, row);
    cell.ch = U' ';
    cell.mark = 0;
    cell.part = CellPart::Whole;
}

void CellGrid::Put(int col, int row, char32_t ch, int width, runtime::Rgba fg,
                   runtime::FontWeight weight) {
    if (!Contains(col, row) || (width == 2 && !Contains(col + 1, row))) {
        return;
    }
    // Never leave half of a wide character behind.
    for (int c = col; c < col + width; ++c) {
        if (At(c, row).part == CellPart::WideHead) {
            Blank(c + 1, row);
        } else if (At(c, row).part == CellPart::WideTail) {
            Blank(c - 1, row);
        }
    }
    Cell& cell = At(col, row);
    cell.ch = ch;
    cell.mark = 0;
    cell.fg = fg;
    cell.weight = weight;
    cell.part = width == 2 ? CellPart::WideHead : CellPart::Whole;
    cell.text = 0;
    if (width == 2) {
        Cell& tail = At(col + 1, row);
        tail.ch = 0;
        tail.mark = 0;
        tail.fg = fg;
        tail.bg = cell.bg;
        tail.part = CellPart::WideTail;
        tail.text = 0;
    }
}

std::string CellGrid::RowText(int row) const {
    std::string out;
    if (row < 0 || row >= rows_) {
        return out;
    }
    for (int col = 0; col < cols_; ++col) {
        const Cell& cell = At(col, row);
        if (cell.part == CellPart::WideTail) {
            continue;
        }
        text::AppendUtf8(out, cell.ch);
        if (cell.mark != 0) {
            text::AppendUtf8(out, cell.mark);
        }
    }
    out.erase(out.find_last_not_of(' ') + 1);
    return out;
}

std::string CellGrid::Text() const {
    std::string out;
    for (int row = 0; row < rows_; ++row) {
        out += RowText(row);
        out += '\n';
    }
    return out;
}

} // namespace pregonero::platform
