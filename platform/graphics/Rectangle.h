#pragma once

#include "platform/runtime/rendering/PaintTypes.h"

namespace Osp::Graphics {

class Rectangle {
public:
    Rectangle() = default;
    Rectangle(int x, int y, int width, int height) : x(x), y(y), width(width), height(height) {}
    bool operator==(const Rectangle& o) const = default;
    void SetBounds(int nx, int ny, int w, int h) {
        x = nx;
        y = ny;
        width = w;
        height = h;
    }
    pregonero::runtime::IntRect ToIntRect() const { return {x, y, width, height}; }

    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

class Point {
public:
    Point() = default;
    Point(int x, int y) : x(x), y(y) {}
    int x = 0;
    int y = 0;
};

class Dimension {
public:
    Dimension() = default;
    Dimension(int width, int height) : width(width), height(height) {}
    int width = 0;
    int height = 0;
};

} // namespace Osp::Graphics
