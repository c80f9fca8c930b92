#include "tests/e2e/support/WaitUntil.h"

#include <chrono>
#include <thread>

namespace pregonero::e2e {

bool WaitUntil(const std::function<bool()>& ready, double seconds) {
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(long(seconds * 1000));
    while (std::chrono::steady_clock::now() < deadline) {
        if (ready()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return ready();
}

} // namespace pregonero::e2e
