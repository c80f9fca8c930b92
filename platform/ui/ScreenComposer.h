#pragma once

#include "platform/graphics/Rectangle.h"
#include "platform/runtime/rendering/Painter.h"
#include "platform/ui/UiTypes.h"

namespace Osp::Ui::Controls {
class Frame;
} // namespace Osp::Ui::Controls

namespace pregonero::ui {

// Draws what the screen shows (the current form, its open menu, a modal box
// on top) and routes the handset keys to whichever of them has the focus.
class ScreenComposer {
public:
    static void Paint(const Osp::Ui::Controls::Frame& frame, runtime::Painter& painter);
    static bool HandleKey(Osp::Ui::Controls::Frame& frame, Key key);
    // Where the option menu is laid out: the current form's client area.
    static Osp::Graphics::Rectangle MenuArea(const Osp::Ui::Controls::Frame& frame);
};

} // namespace pregonero::ui
