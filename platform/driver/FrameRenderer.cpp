#include "platform/driver/FrameRenderer.h"

#include "platform/app/Application.h"
#include "platform/runtime/rendering/CairoPainter.h"
#include "platform/runtime/Runtime.h"
#include "platform/ui/ScreenComposer.h"

namespace pregonero::platform {

void FrameRenderer::Render() {
    auto* app = Osp::App::Application::GetInstance();
    if (app == nullptr || app->GetAppFrame() == nullptr || !runtime::Runtime::Exists()) {
        return;
    }
    auto& rt = runtime::Runtime::Get();
    runtime::CairoPainter painter(rt.Screen(), rt.Layouts());
    ui::ScreenComposer::Paint(*app->GetAppFrame()->GetFrame(), painter);
}

} // namespace pregonero::platform
