#pragma once

namespace pregonero::platform {

// Milliseconds since the process started, on the steady clock: the time base
// of the driver's `mark` lines and of the snapshot's "ms" key, so a script can
// tell how long start-up, a screen switch or a picture took.
class ProcessClock {
public:
    static double NowMs();
};

} // namespace pregonero::platform
