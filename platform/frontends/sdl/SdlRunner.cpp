#include "platform/frontends/sdl/SdlRunner.h"

#include <SDL.h>

#include "platform/app/Application.h"
#include "platform/driver/FrameRenderer.h"
#include "platform/driver/ScriptDriver.h"
#include "platform/frontends/sdl/SdlKeyMap.h"
#include "platform/frontends/sdl/SdlWindow.h"
#include "platform/runtime/rendering/CairoPainter.h"
#include "platform/runtime/rendering/Framebuffer.h"
#include "platform/runtime/Runtime.h"
#include "platform/ui/Frame.h"
#include "platform/ui/ScreenComposer.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace pregonero::platform {

using Osp::Ui::Controls::Frame;

namespace {

double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

} // namespace

SdlRunner::SdlRunner(ScriptDriver* driver) : driver_(driver), router_(CurrentFrame) {}

SdlRunner::~SdlRunner() = default;

void SdlRunner::Run(Osp::App::Application& app, const std::function<bool()>& initialize) {
    std::string error;
    auto window = SdlWindow::Open(kTitle, &error);
    if (!window) {
        std::fprintf(stderr, "pregonero: cannot open the window: %s\n", error.c_str());
        failed_ = true;
        app.Terminate();
        return;
    }
    auto& runtime = runtime::Runtime::Get();
    RunWithHooks(
        app, initialize,
        [this, &runtime, &window] {
            FrameRenderer::Render();
            if (helpShown_) {
                runtime::CairoPainter painter(runtime.Screen(), runtime.Layouts());
                DesktopKeys::PaintHelp(painter);
            }
            window->Show(runtime.Screen().Data(), runtime.Screen().Stride());
        },
        [this, &app, &window](runtime::LoopMode mode, int& waitMs) {
            bool did = Pump(app, *window);
            router_.Animate(NowMs());
            waitMs = std::min(waitMs, kPumpIntervalMs);
            if (driver_ != nullptr && driver_->Step(mode, waitMs)) {
                did = true;
            }
            return did;
        });
}

bool SdlRunner::Pump(Osp::App::Application& app, SdlWindow& window) {
    bool did = false;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        did = true;
        switch (event.type) {
        case SDL_QUIT:
            // Closing the window ends the application the platform's way.
            app.Terminate();
            return true;
        case SDL_WINDOWEVENT:
            if (event.window.event == SDL_WINDOWEVENT_EXPOSED ||
                event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED) {
                window.Refresh();
            }
            break;
        case SDL_KEYDOWN:
            PostKey(SdlKeyMap::CommandFor(event.key.keysym.sym, event.key.keysym.mod),
                    event.key.repeat != 0);
            break;
        case SDL_TEXTINPUT:
            PostKey(SdlKeyMap::CommandForText(event.text.text), false);
            break;
        case SDL_MOUSEBUTTONDOWN:
        case SDL_MOUSEBUTTONUP:
            if (event.button.button == SDL_BUTTON_LEFT) {
                int x = 0;
                int y = 0;
                bool onScreen = window.ToScreen(event.button.x, event.button.y, &x, &y);
                bool down = event.type == SDL_MOUSEBUTTONDOWN;
                // A press in the margin around the screen touches nothing.
                if (onScreen || !down) {
                    PostPointer(down ? PointerKind::Press : PointerKind::Release, x, y, 0);
                }
            }
            break;
        case SDL_MOUSEMOTION: {
            int x = 0;
            int y = 0;
            window.ToScreen(event.motion.x, event.motion.y, &x, &y);
            pointerX_ = x;
            pointerY_ = y;
            if ((event.motion.state & SDL_BUTTON_LMASK) != 0) {
                PostPointer(PointerKind::Move, x, y, 0);
            }
            break;
        }
        case SDL_MOUSEWHEEL: {
            int steps =
                event.wheel.direction == SDL_MOUSEWHEEL_FLIPPED ? event.wheel.y : -event.wheel.y;
            PostPointer(PointerKind::Wheel, pointerX_, pointerY_, steps);
            break;
        }
        default:
            break;
        }
    }
    return did;
}

void SdlRunner::PostKey(const KeyCommand& command, bool repeat) {
    if (command.kind == KeyCommand::Kind::None || (repeat && !SdlKeyMap::Repeats(command))) {
        return;
    }
    runtime::Runtime::Get().Loop().Post(
        [this, command] { DesktopKeys::Perform(command, helpShown_); }, runtime::TaskKind::Input);
}

void SdlRunner::PostPointer(PointerKind kind, int x, int y, int steps) {
    pointerX_ = x;
    pointerY_ = y;
    double ms = NowMs();
    runtime::Runtime::Get().Loop().Post(
        [this, kind, x, y, steps, ms] {
            switch (kind) {
            case PointerKind::Press:
                router_.Press(x, y, ms);
                break;
            case PointerKind::Move:
                router_.Move(x, y, ms);
                break;
            case PointerKind::Release:
                router_.Release(x, y, ms);
                break;
            case PointerKind::Wheel:
                router_.Wheel(x, y, steps, ms);
                break;
            }
        },
        runtime::TaskKind::Input);
}

} // namespace pregonero::platform
