#include "feedserver/ServedFileCache.h"

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

namespace pregonero::feeds {

namespace {

void ReplaceAll(std::string& text, const std::string& from, const std::string& to) {
    for (auto at = text.find(from); at != std::string::npos; at = text.find(from, at)) {
        text.replace(at, from.size(), to);
        at += to.size();
    }
}

long long Nanoseconds(const timespec& time) {
    return static_cast<long long>(time.tv_sec) * 1'000'000'000LL + time.tv_nsec;
}

// Reads the whole file through one descriptor, so the stamp and the bytes
// are of the same file even when it is replaced meanwhile.
bool ReadWhole(const std::filesystem::path& file, struct stat* info, std::string* bytes) {
    const int fd = ::open(file.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    bool ok = ::fstat(fd, info) == 0 && S_ISREG(info->st_mode);
    if (ok) {
        bytes->resize(static_cast<std::size_t>(info->st_size));
        std::size_t done = 0;
        while (ok && done < bytes->size()) {
            const ssize_t got = ::read(fd, bytes->data() + done, bytes->size() - done);
            ok = got > 0 || (got < 0 && errno == EINTR);
            done += got > 0 ? static_cast<std::size_t>(got) : 0;
        }
    }
    ::close(fd);
    return ok;
}

// gzip at zlib's default level: a feed shrinks to a fifth or so, and a
// client decompresses it in a fraction of the time the bytes saved take.
std::string Gzip(const std::string& bytes) {
    z_stream stream{};
    // 31: deflate with a gzip header and trailer.
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 31, 8, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
        return {};
    }
    std::string out(deflateBound(&stream, bytes.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const bool done = deflate(&stream, Z_FINISH) == Z_STREAM_END;
    out.resize(done ? stream.total_out : 0);
    deflateEnd(&stream);
    return out;
}

} // namespace

ServedFileCache::Stamp ServedFileCache::StampOf(const struct stat& info) {
    return Stamp{static_cast<unsigned long long>(info.st_dev),
                 static_cast<unsigned long long>(info.st_ino),
                 static_cast<unsigned long long>(info.st_size), Nanoseconds(info.st_ctim),
                 Nanoseconds(info.st_mtim)};
}

std::shared_ptr<const std::string> ServedFileCache::Read(const std::filesystem::path& file,
                                                         bool substitute, const std::string& token,
                                                         const std::string& replacement,
                                                         bool gzip) {
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return nullptr;
    }
    std::shared_ptr<const std::string> body;
    {
        std::lock_guard lock(mutex_);
        const auto found = entries_.find(file.native());
        if (found != entries_.end() && found->second.stamp == StampOf(info)) {
            if (!gzip || found->second.gzipped) {
                return gzip ? found->second.gzipped : found->second.body;
            }
            body = found->second.body;
        }
    }
    if (!body) {
        auto read = std::make_shared<std::string>();
        if (!ReadWhole(file, &info, read.get())) {
            return nullptr;
        }
        if (substitute) {
            ReplaceAll(*read, token, replacement);
        }
        body = std::move(read);
    }
    // Compressed outside the lock; two requests at once may both compress.
    std::shared_ptr<const std::string> gzipped =
        gzip ? std::make_shared<const std::string>(Gzip(*body)) : nullptr;
    if (gzipped && gzipped->empty() && !body->empty()) {
        return nullptr;
    }
    Keep(file.native(), StampOf(info), body, gzipped);
    return gzip ? gzipped : body;
}

void ServedFileCache::Keep(const std::string& key, const Stamp& stamp,
                           const std::shared_ptr<const std::string>& body,
                           const std::shared_ptr<const std::string>& gzipped) {
    const auto sizeOf = [](const Entry& entry) {
        return (entry.body ? entry.body->size() : 0) + (entry.gzipped ? entry.gzipped->size() : 0);
    };
    std::lock_guard lock(mutex_);
    Entry& entry = entries_[key];
    bytes_ -= sizeOf(entry);
    if (!(entry.stamp == stamp && entry.body == body)) {
        entry = Entry{stamp, body, nullptr};
    }
    if (gzipped) {
        entry.gzipped = gzipped;
    }
    if (bytes_ + sizeOf(entry) <= budget_) {
        bytes_ += sizeOf(entry);
    } else {
        entries_.erase(key);
    }
}

void ServedFileCache::Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
    bytes_ = 0;
}

} // namespace pregonero::feeds
