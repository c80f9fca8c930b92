#include "platform/frontends/headless/HeadlessRunner.h"

#include "platform/driver/FrameRenderer.h"
#include "platform/driver/ScriptDriver.h"
#include "platform/runtime/Runtime.h"

namespace pregonero::platform {

void HeadlessRunner::Run(Osp::App::Application& app, const std::function<bool()>& initialize) {
    RunWithHooks(
        app, initialize, [] { FrameRenderer::Render(); },
        [this](runtime::LoopMode mode, int& waitMs) {
            return driver_ != nullptr && driver_->Step(mode, waitMs);
        });
}

} // namespace pregonero::platform
