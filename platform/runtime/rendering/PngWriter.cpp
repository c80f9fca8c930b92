#include "platform/runtime/rendering/PngWriter.h"

#define ZLIB_CONST
#include <zlib.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <system_error>
#include <thread>

namespace pregonero::runtime {
namespace {

constexpr std::uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
constexpr std::uint8_t kFilterSub = 1;
constexpr int kLevel = 1;
constexpr int kWindowBits = 15; // negated for deflateInit2: raw deflate, we add the zlib wrapper
// zlib's default hash size is 8; 7 halves the table cleared for every run and
// fits the cache better: 4% faster on screens, and no bigger.
constexpr int kMemLevel = 7;
// The rows are deflated in runs of about this many filtered bytes, each its
// own raw deflate stream, taken in turn by whichever thread is free: a thread
// that starts late or shares its core simply takes fewer. Each run costs a
// reset and a dictionary and adds a block end and a sync flush marker; the
// screen's nine runs cost well under 1% in size.
constexpr std::size_t kRunBytes = 128 * 1024;
// Within a run, rows are filtered and deflated this many bytes at a time: the
// filtered rows are still in cache when deflate reads them, and a thread
// checks between blocks whether another thread has finished its run already.
constexpr std::size_t kBlockBytes = 16 * 1024;
// Each run but the first starts from this many of the filtered bytes before
// it as its dictionary, so its matches reach back across the cut. More costs
// time to prime (deflate hashes every byte of it) and gains next to nothing:
// measured on a screen, 4 KiB (about three rows) costs 0.2% in size against
// one stream, a full 32 KiB window 0.1% but ten times the priming.
constexpr std::size_t kDictionaryBytes = 4 * 1024;
// Threads besides the caller's. The screen is 2 MB of pixels: more threads
// would mostly wait on memory and cost more to start than they save.
constexpr int kWorkerThreads = 1;
// PNG allows chunks up to 2^31 - 1 bytes; smaller ones are kinder to readers.
constexpr std::size_t kMaxIdatBytes = std::size_t{1} << 20;

struct DeflateEnd {
    void operator()(z_stream* stream) const { deflateEnd(stream); }
};
struct FileClose {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

// The picture being written, as the writer was given it.
struct Pixels {
    const std::uint8_t* argb;
    int width;
    int stride;
    std::size_t RowBytes() const { return 1 + 3 * static_cast<std::size_t>(width); }
};

// One run of rows, deflated as a stream of its own. Any thread may work on
// it; the first to finish settles it with its result, and any other thread
// still on it gives up.
struct Run {
    int firstRow = 0;
    int endRow = 0;
    bool last = false; // ends the zlib stream; the others end on a sync flush
    std::atomic<bool> settled{false};
    // Written only by the thread that settled the run, read once all are joined.
    std::vector<std::uint8_t> deflated;
    std::uint32_t adler = 1; // adler32 of this run's filtered bytes alone
    std::size_t filteredBytes = 0;
};

enum class Outcome { kSettled, kGivenUp, kFailed };

// Rows [firstRow, endRow) as PNG scanlines: the SUB filter byte, then each of
// R, G, B minus the same channel of the pixel to its left (0 for the first).
void FilterRows(const Pixels& pixels, int firstRow, int endRow, std::uint8_t* out) {
    for (int y = firstRow; y < endRow; ++y) {
        const std::uint8_t* in = pixels.argb + static_cast<std::size_t>(y) * pixels.stride;
        *out++ = kFilterSub;
        std::uint32_t left = 0;
        for (int x = 0; x < pixels.width; ++x) {
            std::uint32_t p;
            std::memcpy(&p, in + 4 * static_cast<std::size_t>(x), sizeof p);
            out[0] = static_cast<std::uint8_t>((p >> 16) - (left >> 16));
            out[1] = static_cast<std::uint8_t>((p >> 8) - (left >> 8));
            out[2] = static_cast<std::uint8_t>(p - left);
            out += 3;
            left = p;
        }
    }
}

// adler32, as zlib's but quicker on filtered screens, where most 8-byte words
// are zero: a zero word only adds 8 × a to b. Other words add their byte sum
// to a and their weighted sum to b at once. Sums are reduced modulo 65521
// once a MiB, which 64 bits hold with room to spare (b stays below 2^49).
std::uint32_t Adler32(std::uint32_t adler, const std::uint8_t* p, std::size_t size) {
    constexpr std::uint64_t kBase = 65521;
    std::uint64_t a = adler & 0xFFFF, b = adler >> 16;
    while (size > 0) {
        std::size_t block = std::min<std::size_t>(size, std::size_t{1} << 20);
        size -= block;
        for (; block >= 8; p += 8, block -= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            if (word == 0) {
                b += 8 * a;
                continue;
            }
            const std::uint64_t sum =
                std::uint64_t{p[0]} + p[1] + p[2] + p[3] + p[4] + p[5] + p[6] + p[7];
            const std::uint64_t weighted = 8 * std::uint64_t{p[0]} + 7 * std::uint64_t{p[1]} +
                                           6 * std::uint64_t{p[2]} + 5 * std::uint64_t{p[3]} +
                                           4 * std::uint64_t{p[4]} + 3 * std::uint64_t{p[5]} +
                                           2 * std::uint64_t{p[6]} + p[7];
            b += 8 * a + weighted;
            a += sum;
        }
        for (; block > 0; --block) {
            a += *p++;
            b += a;
        }
        a %= kBase;
        b %= kBase;
    }
    return static_cast<std::uint32_t>((b << 16) | a);
}

std::string ZlibFailure(const z_stream& stream, int rc) {
    return std::string("zlib: ") + (stream.msg != nullptr ? stream.msg : zError(rc));
}

// Feeds `size` bytes to deflate with `flush`, appending the output to `out`
// from `used` on and growing it whenever deflate fills it. Z_OK once all the
// input is taken and, for a flush, all its output written.
int DeflateAll(z_stream& stream, const std::uint8_t* in, std::size_t size, int flush,
               std::vector<std::uint8_t>& out, std::size_t& used) {
    stream.next_in = in;
    stream.avail_in = static_cast<uInt>(size);
    for (;;) {
        if (used == out.size()) {
            out.resize(std::max<std::size_t>(out.size() * 2, 4096));
        }
        stream.next_out = out.data() + used;
        stream.avail_out = static_cast<uInt>(std::min<std::size_t>(out.size() - used, UINT32_MAX));
        const uInt room = stream.avail_out;
        const int rc = deflate(&stream, flush);
        used += room - stream.avail_out;
        if (rc == Z_STREAM_END) {
            return Z_OK;
        }
        if (rc == Z_BUF_ERROR && flush != Z_FINISH && stream.avail_in == 0) {
            return Z_OK; // nothing left to do: the input is taken and any flush done
        }
        if (rc != Z_OK) {
            return rc;
        }
        if (flush != Z_FINISH && stream.avail_in == 0 && stream.avail_out != 0) {
            return Z_OK;
        }
    }
}

// Filters and deflates one run as a raw deflate stream, on `stream` fresh from
// deflateInit2 or deflateReset, and settles the run unless another thread
// does so first. `filtered` and `out` are the thread's buffers.
Outcome CompressRun(const Pixels& pixels, z_stream& stream, std::vector<std::uint8_t>& filtered,
                    std::vector<std::uint8_t>& out, Run& run, std::string& error) {
    const std::size_t rowBytes = pixels.RowBytes();
    if (run.firstRow > 0) {
        const int rows = static_cast<int>(
            std::min<std::size_t>(run.firstRow, (kDictionaryBytes + rowBytes - 1) / rowBytes));
        filtered.resize(static_cast<std::size_t>(rows) * rowBytes);
        FilterRows(pixels, run.firstRow - rows, run.firstRow, filtered.data());
        const std::size_t size = std::min(filtered.size(), kDictionaryBytes);
        if (int rc = deflateSetDictionary(&stream, filtered.data() + filtered.size() - size,
                                          static_cast<uInt>(size));
            rc != Z_OK) {
            error = ZlibFailure(stream, rc);
            return Outcome::kFailed;
        }
    }
    const int blockRows = static_cast<int>(std::max<std::size_t>(1, kBlockBytes / rowBytes));
    filtered.resize(static_cast<std::size_t>(blockRows) * rowBytes);
    const std::size_t runBytes = static_cast<std::size_t>(run.endRow - run.firstRow) * rowBytes;
    // Room for the worst case up front, so deflate need not be called twice.
    out.resize(std::max<std::size_t>(out.size(), deflateBound(&stream, runBytes) + 64));
    std::size_t used = 0;
    std::uint32_t adler = 1;
    for (int row = run.firstRow; row < run.endRow; row += blockRows) {
        if (run.settled.load(std::memory_order_relaxed)) {
            return Outcome::kGivenUp;
        }
        const int end = std::min(run.endRow, row + blockRows);
        const std::size_t size = static_cast<std::size_t>(end - row) * rowBytes;
        FilterRows(pixels, row, end, filtered.data());
        adler = Adler32(adler, filtered.data(), size);
        const int flush = end < run.endRow ? Z_NO_FLUSH : (run.last ? Z_FINISH : Z_SYNC_FLUSH);
        if (int rc = DeflateAll(stream, filtered.data(), size, flush, out, used); rc != Z_OK) {
            error = ZlibFailure(stream, rc);
            return Outcome::kFailed;
        }
    }
    if (run.settled.exchange(true, std::memory_order_acq_rel)) {
        return Outcome::kGivenUp;
    }
    run.deflated.assign(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(used));
    run.adler = adler;
    run.filteredBytes = runBytes;
    return Outcome::kSettled;
}

// One thread's work: first the runs nobody has taken, in turn; then, once all
// are taken, any run another thread is still on, so that the last runs do not
// wait on a thread slowed by sharing its core: whichever thread finishes a
// run first settles it. A thread stops at its first failure, with `error`
// set; another thread may still settle the run it failed on. Never throws.
void CompressRuns(const Pixels& pixels, std::vector<Run>& runs, std::atomic<std::size_t>& next,
                  std::string& error) noexcept {
    try {
        z_stream stream{};
        std::unique_ptr<z_stream, DeflateEnd> streamOwner;
        std::vector<std::uint8_t> filtered, out;
        auto compress = [&](Run& run) {
            if (streamOwner) {
                deflateReset(&stream); // cannot fail on a stream deflateInit2 set up
            } else if (int rc = deflateInit2(&stream, kLevel, Z_DEFLATED, -kWindowBits, kMemLevel,
                                             Z_DEFAULT_STRATEGY);
                       rc != Z_OK) {
                error = ZlibFailure(stream, rc);
                return false;
            } else {
                streamOwner.reset(&stream);
            }
            return CompressRun(pixels, stream, filtered, out, run, error) != Outcome::kFailed;
        };
        for (std::size_t i = next++; i < runs.size(); i = next++) {
            if (!compress(runs[i])) {
                return;
            }
        }
        for (Run& run : runs) {
            if (!run.settled.load(std::memory_order_relaxed) && !compress(run)) {
                return;
            }
        }
    } catch (const std::exception& e) {
        error = e.what();
    }
}

void AppendBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.insert(out.end(),
               {static_cast<std::uint8_t>(value >> 24), static_cast<std::uint8_t>(value >> 16),
                static_cast<std::uint8_t>(value >> 8), static_cast<std::uint8_t>(value)});
}

void AppendChunk(std::vector<std::uint8_t>& out, const char (&type)[5], const std::uint8_t* data,
                 std::size_t size) {
    AppendBigEndian(out, static_cast<std::uint32_t>(size));
    const std::size_t typeAt = out.size();
    out.insert(out.end(), type, type + 4);
    if (size != 0) {
        out.insert(out.end(), data, data + size);
    }
    AppendBigEndian(
        out, static_cast<std::uint32_t>(crc32_z(0, out.data() + typeAt, out.size() - typeAt)));
}

// Deflates every run, on this thread and the workers; false with `error` set
// unless every run was settled.
bool CompressAll(const Pixels& pixels, std::vector<Run>& runs, std::string* error) {
    std::atomic<std::size_t> next{0};
    std::string errors[1 + kWorkerThreads];
    std::thread workers[kWorkerThreads];
    for (int i = 0; i < kWorkerThreads && static_cast<std::size_t>(i + 1) < runs.size(); ++i) {
        try {
            workers[i] = std::thread([&pixels, &runs, &next, &errors, i] {
                CompressRuns(pixels, runs, next, errors[i + 1]);
            });
        } catch (const std::system_error&) {
            break; // no thread to be had: fewer threads share the runs, down to this one
        }
    }
    CompressRuns(pixels, runs, next, errors[0]);
    for (std::thread& worker : workers) {
        if (worker.joinable()) {
            worker.join();
        }
    }
    for (const Run& run : runs) {
        if (!run.settled.load(std::memory_order_relaxed)) {
            const std::string* reason =
                std::find_if(std::begin(errors), std::end(errors),
                             [](const std::string& e) { return !e.empty(); });
            *error = reason != std::end(errors) ? *reason : "zlib: rows left uncompressed";
            return false;
        }
    }
    return true;
}

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
    try {
        const Pixels pixels{argb_, width_, stride_};
        const int runRows =
            static_cast<int>(std::max<std::size_t>(1, kRunBytes / pixels.RowBytes()));
        std::vector<Run> runs(static_cast<std::size_t>((height_ + runRows - 1) / runRows));
        for (std::size_t i = 0; i < runs.size(); ++i) {
            runs[i].firstRow = static_cast<int>(i) * runRows;
            runs[i].endRow = std::min(height_, runs[i].firstRow + runRows);
        }
        runs.back().last = true;
        if (!CompressAll(pixels, runs, error)) {
            return false;
        }

        // The zlib stream: header (deflate, 32 KiB window, fastest level), the
        // runs' deflate data back to back, and the adler32 of all the filtered
        // bytes, combined from the runs' own sums.
        uLong adler = runs[0].adler;
        std::size_t deflatedBytes = runs[0].deflated.size();
        for (std::size_t i = 1; i < runs.size(); ++i) {
            adler =
                adler32_combine(adler, runs[i].adler, static_cast<z_off_t>(runs[i].filteredBytes));
            deflatedBytes += runs[i].deflated.size();
        }
        std::vector<std::uint8_t> zlib;
        zlib.reserve(2 + deflatedBytes + 4);
        zlib.insert(zlib.end(), {0x78, 0x01});
        for (const Run& run : runs) {
            zlib.insert(zlib.end(), run.deflated.begin(), run.deflated.end());
        }
        AppendBigEndian(zlib, static_cast<std::uint32_t>(adler));

        std::vector<std::uint8_t>& out = *png;
        out.clear();
        out.reserve(sizeof kSignature + 25 + zlib.size() + 12 * (zlib.size() / kMaxIdatBytes + 1) +
                    12);
        out.insert(out.end(), std::begin(kSignature), std::end(kSignature));
        std::vector<std::uint8_t> header;
        AppendBigEndian(header, static_cast<std::uint32_t>(width_));
        AppendBigEndian(header, static_cast<std::uint32_t>(height_));
        // 8 bits per channel, colour type 2 (RGB), deflate, adaptive filtering, no interlace.
        header.insert(header.end(), {8, 2, 0, 0, 0});
        AppendChunk(out, "IHDR", header.data(), header.size());
        for (std::size_t at = 0; at < zlib.size(); at += kMaxIdatBytes) {
            AppendChunk(out, "IDAT", zlib.data() + at, std::min(kMaxIdatBytes, zlib.size() - at));
        }
        AppendChunk(out, "IEND", nullptr, 0);
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
    std::unique_ptr<std::FILE, FileClose> file;
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
