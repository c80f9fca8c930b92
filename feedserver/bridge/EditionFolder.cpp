#include "feedserver/bridge/EditionFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace pregonero::feeds {

bool EditionFolder::Exists() const {
    std::error_code ec;
    return std::filesystem::is_directory(dir_, ec);
}

namespace {

// An exclusive lock on the folder's parent for as long as it lives, waited
// for: two replacements side by side would share the one temporary sibling.
class ParentLock {
public:
    explicit ParentLock(const std::filesystem::path& parent)
        : fd_(::open(parent.empty() ? "." : parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        held_ = fd_ >= 0 && ::flock(fd_, LOCK_EX) == 0;
    }
    ~ParentLock() {
        if (fd_ >= 0) {
            ::close(fd_); // lets go of the lock too
        }
    }
    ParentLock(const ParentLock&) = delete;
    ParentLock& operator=(const ParentLock&) = delete;
    // False when the parent cannot be opened or locked.
    bool Held() const { return held_; }

private:
    int fd_;
    bool held_ = false;
};

} // namespace

bool EditionFolder::Replace(const Writer& write, std::string* error) const {
    std::error_code ec;
    std::filesystem::create_directories(dir_.parent_path(), ec);
    const ParentLock lock(dir_.parent_path());
    if (!lock.Held()) {
        if (error) {
            *error = "cannot lock the folder of " + dir_.string();
        }
        return false;
    }
    const auto fresh = dir_.parent_path() / (dir_.filename().string() + ".new");
    std::filesystem::remove_all(fresh, ec);
    if (!std::filesystem::create_directories(fresh, ec)) {
        if (error) {
            *error = "cannot create " + fresh.string();
        }
        return false;
    }
    if (!write(fresh, error)) {
        std::filesystem::remove_all(fresh, ec);
        return false;
    }
    // The first edition simply moves into place; later ones trade places
    // with the one served, which then goes.
    int result = 0;
    if (!Exists()) {
        result = ::rename(fresh.c_str(), dir_.c_str());
    } else {
        result = ::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, dir_.c_str(), RENAME_EXCHANGE);
    }
    if (result != 0) {
        if (error) {
            *error = "cannot replace " + dir_.string() + ": " + std::strerror(errno);
        }
        std::filesystem::remove_all(fresh, ec);
        return false;
    }
    std::filesystem::remove_all(fresh, ec);
    return true;
}

} // namespace pregonero::feeds
