#pragma once

#include <cstddef>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>

struct stat;

namespace pregonero::feeds {

// The bodies a feed server sends, kept in memory once read (and, for feeds,
// once their token is replaced, and once gzipped for the clients that take
// it) so that a busy server does not read, rewrite and compress the same
// file for every request. A file that changed on disk since
// (another size, modification or inode, as when an edition is replaced by a
// rename) is read again. Up to a budget of bytes; past it, files are read for
// each request. Safe to call from several threads at once.
class ServedFileCache {
public:
    explicit ServedFileCache(std::size_t budgetBytes) : budget_(budgetBytes) {}

    // The bytes of `file` with every `token` replaced by `replacement` when
    // `substitute` holds, gzipped when `gzip` holds; null when it cannot be
    // read.
    std::shared_ptr<const std::string> Read(const std::filesystem::path& file, bool substitute,
                                            const std::string& token,
                                            const std::string& replacement, bool gzip = false);
    // Forgets every body, for a server that starts again at another address.
    void Clear();

private:
    struct Stamp {
        unsigned long long device = 0, inode = 0, size = 0;
        long long changedNs = 0, modifiedNs = 0;
        bool operator==(const Stamp&) const = default;
    };
    struct Entry {
        Stamp stamp;
        std::shared_ptr<const std::string> body;
        std::shared_ptr<const std::string> gzipped; // made on the first request for it
    };
    static Stamp StampOf(const struct stat& info);
    // Stores what was read or compressed, within the budget.
    void Keep(const std::string& key, const Stamp& stamp,
              const std::shared_ptr<const std::string>& body,
              const std::shared_ptr<const std::string>& gzipped);

    const std::size_t budget_;
    std::mutex mutex_; // guards the members below
    std::unordered_map<std::string, Entry> entries_;
    std::size_t bytes_ = 0;
};

} // namespace pregonero::feeds
