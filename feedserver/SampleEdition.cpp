#include "feedserver/SampleEdition.h"

#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "feedserver/EditionWriter.h"

namespace pregonero::feeds {

namespace fs = std::filesystem;

namespace {

constexpr const char* kStampFile = ".stamp";

// Whether dir carries `stamp`; a link at dir is never read through.
bool Stamped(const std::string& dir, const std::string& stamp) {
    struct stat st {};
    if (::lstat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        return false;
    }
    std::string line;
    std::getline(std::ifstream(dir + "/" + kStampFile), line);
    return line == stamp;
}

bool IsLink(const std::string& path) {
    struct stat st {};
    return ::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

bool Fail(std::string* error, const std::string& reason) {
    if (error) {
        *error = reason;
    }
    return false;
}

// Puts `fresh` at `dir`: where nothing is, or in exchange for an old edition,
// which ends at `fresh` to be removed. False with errno when dir exists.
bool Swap(const std::string& fresh, const std::string& dir) {
    if (::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, dir.c_str(), RENAME_NOREPLACE) == 0) {
        return true;
    }
    if (errno != EEXIST) {
        return false;
    }
    return ::renameat2(AT_FDCWD, fresh.c_str(), AT_FDCWD, dir.c_str(), RENAME_EXCHANGE) == 0;
}

} // namespace

bool WriteSampleEdition(const std::string& dir, std::string* error) {
    std::error_code ec;
    fs::create_directories(dir, ec);
    if (ec || !fs::is_directory(dir, ec)) {
        return Fail(error, "cannot create directory " + dir);
    }
    EditionWriter writer{fs::path(dir)};
    return writer.Run(error);
}

bool InstallSampleEdition(const std::string& dir, const std::string& stamp, std::string* error) {
    if (IsLink(dir)) {
        return Fail(error, dir + " is a symbolic link");
    }
    if (Stamped(dir, stamp)) {
        return true;
    }
    const fs::path target(dir);
    std::string pattern = (target.parent_path() / ("." + target.filename().string() + "-XXXXXX"));
    if (::mkdtemp(pattern.data()) == nullptr) {
        return Fail(error, "cannot create a folder beside " + dir + ": " + std::strerror(errno));
    }
    const std::string fresh = pattern;
    std::error_code ignored;
    if (!WriteSampleEdition(fresh, error)) {
        fs::remove_all(fresh, ignored);
        return false;
    }
    {
        std::ofstream out(fresh + "/" + kStampFile, std::ios::trunc);
        out << stamp << "\n";
        if (!out.flush()) {
            fs::remove_all(fresh, ignored);
            return Fail(error, "cannot write " + fresh + "/" + kStampFile);
        }
    }
    // Another process may have put an edition there meanwhile: keep its one.
    if (Stamped(dir, stamp)) {
        fs::remove_all(fresh, ignored);
        return true;
    }
    if (IsLink(dir)) {
        fs::remove_all(fresh, ignored);
        return Fail(error, dir + " is a symbolic link");
    }
    const bool placed = Swap(fresh, dir);
    const int why = errno;
    fs::remove_all(fresh, ignored); // the old edition after an exchange, or ours when not placed
    if (!placed && !Stamped(dir, stamp)) {
        return Fail(error, "cannot put the edition at " + dir + ": " + std::strerror(why));
    }
    return true;
}

} // namespace pregonero::feeds
