#include "platform/frontends/terminal/TerminalRunner.h"

#include "platform/app/Application.h"
#include "platform/driver/FrameRenderer.h"
#include "platform/driver/ScriptDriver.h"
#include "platform/frontends/terminal/TerminalScreen.h"
#include "platform/frontends/terminal/TerminalView.h"
#include "platform/runtime/Runtime.h"
#include "platform/ui/Frame.h"

#include <algorithm>
#include <cstdio>

namespace pregonero::platform {

using Osp::Ui::Controls::Frame;

void TerminalRunner::Run(Osp::App::Application& app, const std::function<bool()>& initialize) {
    std::string error;
    auto screen = TerminalScreen::Open(&error);
    if (!screen) {
        std::fprintf(stderr, "pregonero: %s\n", error.c_str());
        failed_ = true;
        app.Terminate();
        return;
    }
    RunWithHooks(
        app, initialize,
        [this, &screen] {
            // The framebuffer stays current too, for the driver's screenshots.
            FrameRenderer::Render();
            Draw(*screen);
        },
        [this, &app, &screen](runtime::LoopMode mode, int& waitMs) {
            bool did = Pump(app, *screen);
            waitMs = std::min(waitMs, kPollIntervalMs);
            if (driver_ != nullptr && driver_->Step(mode, waitMs)) {
                did = true;
            }
            return did;
        });
}

void TerminalRunner::Draw(TerminalScreen& screen) {
    const Frame* frame = CurrentFrame();
    if (frame == nullptr) {
        return;
    }
    CellGrid grid = TerminalView::Compose(*frame, screen.Cols(), screen.Rows());
    if (helpShown_ && !TerminalView::TooSmall(screen.Cols(), screen.Rows())) {
        TerminalView::PaintHelp(grid);
    }
    screen.Show(grid);
}

void TerminalRunner::Perform(const KeyCommand& command, int cols, int rows) {
    // Text takes fewer lines here than on the handset, so an article's row
    // is taller than its text: a view of nothing but that is not worth a key.
    DesktopKeys::Perform(command, helpShown_, [cols, rows](const auto& list) {
        const Frame* frame = CurrentFrame();
        return frame == nullptr || TerminalView::ShowsAnything(*frame, list, cols, rows);
    });
}

bool TerminalRunner::Pump(Osp::App::Application& app, TerminalScreen& screen) {
    bool did = false;
    while (auto input = screen.Read()) {
        did = true;
        switch (input->kind) {
        case TerminalInput::Kind::Interrupt:
            app.Terminate();
            return true;
        case TerminalInput::Kind::Resize:
            runtime::Runtime::Get().Loop().RequestRedraw();
            break;
        case TerminalInput::Kind::Command:
            if (input->command.kind == KeyCommand::Kind::None) {
                break;
            }
            runtime::Runtime::Get().Loop().Post(
                [this, command = input->command, cols = screen.Cols(), rows = screen.Rows()] {
                    Perform(command, cols, rows);
                },
                runtime::TaskKind::Input);
            break;
        case TerminalInput::Kind::None:
            break;
        }
    }
    return did;
}

} // namespace pregonero::platform
