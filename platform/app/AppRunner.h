#pragma once

#include <functional>

namespace Osp::App {
class Application;
} // namespace Osp::App
namespace Osp::Ui::Controls {
class Frame;
} // namespace Osp::Ui::Controls
namespace pregonero::runtime {
enum class LoopMode;
} // namespace pregonero::runtime

namespace pregonero::platform {

// Runs the event loop for an application until it terminates. The front end
// (window, terminal, headless, script driver) provides one; without one the
// plain loop runs. The runner calls `initialize` (the application's
// OnAppInitializing) once its input, drawing and script are in place, so that
// a message box the first screen shows can be seen and answered; it runs the
// loop only when that returns true.
class AppRunner {
public:
    virtual ~AppRunner() = default;
    virtual void Run(Osp::App::Application& app, const std::function<bool()>& initialize) = 0;

protected:
    // Between tasks: true when it did something; it may lower `waitMs`.
    using BetweenTasks = std::function<bool(runtime::LoopMode mode, int& waitMs)>;

    // The run every front end shares: its hooks installed (a stop request
    // ends the application before `betweenTasks` is asked), a first frame
    // asked for, the application initialised, the loop run until the
    // application terminates, and the hooks removed.
    static void RunWithHooks(Osp::App::Application& app, const std::function<bool()>& initialize,
                             std::function<void()> render, BetweenTasks betweenTasks);
};

void SetAppRunner(AppRunner* runner);
AppRunner* GetAppRunner();

// Asks the running application to end, whichever front end runs it; safe
// from a signal handler. Runners take the request between tasks.
void RequestStop();
bool TakeStopRequest();

// The running application's frame, or null when none runs.
Osp::Ui::Controls::Frame* CurrentFrame();

} // namespace pregonero::platform
