#include "platform/app/AppRunner.h"

#include <memory>

#include "platform/app/Application.h"
#include "platform/runtime/Runtime.h"
#include "platform/ui/IndicatorClock.h"

namespace pregonero::platform {

void AppRunner::RunWithHooks(Osp::App::Application& app, const std::function<bool()>& initialize,
                             std::function<void()> render, BetweenTasks betweenTasks) {
    auto& loop = runtime::Runtime::Get().Loop();
    loop.SetRenderHook(std::move(render));
    loop.SetBetweenTasksHook(
        [&app, &loop, betweenTasks = std::move(betweenTasks)](runtime::LoopMode mode, int& waitMs) {
            if (TakeStopRequest()) {
                app.Terminate();
                return true;
            }
            if (ui::IndicatorClock::MinuteTurned()) {
                loop.RequestRedraw(); // the indicator bar's clock
            }
            return betweenTasks(mode, waitMs);
        });
    // The hooks go with this run, however it ends.
    auto remove = [](runtime::EventLoop* hooked) {
        hooked->SetBetweenTasksHook(nullptr);
        hooked->SetRenderHook(nullptr);
    };
    std::unique_ptr<runtime::EventLoop, decltype(remove)> hooks(&loop, remove);
    // Asked for before initialising, so that a message box the first screen
    // shows is drawn while it waits.
    loop.RequestRedraw();
    if (initialize()) {
        loop.RunUntil([&app] { return app.IsTerminating(); }, runtime::LoopMode::All);
    }
}

} // namespace pregonero::platform
