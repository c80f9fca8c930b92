#include "platform/runtime/pictures/JpegDecoder.h"

#include <bit>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>

namespace pregonero::runtime {
namespace {

// libjpeg reports failures through error_exit, which must not return: it
// jumps back to the setjmp of the step that was running. The functions that
// call setjmp hold nothing with a destructor, so nothing is skipped.
struct Errors {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

[[noreturn]] void Jump(j_common_ptr cinfo) {
    std::longjmp(reinterpret_cast<Errors*>(cinfo->err)->jump, 1);
}

[[noreturn]] void OnError(j_common_ptr cinfo) {
    auto* errors = reinterpret_cast<Errors*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, errors->message);
    Jump(cinfo);
}

// A warning (level -1) means damaged or truncated data: fail rather than
// return half a grey picture. Trace messages are ignored.
void OnMessage(j_common_ptr cinfo, int level) {
    if (level < 0) {
        OnError(cinfo);
    }
}

struct Progress {
    jpeg_progress_mgr manager;
    const DecodeBudget* budget;
};

// Called for every row of blocks of every scan and every output row: the
// place to give up once the budget is spent, or once the decoder meets more
// scans than the count before decoding found.
void OnProgress(j_common_ptr cinfo) {
    const auto* progress = reinterpret_cast<Progress*>(cinfo->progress);
    auto* errors = reinterpret_cast<Errors*>(cinfo->err);
    const auto* decompress = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (decompress->input_scan_number > JpegDecoder::kMaxScans) {
        std::snprintf(errors->message, sizeof errors->message, "too many scans");
        Jump(cinfo);
    }
    if (progress->budget->Spent()) {
        std::snprintf(errors->message, sizeof errors->message, "%s", DecodeBudget::kTimeout);
        Jump(cinfo);
    }
}

// One decompressor from creation to destruction.
class Session {
public:
    Session(std::string_view bytes, const DecodeBudget& budget) {
        cinfo.err = jpeg_std_error(&errors.manager);
        errors.manager.error_exit = OnError;
        errors.manager.emit_message = OnMessage;
        errors.message[0] = '\0';
        progress.manager.progress_monitor = OnProgress;
        progress.budget = &budget;
        bytes_ = bytes;
    }
    ~Session() {
        if (created_) {
            jpeg_destroy_decompress(&cinfo);
        }
    }
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    bool ReadHeader();
    bool ReadPixels(JSAMPARRAY rows);
    std::string Failure() const {
        const std::string message = errors.message;
        return message == DecodeBudget::kTimeout ? message : "corrupt JPEG: " + message;
    }

    jpeg_decompress_struct cinfo{};

private:
    Errors errors{};
    Progress progress{};
    std::string_view bytes_;
    bool created_ = false;
};

bool Session::ReadHeader() {
    if (setjmp(errors.jump) != 0) {
        return false;
    }
    jpeg_create_decompress(&cinfo);
    created_ = true;
    cinfo.progress = &progress.manager;
    jpeg_mem_src(&cinfo, reinterpret_cast<const unsigned char*>(bytes_.data()),
                 static_cast<unsigned long>(bytes_.size()));
    jpeg_read_header(&cinfo, TRUE);
    return true;
}

// A progressive file is read whole, scan by scan, inside
// jpeg_start_decompress; the progress monitor runs throughout.
bool Session::ReadPixels(JSAMPARRAY rows) {
    if (setjmp(errors.jump) != 0) {
        return false;
    }
    jpeg_start_decompress(&cinfo);
    while (cinfo.output_scanline < cinfo.output_height) {
        jpeg_read_scanlines(&cinfo, rows + cinfo.output_scanline,
                            cinfo.output_height - cinfo.output_scanline);
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

// The smallest reduction (1/8 .. 8/8) whose output still covers the request
// on both axes; the centre crop then only ever shrinks. Upscaling is left to
// the scaler, so nothing larger than the file's own size is allocated.
unsigned ChooseEighths(int fullW, int fullH, int wantW, int wantH) {
    for (unsigned eighths = 1; eighths < 8; ++eighths) {
        const long long w = (static_cast<long long>(fullW) * eighths + 7) / 8;
        const long long h = (static_cast<long long>(fullH) * eighths + 7) / 8;
        if (w >= wantW && h >= wantH) {
            return eighths;
        }
    }
    return 8;
}

// Adobe-style CMYK as libjpeg hands it over is stored inverted (255 = no ink),
// so the naive conversion is a product. No colour management: good enough to
// recognise the picture in a thumbnail.
void CmykToArgb(const std::vector<unsigned char>& cmyk, ArgbImage& out) {
    for (std::size_t i = 0; i < out.pixels.size(); ++i) {
        const unsigned c = cmyk[i * 4], m = cmyk[i * 4 + 1], y = cmyk[i * 4 + 2];
        const unsigned k = cmyk[i * 4 + 3];
        const unsigned r = (c * k + 127) / 255, g = (m * k + 127) / 255, b = (y * k + 127) / 255;
        out.pixels[i] = 0xFF000000u | (r << 16) | (g << 8) | b;
    }
}

unsigned Byte(std::string_view bytes, std::size_t at) {
    return static_cast<unsigned char>(bytes[at]);
}

} // namespace

bool JpegDecoder::Sniff(std::string_view bytes) {
    return bytes.size() >= 3 && Byte(bytes, 0) == 0xFF && Byte(bytes, 1) == 0xD8 &&
           Byte(bytes, 2) == 0xFF;
}

int JpegDecoder::CountScans(std::string_view bytes) {
    int scans = 0;
    std::size_t at = 2; // after the start-of-image marker
    while (at + 1 < bytes.size()) {
        if (Byte(bytes, at) != 0xFF) {
            // Entropy-coded data, up to the next 0xFF.
            const void* next = std::memchr(bytes.data() + at, 0xFF, bytes.size() - at);
            if (next == nullptr) {
                break;
            }
            at = static_cast<std::size_t>(static_cast<const char*>(next) - bytes.data());
            continue;
        }
        const unsigned marker = Byte(bytes, at + 1);
        if (marker == 0xFF) {
            ++at; // fill byte before a marker
            continue;
        }
        if (marker == 0x00 || marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {
            at += 2; // a stuffed 0xFF, TEM or a restart: no length follows
            continue;
        }
        if (marker == 0xD9 || at + 3 >= bytes.size()) {
            break; // end of image, or a segment cut short
        }
        const std::size_t length = Byte(bytes, at + 2) << 8 | Byte(bytes, at + 3);
        if (length < 2) {
            break;
        }
        if (marker == 0xDA) {
            ++scans;
        }
        at += 2 + length;
    }
    return scans;
}

std::string JpegDecoder::Decode(std::string_view bytes, int width, int height, ArgbImage& out,
                                const DecodeBudget& budget) {
    if (CountScans(bytes) > kMaxScans) {
        return "too many scans";
    }
    Session session(bytes, budget);
    if (!session.ReadHeader()) {
        return session.Failure();
    }
    jpeg_decompress_struct& cinfo = session.cinfo;
    const long long fullW = cinfo.image_width, fullH = cinfo.image_height;
    if (fullW < 1 || fullH < 1 || fullW > kMaxSide || fullH > kMaxSide ||
        fullW * fullH > kMaxPixels) {
        return "picture too large";
    }
    cinfo.scale_num =
        ChooseEighths(static_cast<int>(fullW), static_cast<int>(fullH), width, height);
    cinfo.scale_denom = 8;
    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    // Both orders give the 0xAARRGGBB word in memory; libjpeg fills alpha with 0xFF.
    cinfo.out_color_space =
        cmyk ? JCS_CMYK
             : (std::endian::native == std::endian::little ? JCS_EXT_BGRA : JCS_EXT_ARGB);
    jpeg_calc_output_dimensions(&cinfo);
    out.width = static_cast<int>(cinfo.output_width);
    out.height = static_cast<int>(cinfo.output_height);
    out.pixels.assign(static_cast<std::size_t>(out.width) * out.height, 0);
    std::vector<unsigned char> raw(cmyk ? out.pixels.size() * 4 : 0);
    unsigned char* base = cmyk ? raw.data() : reinterpret_cast<unsigned char*>(out.pixels.data());
    std::vector<JSAMPROW> rows(static_cast<std::size_t>(out.height));
    for (std::size_t y = 0; y < rows.size(); ++y) {
        rows[y] = base + y * static_cast<std::size_t>(out.width) * 4;
    }
    if (!session.ReadPixels(rows.data())) {
        return session.Failure();
    }
    if (cmyk) {
        CmykToArgb(raw, out);
    }
    return {};
}

} // namespace pregonero::runtime
