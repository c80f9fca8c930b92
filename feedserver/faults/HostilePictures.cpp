#include "feedserver/faults/HostilePictures.h"

#include <cstdint>
#include <vector>

#include <turbojpeg.h>
#include <zlib.h>

#include "platform/runtime/loop/UniqueHandle.h"

namespace pregonero::feeds {

namespace {

using runtime::UniqueHandle;

std::string Compress(int side, int pixelFormat, int channels, int subsampling, int flags) {
    UniqueHandle<void, tjDestroy> tj(tjInitCompress());
    if (!tj) {
        return {};
    }
    std::vector<unsigned char> pixels(static_cast<std::size_t>(side) * side * channels);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = static_cast<unsigned char>((i * 7) ^ (i >> 9)); // busy enough for real scans
    }
    unsigned char* raw = nullptr;
    unsigned long size = 0;
    const int rc = tjCompress2(tj.get(), pixels.data(), side, 0, side, pixelFormat, &raw, &size,
                               subsampling, 90, flags);
    UniqueHandle<unsigned char, tjFree> out(raw);
    if (rc != 0 || !out) {
        return {};
    }
    return std::string(reinterpret_cast<char*>(out.get()), size);
}

// Offset of the marker 0xFF `code` at or after `from`, or npos.
std::size_t FindMarker(const std::string& jpeg, unsigned char code, std::size_t from = 0) {
    for (std::size_t i = from; i + 1 < jpeg.size(); ++i) {
        if (static_cast<unsigned char>(jpeg[i]) == 0xFF &&
            static_cast<unsigned char>(jpeg[i + 1]) == code) {
            return i;
        }
    }
    return std::string::npos;
}

// Entropy-coded bits, most significant first, with 0xFF bytes stuffed.
class BitWriter {
public:
    void Put(int value, int count) {
        for (int i = count - 1; i >= 0; --i) {
            current_ = static_cast<unsigned char>(current_ << 1 | ((value >> i) & 1));
            if (++used_ == 8) {
                Flush();
            }
        }
    }
    std::string Finish() {
        while (used_ != 0) {
            Put(1, 1); // pad with ones
        }
        return bytes_;
    }

private:
    void Flush() {
        bytes_ += static_cast<char>(current_);
        if (current_ == 0xFF) {
            bytes_ += '\0';
        }
        current_ = 0;
        used_ = 0;
    }
    std::string bytes_;
    unsigned char current_ = 0;
    int used_ = 0;
};

void PutBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) {
        out += static_cast<char>((value >> shift) & 0xFF);
    }
}

void PutChunk(std::string& png, const char* type, const std::string& data) {
    PutBigEndian(png, static_cast<std::uint32_t>(data.size()));
    const std::string typed = std::string(type, 4) + data;
    png += typed;
    PutBigEndian(png,
                 static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(typed.data()),
                                                  static_cast<uInt>(typed.size()))));
}

} // namespace

std::string HostilePictures::PlainJpeg(int side) {
    return Compress(side, TJPF_RGB, 3, TJSAMP_420, 0);
}

std::string HostilePictures::CmykJpeg(int side) {
    return Compress(side, TJPF_CMYK, 4, TJSAMP_444, 0);
}

std::string HostilePictures::ManyScanJpeg() {
    const int side = 1024; // 2^14 blocks a component: one run symbol covers them all
    // Hand-made progressive JPEG: three components, every AC coefficient of
    // every component in a scan of its own, refined bit by bit from 13 down
    // to 0. All coefficients are zero, so each scan is one end-of-band run.
    const int blocks = (side / 8) * (side / 8);
    std::string out = "\xFF\xD8";
    auto segment = [&out](unsigned char marker, const std::string& body) {
        out += '\xFF';
        out += static_cast<char>(marker);
        const std::size_t length = body.size() + 2;
        out += static_cast<char>(length >> 8);
        out += static_cast<char>(length & 0xFF);
        out += body;
    };
    segment(0xDB, std::string(1, '\0') + std::string(64, '\1'));
    std::string frame = {8,
                         static_cast<char>(side >> 8),
                         static_cast<char>(side & 0xFF),
                         static_cast<char>(side >> 8),
                         static_cast<char>(side & 0xFF),
                         3};
    for (char id = 1; id <= 3; ++id) {
        frame += {id, 0x11, 0};
    }
    segment(0xC2, frame);
    // One code of one bit in each table: DC difference 0, and a run of 2^14 empty blocks.
    std::string counts(16, '\0');
    counts[0] = 1;
    segment(0xC4, std::string(1, '\x00') + counts + std::string(1, '\x00'));
    segment(0xC4, std::string(1, '\x10') + counts + std::string(1, '\xE0'));
    BitWriter dc;
    for (int i = 0; i < blocks * 3; ++i) {
        dc.Put(0, 1);
    }
    segment(0xDA, {3, 1, 0, 2, 0, 3, 0, 0, 0, 0});
    out += dc.Finish();
    for (char component = 1; component <= 3; ++component) {
        for (char k = 1; k < 64; ++k) {
            for (int al = 13; al >= 0; --al) {
                const int ah = al == 13 ? 0 : al + 1;
                segment(0xDA, {1, component, 0, k, k, static_cast<char>(ah << 4 | al)});
                BitWriter ac;
                ac.Put(0, 1);                   // the run symbol
                ac.Put(blocks - (1 << 14), 14); // its extra bits: no more blocks

                out += ac.Finish();
            }
        }
    }
    return out + "\xFF\xD9";
}

std::string HostilePictures::JpegClaiming(unsigned width, unsigned height) {
    std::string jpeg = PlainJpeg(16);
    const std::size_t sof = FindMarker(jpeg, 0xC0);
    if (sof == std::string::npos || sof + 9 > jpeg.size()) {
        return jpeg;
    }
    // SOF0: marker, length (2), precision (1), height (2), width (2).
    jpeg[sof + 5] = static_cast<char>((height >> 8) & 0xFF);
    jpeg[sof + 6] = static_cast<char>(height & 0xFF);
    jpeg[sof + 7] = static_cast<char>((width >> 8) & 0xFF);
    jpeg[sof + 8] = static_cast<char>(width & 0xFF);
    return jpeg;
}

std::string HostilePictures::PngClaiming(unsigned width, unsigned height) {
    std::string png = "\x89PNG\r\n\x1a\n";
    std::string header;
    PutBigEndian(header, width);
    PutBigEndian(header, height);
    header += std::string("\x08\x06\x00\x00\x00", 5); // 8-bit RGBA, no interlace
    PutChunk(png, "IHDR", header);
    const unsigned char row[] = {0x78, 0x9c, 0x63, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01};
    PutChunk(png, "IDAT", std::string(reinterpret_cast<const char*>(row), sizeof row));
    PutChunk(png, "IEND", "");
    return png;
}

} // namespace pregonero::feeds
