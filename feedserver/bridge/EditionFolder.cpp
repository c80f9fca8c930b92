#include "feedserver/bridge/EditionFolder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace pregonero::feeds {

bool EditionFolder::Exists() const {
    std::error_code ec;
    return std::filesystem::is_directory(dir_, ec);
}

bool EditionFolder::Replace(const Writer& write, std::string* error) const {
    std::error_code ec;
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
