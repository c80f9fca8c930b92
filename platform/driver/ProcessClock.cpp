#include "platform/driver/ProcessClock.h"

#include <chrono>

namespace pregonero::platform {

namespace {

using Clock = std::chrono::steady_clock;

// Taken during static initialisation, before main runs: the closest cheap
// stand-in for the moment the process started.
const Clock::time_point kStart = Clock::now();

} // namespace

double ProcessClock::NowMs() {
    return std::chrono::duration<double, std::milli>(Clock::now() - kStart).count();
}

} // namespace pregonero::platform
