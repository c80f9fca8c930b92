#pragma once

#include <filesystem>
#include <functional>
#include <string>

namespace pregonero::feeds {

// Replaces a whole folder at once: the new content is written into a
// temporary sibling, which then trades places with the folder in one atomic
// rename, so a reader of the folder sees the old edition or the new one,
// never half of each. The folder's path stays the same, so a server that
// serves it needs no telling. Replacements of folders with the same parent,
// in any process, take turns rather than share the temporary sibling.
class EditionFolder {
public:
    using Writer = std::function<bool(const std::filesystem::path& dir, std::string* error)>;

    explicit EditionFolder(std::filesystem::path dir) : dir_(std::move(dir)) {}

    const std::filesystem::path& Path() const { return dir_; }
    bool Exists() const;
    // False with a reason, leaving the folder as it was, when the writer
    // fails or the folder cannot be replaced.
    bool Replace(const Writer& write, std::string* error) const;

private:
    std::filesystem::path dir_;
};

} // namespace pregonero::feeds
