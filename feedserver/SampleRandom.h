#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace pregonero::feeds {

// A tiny seeded generator (splitmix64). The standard distributions differ
// between library versions, and the sample edition must come out byte for
// byte the same everywhere, so the arithmetic is our own.
class SampleRandom {
public:
    explicit SampleRandom(std::uint64_t seed) : state_(seed) {}

    std::uint64_t Next();
    // Uniform in [0, n); n must be > 0.
    std::size_t Below(std::size_t n) { return static_cast<std::size_t>(Next() % n); }
    // Uniform in [low, high].
    int Between(int low, int high) { return low + static_cast<int>(Below(high - low + 1)); }
    // True about percent times in a hundred.
    bool Chance(int percent) { return Between(1, 100) <= percent; }

    template <typename T> const T& Pick(const std::vector<T>& items) {
        return items[Below(items.size())];
    }

private:
    std::uint64_t state_;
};

} // namespace pregonero::feeds
