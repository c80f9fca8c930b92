#include "platform/frontends/terminal/CellScale.h"

#include <algorithm>
#include <cmath>

namespace pregonero::platform {

CellScale::CellScale(int cols, int rows, int screenWidth, int screenHeight)
    : cols_(std::max(cols, 1)), rows_(std::max(rows, 1)),
      cellWidth_(static_cast<double>(screenWidth) / cols_),
      cellHeight_(static_cast<double>(screenHeight) / rows_) {}

int CellScale::Col(int x) const {
    return static_cast<int>(std::lround(x / cellWidth_));
}

int CellScale::Row(int y) const {
    return static_cast<int>(std::lround(y / cellHeight_));
}

runtime::IntRect CellScale::ToCells(const runtime::IntRect& px) const {
    if (px.width <= 0 || px.height <= 0) {
        return {};
    }
    int left = Col(px.x);
    int top = Row(px.y);
    return {left, top, Col(px.x + px.width) - left, Row(px.y + px.height) - top};
}

runtime::IntRect CellScale::ToCellsAtLeastOne(const runtime::IntRect& px) const {
    runtime::IntRect cells = ToCells(px);
    if (px.width <= 0 || px.height <= 0) {
        return cells;
    }
    if (cells.width <= 0) {
        cells.x = static_cast<int>(std::floor(px.x / cellWidth_));
        cells.width = 1;
    }
    if (cells.height <= 0) {
        cells.y = static_cast<int>(std::floor(px.y / cellHeight_));
        cells.height = 1;
    }
    return cells;
}

runtime::IntRect CellScale::Intersect(const runtime::IntRect& a, const runtime::IntRect& b) {
    int left = std::max(a.x, b.x);
    int top = std::max(a.y, b.y);
    int right = std::min(a.x + a.width, b.x + b.width);
    int bottom = std::min(a.y + a.height, b.y + b.height);
    if (right <= left || bottom <= top) {
        return {left, top, 0, 0};
    }
    return {left, top, right - left, bottom - top};
}

} // namespace pregonero::platform
