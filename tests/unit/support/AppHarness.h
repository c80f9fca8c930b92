#pragma once

#include "platform/app/AppRunner.h"
#include "platform/app/Application.h"
#include "platform/runtime/Runtime.h"
#include "platform/ui/Frame.h"

#include <functional>
#include <memory>
#include <string>

class FormMgr;

namespace testing_support {

// A runtime with a scratch home directory and a feed server address that
// refuses connections, for tests that run the application in process.
class TestRuntime {
public:
    TestRuntime();
    ~TestRuntime();
    pregonero::runtime::Runtime& Get() { return *runtime_; }
    const std::string& Home() const { return home_; }

    // Runs the event loop until `done` holds or `timeoutMs` passes; false on time-out.
    bool RunUntil(const std::function<bool()>& done, int timeoutMs = 5000);
    // Runs until no task is queued and nothing is in flight.
    bool RunUntilIdle(int timeoutMs = 5000);

private:
    std::string home_;
    std::unique_ptr<pregonero::runtime::Runtime> runtime_;
};

// Runs Application::Execute with `body` in place of the front end's loop:
// the body steers the running application and returns when done.
class ScriptedRunner final : public pregonero::platform::AppRunner {
public:
    explicit ScriptedRunner(std::function<void(Osp::App::Application&)> body);
    ~ScriptedRunner() override;
    void Run(Osp::App::Application& app, const std::function<bool()>& initialize) override;

private:
    std::function<void(Osp::App::Application&)> body_;
};

// Runs the reader in process with `body` as its front end.
result RunApp(std::function<void(Osp::App::Application&)> body);
Osp::Ui::Controls::Frame& CurrentFrame();
FormMgr& Manager();

} // namespace testing_support
