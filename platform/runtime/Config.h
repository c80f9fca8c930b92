#pragma once

#include <atomic>
#include <string>

namespace pregonero::runtime {

// Settings read once at start-up from the command line.
struct Config {
    std::string feedServer; // scheme, host and port; no trailing slash
    std::string homeDir;    // what the application calls "/Home"
    std::string scriptPath; // "-" for standard input; empty for none
    bool headless = false;
    std::atomic<bool> networkOn{true};
};

} // namespace pregonero::runtime
