#include "feedserver/faults/GzipBomb.h"

#include <algorithm>

#include <zlib.h>

#include "platform/runtime/loop/UniqueHandle.h"

namespace pregonero::feeds {

std::string GzipBomb::Make(std::size_t inflatedBytes) {
    z_stream stream{};
    // 31: deflate with a gzip header and trailer.
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 31, 9, Z_DEFAULT_STRATEGY) != Z_OK) {
        return {};
    }
    runtime::UniqueHandle<z_stream, deflateEnd> owner(&stream);
    static const std::string zeros(1 << 20, '\0');
    std::string out;
    char buffer[16384];
    std::size_t left = inflatedBytes;
    int flush = Z_NO_FLUSH;
    do {
        const std::size_t piece = std::min(left, zeros.size());
        left -= piece;
        flush = left == 0 ? Z_FINISH : Z_NO_FLUSH;
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(zeros.data()));
        stream.avail_in = static_cast<uInt>(piece);
        do {
            stream.next_out = reinterpret_cast<Bytef*>(buffer);
            stream.avail_out = sizeof buffer;
            deflate(&stream, flush);
            out.append(buffer, sizeof buffer - stream.avail_out);
        } while (stream.avail_out == 0);
    } while (flush != Z_FINISH);
    return out;
}

} // namespace pregonero::feeds
