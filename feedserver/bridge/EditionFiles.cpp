#include "feedserver/bridge/EditionFiles.h"

#include <cstring>
#include <fstream>
#include <unistd.h>

namespace pregonero::feeds {

namespace fs = std::filesystem;

EditionFiles::EditionFiles(fs::path dir, const fs::path& inPlace, const std::string& manifestName)
    : dir_(std::move(dir)), inPlace_(inPlace) {
    // "SIZE PATH" a line; a folder without a manifest is not a whole edition.
    std::ifstream manifest(inPlace / manifestName);
    std::uintmax_t size = 0;
    std::string path;
    while (manifest >> size && manifest.get() == ' ' && std::getline(manifest, path)) {
        sizes_.emplace(path, size);
    }
}

bool EditionFiles::SameAsInPlace(const std::string& path, const std::string& bytes) const {
    const auto listed = sizes_.find(path);
    if (listed == sizes_.end() || listed->second != bytes.size()) {
        return false;
    }
    std::error_code ec;
    if (!fs::is_regular_file(fs::symlink_status(inPlace_ / path, ec))) {
        return false; // a link of the edition's own would lead elsewhere
    }
    std::ifstream file(inPlace_ / path, std::ios::binary);
    // One byte more than expected, to notice a file that grew.
    std::string copy(bytes.size() + 1, '\0');
    file.read(copy.data(), static_cast<std::streamsize>(copy.size()));
    return static_cast<std::size_t>(file.gcount()) == bytes.size() &&
           std::memcmp(copy.data(), bytes.data(), bytes.size()) == 0;
}

bool EditionFiles::Link(const std::string& path, const std::string& bytes) {
    if (!SameAsInPlace(path, bytes)) {
        return false;
    }
    const fs::path target = dir_ / path;
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    ::unlink(target.c_str()); // a path given twice is replaced, never written through
    if (::link((inPlace_ / path).c_str(), target.c_str()) != 0) {
        return false;
    }
    return true;
}

bool EditionFiles::Save(const std::string& path, const std::string& bytes, std::string* error) {
    return Link(path, bytes) || Write(path, bytes, error);
}

bool EditionFiles::Write(const std::string& path, const std::string& bytes, std::string* error) {
    const fs::path target = dir_ / path;
    std::error_code ec;
    fs::create_directories(target.parent_path(), ec);
    // A fresh file each time: the path may hold a link into the edition in place.
    ::unlink(target.c_str());
    std::ofstream out(target, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        if (error != nullptr && error->empty()) {
            *error = "cannot write " + target.string();
        }
        return false;
    }
    return true;
}

} // namespace pregonero::feeds
