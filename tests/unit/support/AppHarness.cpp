#include "AppHarness.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace testing_support {

using pregonero::runtime::LoopMode;

TestRuntime::TestRuntime() {
    char pattern[] = "/tmp/pregonero-unit-XXXXXX";
    const char* dir = mkdtemp(pattern);
    home_ = dir != nullptr ? dir : "/tmp";
    runtime_ = std::make_unique<pregonero::runtime::Runtime>();
    runtime_->Settings().feedServer = "http://127.0.0.1:9";
    runtime_->Settings().homeDir = home_;
}

TestRuntime::~TestRuntime() {
    runtime_.reset();
    std::error_code ec;
    std::filesystem::remove_all(home_, ec);
}

bool TestRuntime::RunUntil(const std::function<bool()>& done, int timeoutMs) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    bool timedOut = false;
    runtime_->Loop().RunUntil(
        [&] {
            if (done()) {
                return true;
            }
            timedOut = std::chrono::steady_clock::now() >= deadline;
            return timedOut;
        },
        LoopMode::All);
    return !timedOut && done();
}

bool TestRuntime::RunUntilIdle(int timeoutMs) {
    return RunUntil([this] { return runtime_->Idle(LoopMode::All); }, timeoutMs);
}

ScriptedRunner::ScriptedRunner(std::function<void(Osp::App::Application&)> body)
    : body_(std::move(body)) {
    pregonero::platform::SetAppRunner(this);
}

ScriptedRunner::~ScriptedRunner() {
    pregonero::platform::SetAppRunner(nullptr);
}

void ScriptedRunner::Run(Osp::App::Application& app, const std::function<bool()>& initialize) {
    if (initialize()) {
        body_(app);
    }
}

Osp::Ui::Controls::Frame& CurrentFrame() {
    return *Osp::App::Application::GetInstance()->GetAppFrame()->GetFrame();
}

} // namespace testing_support
