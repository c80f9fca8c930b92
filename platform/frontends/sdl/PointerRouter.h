#pragma once

#include "platform/frontends/sdl/KineticScroller.h"
#include "platform/ui/UiTypes.h"

namespace Osp::Ui {
class Control;
} // namespace Osp::Ui

namespace Osp::Ui::Controls {
class CustomList;
class Form;
class Frame;
} // namespace Osp::Ui::Controls

namespace pregonero::platform {

// Mouse and touch on the handset's screen, in screen pixels: buttons (the
// softkeys, the option key, a message box's OK, a menu item) act when the
// pointer is let go over the one it went down on; a control that takes the
// pointer itself gets the whole gesture; otherwise a list scrolls with the
// drag and the wheel, glides on, and a click selects the row under it.
class PointerRouter {
public:
    explicit PointerRouter(Osp::Ui::Controls::Frame* (*frame)());

    void Press(int x, int y, double ms);
    void Move(int x, int y, double ms);
    void Release(int x, int y, double ms);
    void Wheel(int x, int y, int steps, double ms);
    // Moves a gliding list on; true while it still glides.
    bool Animate(double ms);

private:
    enum class Target { None, OkButton, Menu, Softkey0, Softkey1, OptionKey, Control, List };

    Target ButtonAt(const Osp::Ui::Controls::Form& form, int x, int y) const;
    Osp::Ui::Control* ControlAt(const Osp::Ui::Controls::Form& form, int x, int y) const;
    // The pointed-at control, if it is still on the current form.
    Osp::Ui::Control* Live(const Osp::Ui::Control* control) const;
    Osp::Ui::Controls::CustomList* LiveList() const;
    bool Deliver(Osp::Ui::Control& control, ui::PointerAction action, int x, int y,
                 int steps) const;
    void ClickMenu(Osp::Ui::Controls::Form& form, int x, int y);
    void ClickList(Osp::Ui::Controls::CustomList& list, int y);
    void ScrollList(int pixels);

    Osp::Ui::Controls::Frame* (*frame_)();
    Target target_ = Target::None;
    const Osp::Ui::Control* control_ = nullptr;
    const Osp::Ui::Control* list_ = nullptr; // the list being dragged or gliding
    bool caughtGlide_ = false;
    KineticScroller scroller_;
};

} // namespace pregonero::platform
