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
    return EmptyScanJpeg(1024, 1024, 3, kManyScans);
}

std::string HostilePictures::SlowJpeg() {
    return EmptyScanJpeg(8192, 4864, 1, kSlowScans);
}

std::string HostilePictures::EmptyScanJpeg(int width, int height, int components, int scans) {
    // Hand-made progressive JPEG: one DC scan, then each AC coefficient of
    // each component in scans of its own, refined bit by bit from 13 down to
    // 0. All coefficients are zero, so each AC scan is a few end-of-band runs
    // of 2^14 to 2^15 - 1 blocks.
    const int blocks = ((width + 7) / 8) * ((height + 7) / 8);
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
                         static_cast<char>(height >> 8),
                         static_cast<char>(height & 0xFF),
                         static_cast<char>(width >> 8),
                         static_cast<char>(width & 0xFF),
                         static_cast<char>(components)};
    for (char id = 1; id <= components; ++id) {
        frame += {id, 0x11, 0};
    }
    segment(0xC2, frame);
    // One code of one bit in each table: DC difference 0, and a run of 2^14 or more empty blocks.
    std::string counts(16, '\0');
    counts[0] = 1;
    segment(0xC4, std::string(1, '\x00') + counts + std::string(1, '\x00'));
    segment(0xC4, std::string(1, '\x10') + counts + std::string(1, '\xE0'));
    BitWriter dc;
    for (int i = 0; i < blocks * components; ++i) {
        dc.Put(0, 1);
    }
    std::string dcScan = {static_cast<char>(components)};
    for (char id = 1; id <= components; ++id) {
        dcScan += {id, 0};
    }
    segment(0xDA, dcScan + std::string{0, 0, 0});
    out += dc.Finish();
    const int runs = (blocks + 32766) / 32767;
    int left = scans - 1;
    for (char component = 1; component <= components && left > 0; ++component) {
        for (char k = 1; k < 64 && left > 0; ++k) {
            for (int al = 13; al >= 0 && left > 0; --al, --left) {
                const int ah = al == 13 ? 0 : al + 1;
                segment(0xDA, {1, component, 0, k, k, static_cast<char>(ah << 4 | al)});
                BitWriter ac;
                for (int run = 0; run < runs; ++run) {
                    const int length = blocks / runs + (run < blocks % runs ? 1 : 0);
                    ac.Put(0, 1);                   // the run symbol
                    ac.Put(length - (1 << 14), 14); // its extra bits
                }
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
