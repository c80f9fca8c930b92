#include "app/HomeDirectory.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

std::string HomeDirectory::Resolve(const std::string& given) {
    if (!given.empty()) {
        return given;
    }
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg != nullptr && *xdg == '/') {
        return std::string(xdg) + "/pregonero";
    }
    const char* home = std::getenv("HOME");
    return std::string(home != nullptr && *home != '\0' ? home : ".") + "/.local/share/pregonero";
}

bool HomeDirectory::Prepare(std::string* given, std::string* error) {
    const std::string& dir = *given;
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir, ec)) {
        *error = "cannot use home directory '" + dir +
                 "': " + (ec ? ec.message() : std::string("not a directory"));
        return false;
    }
    // A name of this process's own, created afresh: a link left at it is
    // removed, never written through, and two readers never share one.
    const std::string probe = dir + "/.pregonero-write-test-" + std::to_string(::getpid());
    ::unlink(probe.c_str());
    const int fd =
        ::open(probe.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    const bool written = fd >= 0 && ::write(fd, "x", 1) == 1;
    if (fd >= 0) {
        ::close(fd);
        ::unlink(probe.c_str());
    }
    if (!written) {
        *error = "cannot write in home directory '" + dir + "'";
        return false;
    }
    const fs::path real = fs::canonical(dir, ec);
    if (ec) {
        *error = "cannot use home directory '" + dir + "': " + ec.message();
        return false;
    }
    *given = real.string();
    return true;
}
