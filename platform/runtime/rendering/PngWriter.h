#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pregonero::runtime {

// Writes opaque 0xAARRGGBB pixels as an 8-bit RGB PNG, built for speed over
// size (screenshots are frequent in scripted runs): every row gets the SUB
// filter, which turns a screen's flat runs into zeros, and deflate its fastest
// level.
class PngWriter {
public:
    // Rows of `width` pixels `stride` bytes apart; alpha is ignored. The
    // pixels must stay valid and unchanged while Encode or Write runs.
    PngWriter(const std::uint8_t* argb, int width, int height, int stride);

    // The whole PNG file in memory. False with `error` set (the encoder's
    // reason, or a bad size) on failure.
    bool Encode(std::vector<std::uint8_t>* png, std::string* error) const;

    // Encodes, then writes the file. A regular file (or a new name) is
    // replaced only when the picture is complete: the bytes go to a fresh
    // temporary name beside it that is renamed over `path` at the end, so a
    // reader never sees half a picture and a failure (a missing directory, a
    // full disk, a failed close) leaves whatever was there before and no
    // stray file. A name that already exists as something else (a device, a
    // pipe, a symbolic link) is written through in place, as fopen would, and
    // never removed. On failure returns false with `error` = "PATH: reason".
    bool Write(const std::string& path, std::string* error) const;

private:
    const std::uint8_t* argb_;
    int width_;
    int height_;
    int stride_;
};

} // namespace pregonero::runtime
