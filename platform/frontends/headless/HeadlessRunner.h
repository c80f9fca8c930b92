#pragma once

#include "platform/app/AppRunner.h"

namespace pregonero::platform {

class ScriptDriver;

// Runs the application with no window: frames are rendered into the
// framebuffer (for screenshots) and the script driver, if any, steers.
class HeadlessRunner final : public AppRunner {
public:
    explicit HeadlessRunner(ScriptDriver* driver) : driver_(driver) {}
    void Run(Osp::App::Application& app, const std::function<bool()>& initialize) override;

private:
    ScriptDriver* driver_;
};

} // namespace pregonero::platform
