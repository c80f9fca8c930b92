#pragma once

#include "platform/app/AppRunner.h"
#include "platform/driver/DesktopKeys.h"
#include "platform/frontends/sdl/PointerRouter.h"

namespace pregonero::platform {

class ScriptDriver;
class SdlWindow;

// Runs the application in a desktop window. The window's events are pumped
// on the event thread between tasks; keys and clicks become input tasks, so
// they also reach a message box's nested loop. The desktop's own keys (Home,
// End, Space, j, k, q, ?) become handset keys or the front end's own acts.
// The script driver, if any, steers exactly as it does headless.
class SdlRunner final : public AppRunner {
public:
    // The window title, as the handset would show the application's name.
    static constexpr const char* kTitle = "Pregonero raviv";
    // How often, at most, the window's events are looked at while idle.
    static constexpr int kPumpIntervalMs = 8;

    explicit SdlRunner(ScriptDriver* driver);
    ~SdlRunner() override;
    void Run(Osp::App::Application& app, const std::function<bool()>& initialize) override;
    // True when the window could not be opened (the run ended at once).
    bool Failed() const { return failed_; }

private:
    enum class PointerKind { Press, Move, Release, Wheel };

    bool Pump(Osp::App::Application& app, SdlWindow& window);
    void PostKey(const KeyCommand& command, bool repeat);
    void PostPointer(PointerKind kind, int x, int y, int steps);

    ScriptDriver* driver_;
    PointerRouter router_;
    int pointerX_ = 0; // in screen pixels
    int pointerY_ = 0;
    bool failed_ = false;
    // The key overlay is up; the next key only takes it down. Event thread only.
    bool helpShown_ = false;
};

} // namespace pregonero::platform
