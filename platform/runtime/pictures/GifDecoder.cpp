#include "platform/runtime/pictures/GifDecoder.h"

#include "platform/runtime/loop/UniqueHandle.h"

#include <algorithm>
#include <cstring>

#include <gif_lib.h>

namespace pregonero::runtime {
namespace {

// giflib's close reports an error code nobody here could act on.
void CloseGif(GifFileType* gif) {
    int error = 0;
    DGifCloseFile(gif, &error);
}
using GifFile = UniqueHandle<GifFileType, CloseGif>;

struct MemoryReader {
    std::string_view bytes;
    std::size_t offset = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* into, int wanted) {
    auto* reader = static_cast<MemoryReader*>(gif->UserData);
    const std::size_t left = reader->bytes.size() - reader->offset;
    const std::size_t n = std::min(left, static_cast<std::size_t>(std::max(wanted, 0)));
    std::memcpy(into, reader->bytes.data() + reader->offset, n);
    reader->offset += n;
    return static_cast<int>(n);
}

bool TooLarge(long long w, long long h) {
    return w < 1 || h < 1 || w > GifDecoder::kMaxSide || h > GifDecoder::kMaxSide ||
           w * h > GifDecoder::kMaxPixels;
}

std::string Failure(const GifFileType* gif) {
    const char* reason = GifErrorString(gif->Error);
    return std::string("corrupt GIF: ") + (reason != nullptr ? reason : "unknown error");
}

// Reads one extension record; a graphic control block may name a transparent index.
bool ReadExtension(GifFileType* gif, int& transparent) {
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) {
        return false;
    }
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4) {
        GraphicsControlBlock gcb{};
        if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK) {
            transparent = gcb.TransparentColor;
        }
    }
    while (block != nullptr) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) {
            return false;
        }
    }
    return true;
}

// Reads the frame's lines (in interlace order when needed) onto the canvas,
// clipping whatever lies outside the logical screen.
bool ReadFrame(GifFileType* gif, int transparent, ArgbImage& canvas) {
    const GifImageDesc& desc = gif->Image;
    const ColorMapObject* map = desc.ColorMap != nullptr ? desc.ColorMap : gif->SColorMap;
    if (map == nullptr || map->Colors == nullptr) {
        return false;
    }
    std::vector<GifPixelType> line(static_cast<std::size_t>(desc.Width));
    static constexpr int kStart[] = {0, 4, 2, 1}, kStep[] = {8, 8, 4, 2};
    const int passes = desc.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        const int start = desc.Interlace ? kStart[pass] : 0,
                  step = desc.Interlace ? kStep[pass] : 1;
        for (int row = start; row < desc.Height; row += step) {
            if (DGifGetLine(gif, line.data(), desc.Width) == GIF_ERROR) {
                return false;
            }
            const int y = desc.Top + row;
            if (y < 0 || y >= canvas.height) {
                continue;
            }
            for (int col = 0; col < desc.Width; ++col) {
                const int x = desc.Left + col;
                const int index = line[static_cast<std::size_t>(col)];
                if (x < 0 || x >= canvas.width || index == transparent ||
                    index >= map->ColorCount) {
                    continue;
                }
                const GifColorType c = map->Colors[index];
                canvas.pixels[static_cast<std::size_t>(y) * canvas.width + x] =
                    0xFF000000u | (unsigned(c.Red) << 16) | (unsigned(c.Green) << 8) | c.Blue;
            }
        }
    }
    return true;
}

} // namespace

bool GifDecoder::Sniff(std::string_view bytes) {
    return bytes.size() >= 6 && (bytes.substr(0, 6) == "GIF87a" || bytes.substr(0, 6) == "GIF89a");
}

std::string GifDecoder::Decode(std::string_view bytes, ArgbImage& out) {
    MemoryReader reader{bytes};
    int error = 0;
    GifFile gif(DGifOpen(&reader, ReadFromMemory, &error));
    if (!gif) {
        const char* reason = GifErrorString(error);
        return std::string("corrupt GIF: ") + (reason != nullptr ? reason : "unknown error");
    }
    if (TooLarge(gif->SWidth, gif->SHeight)) {
        return "picture too large";
    }
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType type = UNDEFINED_RECORD_TYPE;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) {
            return Failure(gif.get());
        }
        if (type == TERMINATE_RECORD_TYPE) {
            return "GIF without a frame";
        }
        if (type == EXTENSION_RECORD_TYPE) {
            if (!ReadExtension(gif.get(), transparent)) {
                return Failure(gif.get());
            }
            continue;
        }
        if (type != IMAGE_DESC_RECORD_TYPE) {
            continue;
        }
        if (DGifGetImageDesc(gif.get()) == GIF_ERROR) {
            return Failure(gif.get());
        }
        if (TooLarge(gif->Image.Width, gif->Image.Height)) {
            return "picture too large";
        }
        // The first frame over a transparent screen; later frames are ignored.
        out.width = gif->SWidth;
        out.height = gif->SHeight;
        out.pixels.assign(static_cast<std::size_t>(out.width) * out.height, 0);
        if (!ReadFrame(gif.get(), transparent, out)) {
            return gif->Error != 0 ? Failure(gif.get()) : "corrupt GIF: no colour map";
        }
        return {};
    }
}

} // namespace pregonero::runtime
