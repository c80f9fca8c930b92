#pragma once

#include <cstddef>
#include <string>

namespace pregonero::feeds {

// A small gzip stream that inflates to a great many zero bytes: the body of a
// compression bomb, for checking that a client caps what it inflates.
class GzipBomb {
public:
    static std::string Make(std::size_t inflatedBytes);
};

} // namespace pregonero::feeds
