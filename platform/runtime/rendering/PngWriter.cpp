#include "platform/runtime/rendering/PngWriter.h"

#include "platform/runtime/loop/UniqueHandle.h"

#include <spng.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace pregonero::runtime {
namespace {

using SpngContext = UniqueHandle<spng_ctx, spng_ctx_free>;
using FileHandle = UniqueHandle<std::FILE, std::fclose>;
using MallocBuffer = UniqueHandle<void, std::free>;

std::string Reason(int error) {
    return error != 0 ? std::strerror(error) : "write failed";
}

// A name beside `path` that nothing else uses, for the picture while it is
// being written: `path`.tmp.PID.N.
std::string TemporaryName(const std::string& path) {
    static std::atomic<unsigned> counter{0};
    return path + ".tmp." + std::to_string(::getpid()) + "." + std::to_string(counter++);
}

} // namespace

PngWriter::PngWriter(const std::uint8_t* argb, int width, int height, int stride)
    : argb_(argb), width_(width), height_(height), stride_(stride) {}

bool PngWriter::Encode(std::vector<std::uint8_t>* png, std::string* error) const {
    if (argb_ == nullptr || width_ <= 0 || height_ <= 0 ||
        static_cast<long long>(stride_) < 4LL * width_) {
        *error = "bad picture size";
        return false;
    }
    SpngContext ctx(spng_ctx_new(SPNG_CTX_ENCODER));
    if (!ctx) {
        *error = "out of memory";
        return false;
    }
    spng_ihdr ihdr{};
    ihdr.width = static_cast<std::uint32_t>(width_);
    ihdr.height = static_cast<std::uint32_t>(height_);
    ihdr.bit_depth = 8;
    ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
    // Rows are converted one at a time, so the picture is never copied whole.
    int rc = spng_set_option(ctx.get(), SPNG_ENCODE_TO_BUFFER, 1);
    if (rc == 0) {
        rc = spng_set_option(ctx.get(), SPNG_FILTER_CHOICE, SPNG_FILTER_CHOICE_SUB);
    }
    if (rc == 0) {
        rc = spng_set_option(ctx.get(), SPNG_IMG_COMPRESSION_LEVEL, 1);
    }
    if (rc == 0) {
        rc = spng_set_ihdr(ctx.get(), &ihdr);
    }
    if (rc == 0) {
        rc = spng_encode_image(ctx.get(), nullptr, 0, SPNG_FMT_PNG,
                               SPNG_ENCODE_PROGRESSIVE | SPNG_ENCODE_FINALIZE);
    }
    try {
        std::vector<std::uint8_t> rgb(3 * static_cast<std::size_t>(width_));
        for (int y = 0; y < height_ && rc == 0; ++y) {
            const std::uint8_t* in = argb_ + static_cast<std::size_t>(y) * stride_;
            for (int x = 0; x < width_; ++x) {
                std::uint32_t p;
                std::memcpy(&p, in + 4 * static_cast<std::size_t>(x), sizeof p);
                rgb[3 * x] = static_cast<std::uint8_t>(p >> 16);
                rgb[3 * x + 1] = static_cast<std::uint8_t>(p >> 8);
                rgb[3 * x + 2] = static_cast<std::uint8_t>(p);
            }
            rc = spng_encode_row(ctx.get(), rgb.data(), rgb.size());
        }
        // The last row answers SPNG_EOI: the image is complete and finalised.
        if (rc != SPNG_EOI) {
            *error = std::string("libspng: ") + spng_strerror(rc);
            return false;
        }
        std::size_t size = 0;
        MallocBuffer bytes(spng_get_png_buffer(ctx.get(), &size, &rc));
        if (!bytes) {
            *error = std::string("libspng: ") + spng_strerror(rc);
            return false;
        }
        const auto* first = static_cast<const std::uint8_t*>(bytes.get());
        png->assign(first, first + size);
        return true;
    } catch (const std::bad_alloc&) {
        *error = "out of memory";
        return false;
    }
}

bool PngWriter::Write(const std::string& path, std::string* error) const {
    // Everything that can fail short of the file system fails before it is touched.
    std::vector<std::uint8_t> png;
    std::string reason;
    if (!Encode(&png, &reason)) {
        *error = path + ": " + reason;
        return false;
    }
    struct stat status {};
    const bool inPlace = ::lstat(path.c_str(), &status) == 0 && !S_ISREG(status.st_mode);
    std::string target = path;
    FileHandle file;
    if (inPlace) {
        file.reset(std::fopen(path.c_str(), "wbe"));
    } else {
        // A fresh name, created exclusively ('x'); one left by a crashed run is skipped.
        for (int attempt = 0; attempt < 100 && !file; ++attempt) {
            target = TemporaryName(path);
            file.reset(std::fopen(target.c_str(), "wbxe"));
            if (!file && errno != EEXIST) {
                break;
            }
        }
    }
    if (!file) {
        *error = path + ": " + Reason(errno);
        return false;
    }
    auto fail = [&](int err) {
        *error = path + ": " + Reason(err);
        if (!inPlace) {
            ::unlink(target.c_str());
        }
        return false;
    };
    errno = 0;
    if (std::fwrite(png.data(), 1, png.size(), file.get()) != png.size()) {
        const int err = errno;
        file.reset();
        return fail(err);
    }
    // The close writes what stdio still holds; a full disk may show only here.
    errno = 0;
    if (std::fclose(file.release()) != 0) {
        return fail(errno);
    }
    if (!inPlace && std::rename(target.c_str(), path.c_str()) != 0) {
        return fail(errno);
    }
    return true;
}

} // namespace pregonero::runtime
