#pragma once

namespace Osp::App {
class Application;
} // namespace Osp::App

namespace pregonero::platform {

// Runs the event loop for a started application until it terminates. The
// front end (window, headless, script driver) provides one; without one the
// plain loop runs.
class AppRunner {
public:
    virtual ~AppRunner() = default;
    virtual void Run(Osp::App::Application& app) = 0;
};

void SetAppRunner(AppRunner* runner);
AppRunner* GetAppRunner();

} // namespace pregonero::platform
