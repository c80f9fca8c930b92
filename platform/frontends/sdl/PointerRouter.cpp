#include "platform/frontends/sdl/PointerRouter.h"

#include "platform/ui/CustomList.h"
#include "platform/ui/Form.h"
#include "platform/ui/Frame.h"
#include "platform/ui/MessageBox.h"
#include "platform/ui/OptionMenu.h"
#include "platform/ui/ScreenComposer.h"

namespace pregonero::platform {

using Osp::Graphics::Rectangle;
using Osp::Ui::Control;
using Osp::Ui::Controls::CustomList;
using Osp::Ui::Controls::Form;
using Osp::Ui::Controls::Frame;
using Osp::Ui::Controls::MessageBox;
using Osp::Ui::Controls::OptionMenu;

namespace {

bool Inside(const Rectangle& rect, int x, int y) {
    return x >= rect.x && y >= rect.y && x < rect.x + rect.width && y < rect.y + rect.height;
}

Form* CurrentForm(Frame* frame) {
    return frame != nullptr ? frame->GetCurrentForm() : nullptr;
}

OptionMenu* OpenMenu(const Form& form) {
    OptionMenu* menu = form.GetAttachedOptionMenu();
    return menu != nullptr && menu->IsOpen() ? menu : nullptr;
}

} // namespace

PointerRouter::PointerRouter(Frame* (*frame)()) : frame_(frame) {}

PointerRouter::Target PointerRouter::ButtonAt(const Form& form, int x, int y) const {
    if (MessageBox* box = MessageBox::Top()) {
        return Inside(box->OkButtonRect(), x, y) ? Target::OkButton : Target::None;
    }
    if (form.HasOptionkey() && Inside(form.OptionKeyRect(), x, y)) {
        return Target::OptionKey;
    }
    if (OpenMenu(form) != nullptr) {
        return Target::Menu;
    }
    if (form.HasSoftkey(Osp::Ui::Controls::SOFTKEY_0) &&
        Inside(form.SoftkeyRect(Osp::Ui::Controls::SOFTKEY_0), x, y)) {
        return Target::Softkey0;
    }
    if (form.HasSoftkey(Osp::Ui::Controls::SOFTKEY_1) &&
        Inside(form.SoftkeyRect(Osp::Ui::Controls::SOFTKEY_1), x, y)) {
        return Target::Softkey1;
    }
    return Target::None;
}

Control* PointerRouter::ControlAt(const Form& form, int x, int y) const {
    if (!Inside(form.GetClientAreaBounds(), x, y)) {
        return nullptr;
    }
    // The last added is drawn on top, so it is hit first.
    for (int i = form.GetControlCount() - 1; i >= 0; --i) {
        Control* child = form.GetControlAt(i);
        auto origin = child->ScreenOrigin();
        Rectangle bounds = child->GetBounds();
        if (child->GetShowState() &&
            Inside(Rectangle(origin.x, origin.y, bounds.width, bounds.height), x, y)) {
            return child;
        }
    }
    return nullptr;
}

Control* PointerRouter::Live(const Control* control) const {
    Form* form = CurrentForm(frame_());
    if (control == nullptr || form == nullptr) {
        return nullptr;
    }
    // Compared, never dereferenced, until found: a screen switch may have
    // destroyed it.
    for (int i = 0; i < form->GetControlCount(); ++i) {
        if (form->GetControlAt(i) == control) {
            return form->GetControlAt(i);
        }
    }
    return nullptr;
}

CustomList* PointerRouter::LiveList() const {
    return dynamic_cast<CustomList*>(Live(list_));
}

bool PointerRouter::Deliver(Control& control, ui::PointerAction action, int x, int y,
                            int steps) const {
    auto origin = control.ScreenOrigin();
    ui::PointerEvent event;
    event.action = action;
    event.x = x - origin.x;
    event.y = y - origin.y;
    event.wheelSteps = steps;
    return control.HandlePointer(event);
}

void PointerRouter::Press(int x, int y, double ms) {
    target_ = Target::None;
    control_ = nullptr;
    caughtGlide_ = scroller_.Gliding();
    scroller_.Stop();
    Form* form = CurrentForm(frame_());
    if (form == nullptr) {
        return;
    }
    target_ = ButtonAt(*form, x, y);
    if (target_ != Target::None || MessageBox::Top() != nullptr) {
        return;
    }
    Control* control = ControlAt(*form, x, y);
    if (control == nullptr) {
        return;
    }
    if (Deliver(*control, ui::PointerAction::Press, x, y, 0)) {
        target_ = Target::Control;
        control_ = control;
    } else if (dynamic_cast<CustomList*>(control) != nullptr) {
        target_ = Target::List;
        list_ = control;
        scroller_.Press(y, ms);
    }
}

void PointerRouter::Move(int x, int y, double ms) {
    if (target_ == Target::Control) {
        if (Control* control = Live(control_)) {
            Deliver(*control, ui::PointerAction::Move, x, y, 0);
        }
    } else if (target_ == Target::List) {
        ScrollList(scroller_.DragTo(y, ms));
    }
}

void PointerRouter::Release(int x, int y, double ms) {
    Target target = target_;
    target_ = Target::None;
    Frame* frame = frame_();
    Form* form = CurrentForm(frame);
    if (form == nullptr) {
        return;
    }
    if (target == Target::Control) {
        if (Control* control = Live(control_)) {
            Deliver(*control, ui::PointerAction::Release, x, y, 0);
        }
        return;
    }
    if (target == Target::List) {
        scroller_.Release(ms);
        CustomList* list = LiveList();
        if (list != nullptr && !scroller_.Dragged() && !caughtGlide_) {
            ClickList(*list, y);
        }
        return;
    }
    // A button acts only when let go over the one it went down on.
    if (target == Target::None || ButtonAt(*form, x, y) != target) {
        return;
    }
    switch (target) {
    case Target::OkButton:
        if (MessageBox* box = MessageBox::Top()) {
            box->PressOk();
        }
        break;
    case Target::OptionKey:
        ui::ScreenComposer::HandleKey(*frame, ui::Key::OptionKey);
        break;
    case Target::Softkey0:
        form->PressSoftkey(Osp::Ui::Controls::SOFTKEY_0);
        break;
    case Target::Softkey1:
        form->PressSoftkey(Osp::Ui::Controls::SOFTKEY_1);
        break;
    case Target::Menu:
        ClickMenu(*form, x, y);
        break;
    default:
        break;
    }
}

void PointerRouter::ClickMenu(Form& form, int x, int y) {
    OptionMenu* menu = OpenMenu(form);
    if (menu == nullptr) {
        return;
    }
    int index = menu->HitTest(ui::ScreenComposer::MenuArea(*frame_()), x, y);
    if (index >= 0) {
        menu->ChooseAt(index);
    } else {
        // A click beside the menu puts it away, as the back key would.
        menu->Close();
    }
}

void PointerRouter::ClickList(CustomList& list, int y) {
    int row = list.RowAtY(static_cast<long long>(list.GetScrollY()) + y - list.ScreenOrigin().y);
    if (row >= 0) {
        list.ActivateRowAt(row);
    }
}

void PointerRouter::ScrollList(int pixels) {
    if (pixels == 0) {
        return;
    }
    CustomList* list = LiveList();
    if (list == nullptr) {
        scroller_.Stop();
        return;
    }
    int before = list->GetScrollY();
    list->SetScrollY(before + pixels);
    // Gliding into either end stops there rather than pushing on unseen.
    if (list->GetScrollY() == before && target_ != Target::List) {
        scroller_.Stop();
    }
}

void PointerRouter::Wheel(int x, int y, int steps, double ms) {
    Frame* frame = frame_();
    Form* form = CurrentForm(frame);
    if (form == nullptr || steps == 0 || MessageBox::Top() != nullptr) {
        return;
    }
    Control* control = OpenMenu(*form) == nullptr ? ControlAt(*form, x, y) : nullptr;
    if (control != nullptr && Deliver(*control, ui::PointerAction::Wheel, x, y, steps)) {
        return;
    }
    if (dynamic_cast<CustomList*>(control) != nullptr) {
        if (list_ != control) {
            scroller_.Stop();
        }
        list_ = control;
        scroller_.Wheel(steps, ms);
        return;
    }
    // Nothing scrolls by the pixel here (an open menu, a plain screen): the
    // wheel moves the focus as the arrow keys do.
    ui::Key key = steps > 0 ? ui::Key::Down : ui::Key::Up;
    for (int i = 0; i < (steps > 0 ? steps : -steps); ++i) {
        ui::ScreenComposer::HandleKey(*frame, key);
    }
}

bool PointerRouter::Animate(double ms) {
    if (!scroller_.Gliding()) {
        return false;
    }
    ScrollList(scroller_.Advance(ms));
    return scroller_.Gliding();
}

} // namespace pregonero::platform
