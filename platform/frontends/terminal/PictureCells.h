#pragma once

#include "platform/runtime/rendering/PaintTypes.h"

#include <vector>

namespace pregonero::runtime {
struct PixelBuffer;
} // namespace pregonero::runtime

namespace pregonero::platform {

// How a picture becomes characters: upper half blocks with one colour for
// the top and one for the bottom of each cell, or whatever mix of block
// symbols chafa finds closest.
enum class PictureSymbols { HalfBlocks, Chafa };

struct PictureCell {
    char32_t ch = U' ';
    runtime::Rgba fg;
    runtime::Rgba bg;
};

class PictureCells {
public:
    // `cols` × `rows` cells, row by row, showing the picture stretched over
    // them and laid over `under` where it is transparent. Empty when the
    // buffer is malformed or the area is.
    static std::vector<PictureCell> Render(const runtime::PixelBuffer& pixels, int cols, int rows,
                                           runtime::Rgba under, PictureSymbols symbols);

    // The picture as straight, opaque RGBA bytes over `under`; empty when the
    // buffer's size, stride or data do not agree.
    static std::vector<unsigned char> OpaqueRgba(const runtime::PixelBuffer& pixels,
                                                 runtime::Rgba under);
};

} // namespace pregonero::platform
