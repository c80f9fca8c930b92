#include "platform/ui/ScreenComposer.h"

#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/OptionMenu.h"

namespace pregonero::ui {

using Osp::Ui::Controls::Form;
using Osp::Ui::Controls::Frame;
using Osp::Ui::Controls::MessageBox;
using Osp::Ui::Controls::OptionMenu;

Osp::Graphics::Rectangle ScreenComposer::MenuArea(const Frame& frame) {
    const Form* form = frame.GetCurrentForm();
    if (form == nullptr) {
        return Osp::Graphics::Rectangle(0, 0, 480, 800);
    }
    Osp::Graphics::Rectangle client = form->GetClientAreaBounds();
    return client;
}

void ScreenComposer::Paint(const Frame& frame, runtime::Painter& painter) {
    Osp::Graphics::Canvas canvas(painter, 0, 0);
    frame.Paint(canvas);
    const Form* form = frame.GetCurrentForm();
    if (form != nullptr) {
        OptionMenu* menu = form->GetAttachedOptionMenu();
        if (menu != nullptr && menu->IsOpen()) {
            menu->PaintOverlay(canvas, MenuArea(frame));
        }
    }
    if (MessageBox* box = MessageBox::Top()) {
        box->PaintOverlay(canvas);
    }
}

bool ScreenComposer::HandleKey(Frame& frame, Key key) {
    if (MessageBox* box = MessageBox::Top()) {
        return box->HandleKey(key);
    }
    Form* form = frame.GetCurrentForm();
    if (form == nullptr) {
        return false;
    }
    OptionMenu* menu = form->GetAttachedOptionMenu();
    if (menu != nullptr && menu->IsOpen()) {
        return menu->HandleKey(key);
    }
    return form->HandleKey(key);
}

} // namespace pregonero::ui
