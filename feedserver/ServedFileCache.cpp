#include "feedserver/ServedFileCache.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

} // namespace

std::shared_ptr<const std::string> ServedFileCache::Read(const std::filesystem::path& file,
                                                         bool substitute, const std::string& token,
                                                         const std::string& replacement) {
    const auto stampOf = [](const struct stat& info) {
        return Stamp{static_cast<unsigned long long>(info.st_dev),
                     static_cast<unsigned long long>(info.st_ino),
                     static_cast<unsigned long long>(info.st_size), Nanoseconds(info.st_ctim),
                     Nanoseconds(info.st_mtim)};
    };
    struct stat info {};
    if (::stat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return nullptr;
    }
    {
        std::lock_guard lock(mutex_);
        const auto found = entries_.find(file.native());
        if (found != entries_.end() && found->second.stamp == stampOf(info)) {
            return found->second.body;
        }
    }
    auto body = std::make_shared<std::string>();
    if (!ReadWhole(file, &info, body.get())) {
        return nullptr;
    }
    if (substitute) {
        ReplaceAll(*body, token, replacement);
    }
    std::lock_guard lock(mutex_);
    auto& entry = entries_[file.native()];
    bytes_ -= entry.body ? entry.body->size() : 0;
    if (bytes_ + body->size() <= budget_) {
        entry = Entry{stampOf(info), body};
        bytes_ += body->size();
    } else {
        entries_.erase(file.native());
    }
    return body;
}

void ServedFileCache::Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
    bytes_ = 0;
}

} // namespace pregonero::feeds
