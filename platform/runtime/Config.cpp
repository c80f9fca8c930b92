#include "platform/runtime/Config.h"

#include <algorithm>
#include <cstdlib>

namespace pregonero::runtime {

namespace {

long MillisecondsFromEnvironment(const char* name) {
    const char* text = std::getenv(name);
    if (text == nullptr) {
        return 0;
    }
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value > 0 ? value : 0;
}

long Lower(long current, long cap) {
    return cap <= 0 ? current : (current <= 0 ? cap : std::min(current, cap));
}

} // namespace

Config::Config()
    : stallTimeoutMs(MillisecondsFromEnvironment("PREGONERO_STALL_TIMEOUT_MS")),
      totalTimeoutMs(MillisecondsFromEnvironment("PREGONERO_TOTAL_TIMEOUT_MS")) {}

FetchLimits Config::Tightened(FetchLimits limits) const {
    limits.stallTimeoutMs = Lower(limits.stallTimeoutMs, stallTimeoutMs);
    limits.totalTimeoutMs = Lower(limits.totalTimeoutMs, totalTimeoutMs);
    limits.connectTimeoutMs = Lower(limits.connectTimeoutMs, limits.totalTimeoutMs);
    return limits;
}

} // namespace pregonero::runtime
