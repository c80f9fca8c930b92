#include "platform/app/Application.h"

#include "platform/app/AppRunner.h"
#include "platform/runtime/Runtime.h"

#include <atomic>

namespace pregonero::platform {

namespace {
AppRunner* gRunner = nullptr;
std::atomic<bool> gStopRequested{false};
} // namespace

void SetAppRunner(AppRunner* runner) {
    gRunner = runner;
}
AppRunner* GetAppRunner() {
    return gRunner;
}

void RequestStop() {
    gStopRequested.store(true);
}

bool TakeStopRequest() {
    return gStopRequested.exchange(false);
}

Osp::Ui::Controls::Frame* CurrentFrame() {
    auto* app = Osp::App::Application::GetInstance();
    return app != nullptr && app->GetAppFrame() != nullptr ? app->GetAppFrame()->GetFrame()
                                                           : nullptr;
}

} // namespace pregonero::platform

namespace Osp::App {

using pregonero::runtime::LoopMode;
using pregonero::runtime::Runtime;

namespace {
Application* gInstance = nullptr;
} // namespace

Application::Application() = default;
Application::~Application() = default;

Application* Application::GetInstance() {
    return gInstance;
}

result Application::Execute(ApplicationInstanceFactory factory, const Osp::Base::Collection::IList*,
                            AppAttributeType) {
    if (factory == nullptr) {
        return E_INVALID_ARG;
    }
    if (gInstance != nullptr || !Runtime::Exists()) {
        return E_INVALID_STATE;
    }
    std::unique_ptr<Application> app(factory());
    if (!app) {
        return E_OUT_OF_MEMORY;
    }
    auto& loop = Runtime::Get().Loop();
    loop.ResetQuit();
    gInstance = app.get();
    app->appFrame_ = std::make_unique<AppFrame>();
    AppRegistry registry;
    bool initialized = false;
    auto initialize = [&] {
        initialized = app->OnAppInitializing(registry);
        return initialized;
    };
    if (auto* runner = pregonero::platform::GetAppRunner()) {
        runner->Run(*app, initialize);
    } else if (initialize()) {
        loop.RunUntil([&app] { return app->terminating_; }, LoopMode::All);
    }
    result r = initialized ? E_SUCCESS : E_FAILURE;
    app->OnAppTerminating(registry, false);
    // Forms go first (each told it is terminating), while the application
    // they may point at still exists; nothing queued for them runs after.
    app->appFrame_.reset();
    loop.DiscardPending();
    app.reset();
    gInstance = nullptr;
    return r;
}

result Application::Terminate() {
    terminating_ = true;
    if (Runtime::Exists()) {
        Runtime::Get().Loop().Quit();
    }
    return E_SUCCESS;
}

Osp::Base::String Application::GetAppName() const {
    return Osp::Base::String("Pregonero");
}
Osp::Base::String Application::GetAppId() const {
    return Osp::Base::String("pregonero");
}
Osp::Base::String Application::GetAppSecret() const {
    return Osp::Base::String();
}
void Application::OnForeground() {}
void Application::OnBackground() {}
void Application::OnLowMemory() {}
void Application::OnBatteryLevelChanged(Osp::System::BatteryLevel) {}
void Application::OnUserEventReceivedN(Osp::Ui::RequestId, Osp::Base::Collection::IList*) {}

} // namespace Osp::App
