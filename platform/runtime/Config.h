#pragma once

#include "platform/runtime/network/FetchLimits.h"

#include <atomic>
#include <string>

namespace pregonero::runtime {

// Settings read once at start-up from the command line.
struct Config {
    Config();

    std::string feedServer; // scheme, host and port; no trailing slash
    std::string homeDir;    // what the application calls "/Home"
    std::string scriptPath; // "-" for standard input; empty for none
    bool headless = false;
    std::atomic<bool> networkOn{true};
    // Test hook: PREGONERO_STALL_TIMEOUT_MS and PREGONERO_TOTAL_TIMEOUT_MS,
    // read once here, lower the stall and whole-transfer time-outs so fault
    // tests need not sit out the real limits. 0 (unset) keeps the defaults.
    long stallTimeoutMs = 0;
    long totalTimeoutMs = 0;

    // `limits` with the test hook's time-outs applied where they are lower.
    FetchLimits Tightened(FetchLimits limits) const;
};

} // namespace pregonero::runtime
