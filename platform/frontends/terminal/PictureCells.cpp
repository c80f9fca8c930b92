#include "platform/frontends/terminal/PictureCells.h"

#include <chafa.h>

#include "platform/runtime/loop/UniqueHandle.h"
#include "platform/runtime/pictures/PixelBuffer.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace pregonero::platform {

namespace {

constexpr char32_t kUpperHalf = U'▀';

using runtime::UniqueHandle;

runtime::Rgba Unpack(int rgb, runtime::Rgba fallback) {
    if (rgb < 0) {
        return fallback;
    }
    return {static_cast<std::uint8_t>((rgb >> 16) & 0xFF),
            static_cast<std::uint8_t>((rgb >> 8) & 0xFF), static_cast<std::uint8_t>(rgb & 0xFF),
            255};
}

bool Consistent(const runtime::PixelBuffer& p) {
    if (p.width <= 0 || p.height <= 0) {
        return false;
    }
    int bytesPerPixel = p.format == runtime::PixelFormat::Rgb565 ? 2 : 4;
    return p.stride >= p.width * bytesPerPixel &&
           p.pixels.size() >= static_cast<size_t>(p.stride) * p.height;
}

// The average colour of the source pixels under [x0,x1) × [y0,y1).
runtime::Rgba Average(const std::vector<unsigned char>& rgba, int width, int x0, int x1, int y0,
                      int y1) {
    unsigned long sum[3] = {0, 0, 0};
    unsigned long count = 0;
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const unsigned char* px = &rgba[(static_cast<size_t>(y) * width + x) * 4];
            sum[0] += px[0];
            sum[1] += px[1];
            sum[2] += px[2];
            ++count;
        }
    }
    if (count == 0) {
        return {0, 0, 0, 255};
    }
    return {static_cast<std::uint8_t>(sum[0] / count), static_cast<std::uint8_t>(sum[1] / count),
            static_cast<std::uint8_t>(sum[2] / count), 255};
}

std::vector<PictureCell> HalfBlocks(const std::vector<unsigned char>& rgba, int width, int height,
                                    int cols, int rows) {
    std::vector<PictureCell> cells;
    // Each cell shows two picture rows: the top half in the foreground colour.
    auto span = [](int index, int parts, int size) {
        int first = static_cast<int>(static_cast<long>(index) * size / parts);
        int last = static_cast<int>(static_cast<long>(index + 1) * size / parts);
        return std::pair{first, std::max(last, std::min(first + 1, size))};
    };
    for (int row = 0; row < rows; ++row) {
        auto [top0, top1] = span(row * 2, rows * 2, height);
        auto [bottom0, bottom1] = span(row * 2 + 1, rows * 2, height);
        for (int col = 0; col < cols; ++col) {
            auto [x0, x1] = span(col, cols, width);
            cells.push_back({kUpperHalf, Average(rgba, width, x0, x1, top0, top1),
                             Average(rgba, width, x0, x1, bottom0, bottom1)});
        }
    }
    return cells;
}

std::vector<PictureCell> Chafa(const std::vector<unsigned char>& rgba, int width, int height,
                               int cols, int rows, runtime::Rgba under) {
    UniqueHandle<ChafaSymbolMap, chafa_symbol_map_unref> map(chafa_symbol_map_new());
    // Block symbols only: every terminal font has them, and they stay one cell wide.
    chafa_symbol_map_add_by_tags(
        map.get(), static_cast<ChafaSymbolTags>(CHAFA_SYMBOL_TAG_BLOCK | CHAFA_SYMBOL_TAG_SPACE));
    UniqueHandle<ChafaCanvasConfig, chafa_canvas_config_unref> config(chafa_canvas_config_new());
    chafa_canvas_config_set_geometry(config.get(), cols, rows);
    chafa_canvas_config_set_canvas_mode(config.get(), CHAFA_CANVAS_MODE_TRUECOLOR);
    chafa_canvas_config_set_symbol_map(config.get(), map.get());
    UniqueHandle<ChafaCanvas, chafa_canvas_unref> canvas(chafa_canvas_new(config.get()));
    chafa_canvas_draw_all_pixels(canvas.get(), CHAFA_PIXEL_RGBA8_UNASSOCIATED, rgba.data(), width,
                                 height, width * 4);
    std::vector<PictureCell> cells;
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < cols; ++col) {
            gint fg = -1;
            gint bg = -1;
            chafa_canvas_get_colors_at(canvas.get(), col, row, &fg, &bg);
            gunichar ch = chafa_canvas_get_char_at(canvas.get(), col, row);
            cells.push_back(
                {ch == 0 ? U' ' : static_cast<char32_t>(ch), Unpack(fg, under), Unpack(bg, under)});
        }
    }
    return cells;
}

} // namespace

std::vector<unsigned char> PictureCells::OpaqueRgba(const runtime::PixelBuffer& p,
                                                    runtime::Rgba under) {
    std::vector<unsigned char> out;
    if (!Consistent(p)) {
        return out;
    }
    out.resize(static_cast<size_t>(p.width) * p.height * 4);
    for (int y = 0; y < p.height; ++y) {
        const std::uint8_t* row = p.pixels.data() + static_cast<size_t>(y) * p.stride;
        for (int x = 0; x < p.width; ++x) {
            unsigned char* o = &out[(static_cast<size_t>(y) * p.width + x) * 4];
            if (p.format == runtime::PixelFormat::Rgb565) {
                std::uint16_t v;
                std::memcpy(&v, row + x * 2, 2);
                o[0] = static_cast<unsigned char>(((v >> 11) & 0x1F) * 255 / 31);
                o[1] = static_cast<unsigned char>(((v >> 5) & 0x3F) * 255 / 63);
                o[2] = static_cast<unsigned char>((v & 0x1F) * 255 / 31);
            } else {
                // Native-endian premultiplied ARGB words: laid over `under`.
                std::uint32_t v;
                std::memcpy(&v, row + x * 4, 4);
                unsigned a = v >> 24;
                unsigned channel[3] = {(v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF};
                unsigned base[3] = {under.r, under.g, under.b};
                for (int c = 0; c < 3; ++c) {
                    o[c] = static_cast<unsigned char>(
                        std::min(255u, channel[c] + base[c] * (255 - a) / 255));
                }
            }
            o[3] = 255;
        }
    }
    return out;
}

std::vector<PictureCell> PictureCells::Render(const runtime::PixelBuffer& pixels, int cols,
                                              int rows, runtime::Rgba under,
                                              PictureSymbols symbols) {
    if (cols <= 0 || rows <= 0) {
        return {};
    }
    std::vector<unsigned char> rgba = OpaqueRgba(pixels, under);
    if (rgba.empty()) {
        return {};
    }
    if (symbols == PictureSymbols::Chafa) {
        return Chafa(rgba, pixels.width, pixels.height, cols, rows, under);
    }
    return HalfBlocks(rgba, pixels.width, pixels.height, cols, rows);
}

} // namespace pregonero::platform
