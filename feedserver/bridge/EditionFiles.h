#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <unordered_map>

namespace pregonero::feeds {

// Writes the files of a new edition into its folder, beside the edition in
// place. A file whose bytes equal the one at the same path in the edition
// in place (a whole one: its manifest lists the file) is hard-linked rather
// than written. Creating files is most of an export's cost, and an hourly
// export mostly repeats the last one; a linked file also keeps its time, so
// web servers and readers see it unchanged. Nothing is ever written into a
// file once it exists, so the edition in place stays as it was. Safe to use
// from several threads at once.
class EditionFiles {
public:
    // `dir` takes the new edition; `inPlace` may be absent or not whole.
    EditionFiles(std::filesystem::path dir, const std::filesystem::path& inPlace,
                 const std::string& manifestName);
    // An edition with nothing in place to link from.
    explicit EditionFiles(std::filesystem::path dir) : dir_(std::move(dir)) {}

    // True when the edition in place holds exactly `bytes` at `path` (relative)
    // and the new edition now links it there.
    bool Link(const std::string& path, const std::string& bytes);
    // Puts `bytes` at `path`, linked when unchanged; false with a reason.
    bool Save(const std::string& path, const std::string& bytes, std::string* error);
    // Puts `bytes` at `path` in a file of its own; false with a reason.
    bool Write(const std::string& path, const std::string& bytes, std::string* error);

    const std::filesystem::path& Dir() const { return dir_; }

private:
    bool SameAsInPlace(const std::string& path, const std::string& bytes) const;

    std::filesystem::path dir_;
    std::filesystem::path inPlace_;
    std::unordered_map<std::string, std::uintmax_t> sizes_; // the manifest's paths and sizes
};

} // namespace pregonero::feeds
