#include "platform/frontends/headless/HeadlessRunner.h"

#include "platform/app/Application.h"
#include "platform/driver/FrameRenderer.h"
#include "platform/driver/ScriptDriver.h"
#include "platform/runtime/Runtime.h"

#include <atomic>

namespace pregonero::platform {

void HeadlessRunner::Run(Osp::App::Application& app, const std::function<bool()>& initialize) {
    auto& loop = runtime::Runtime::Get().Loop();
    loop.SetRenderHook([] { FrameRenderer::Render(); });
    loop.SetBetweenTasksHook([this, &app](runtime::LoopMode mode, int& waitMs) {
        if (TakeStopRequest()) {
            app.Terminate();
            return true;
        }
        return driver_ != nullptr && driver_->Step(mode, waitMs);
    });
    if (initialize()) {
        loop.RunUntil([&app] { return app.IsTerminating(); }, runtime::LoopMode::All);
    }
    loop.SetBetweenTasksHook(nullptr);
    loop.SetRenderHook(nullptr);
}

} // namespace pregonero::platform
