#pragma once

#include "platform/app/AppRunner.h"
#include "platform/driver/DesktopKeys.h"

namespace pregonero::platform {

class ScriptDriver;
class TerminalScreen;

// Runs the application in the terminal it was started from. Keys are read
// between tasks and become input tasks, so they also reach a message box's
// nested loop; every frame is drawn into character cells. The terminal's own
// keys (Home, End, Space, j, k, q, ?) become handset keys or the front end's
// own acts, and paging never goes past the last line an article shows. The
// script driver, if any, steers exactly as it does headless.
class TerminalRunner final : public AppRunner {
public:
    // How often, at most, the keyboard is looked at while idle.
    static constexpr int kPollIntervalMs = 10;

    explicit TerminalRunner(ScriptDriver* driver) : driver_(driver) {}
    void Run(Osp::App::Application& app, const std::function<bool()>& initialize) override;
    // True when the terminal could not be taken over (the run ended at once).
    bool Failed() const { return failed_; }

private:
    bool Pump(Osp::App::Application& app, TerminalScreen& screen);
    void Draw(TerminalScreen& screen);
    void Perform(const KeyCommand& command, int cols, int rows);

    ScriptDriver* driver_;
    bool failed_ = false;
    // The key overlay is up; the next key only takes it down. Event thread only.
    bool helpShown_ = false;
};

} // namespace pregonero::platform
