#include "AppHarness.h"

#include "app/Pregonero_Raviv_v101.h"
#include "nav/FormMgr.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>

namespace testing_support {

using pregonero::runtime::LoopMode;

TestRuntime::TestRuntime() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "pregonero-unit-XXXXXX").string();
    const char* dir = mkdtemp(pattern.data());
    home_ = dir != nullptr ? dir : std::filesystem::temp_directory_path().string();
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

result RunApp(std::function<void(Osp::App::Application&)> body) {
    ScriptedRunner runner(std::move(body));
    return Osp::App::Application::Execute(Pregonero_Raviv_v101::CreateInstance, nullptr, 1);
}

Osp::Ui::Controls::Frame& CurrentFrame() {
    return *Osp::App::Application::GetInstance()->GetAppFrame()->GetFrame();
}

FormMgr& Manager() {
    return *dynamic_cast<FormMgr*>(CurrentFrame().GetControl(L"FormMgr", false));
}

} // namespace testing_support
