#include "app/HomeDirectory.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
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
    fs::path probe = fs::path(dir) / ".pregonero-write-test";
    {
        std::ofstream out(probe);
        if (!out || !(out << "x") || !out.flush()) {
            *error = "cannot write in home directory '" + dir + "'";
            return false;
        }
    }
    fs::remove(probe, ec);
    const fs::path real = fs::canonical(dir, ec);
    if (ec) {
        *error = "cannot use home directory '" + dir + "': " + ec.message();
        return false;
    }
    *given = real.string();
    return true;
}
