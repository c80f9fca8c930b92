#pragma once

#include <functional>

namespace pregonero::e2e {

// Asks `ready` every 20 ms until it holds or `seconds` pass; returns its last
// answer. For conditions outside the program, where the driver's idle cannot
// be waited for (a window on the X server, a tmux pane, a request served).
bool WaitUntil(const std::function<bool()>& ready, double seconds);

} // namespace pregonero::e2e
