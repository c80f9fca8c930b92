#pragma once

namespace pregonero::runtime {

// curl_global_init must run once before any other curl call and is not
// thread-safe, so every owner of curl handles goes through here first.
class CurlGlobal {
public:
    static void EnsureInitialized();
};

} // namespace pregonero::runtime
