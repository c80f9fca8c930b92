#pragma once

#include "platform/base/IList.h"
#include "platform/base/String.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Rectangle.h"
#include "platform/ui/UiTypes.h"

#include <memory>

namespace pregonero::text {
class JsonWriter;
}

namespace Osp::Ui {

class Container;

// Base of everything on screen. Bounds are relative to the parent's client
// origin (a form's client area, or the screen for forms themselves).
class Control : public Osp::Base::Object {
public:
    Control();
    ~Control() override;
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;

    result SetName(const Osp::Base::String& name);
    Osp::Base::String GetName() const { return name_; }
    Osp::Graphics::Rectangle GetBounds() const { return bounds_; }
    result SetBounds(const Osp::Graphics::Rectangle& rect);
    result SetBounds(int x, int y, int width, int height);
    result SetShowState(bool state);
    bool GetShowState() const { return shown_; }
    Container* GetParent() const { return parent_; }

    // Drawing is coalesced: these only mark the screen for the next frame.
    virtual result Draw();
    virtual result Show();
    void RequestRedraw(bool show = true) const;

    // Queued; delivered to OnUserEventReceivedN after the current handler has
    // returned, and dropped if this control is gone by then.
    result SendUserEvent(RequestId requestId, const Osp::Base::Collection::IList* args) const;
    virtual void OnUserEventReceivedN(RequestId requestId, Osp::Base::Collection::IList* args);

    // The stand-in's own: painting, snapshots and input.
    virtual void Paint(const Osp::Graphics::Canvas& canvas) const;
    virtual const char* TypeName() const { return "Control"; }
    virtual void Describe(pregonero::text::JsonWriter& json) const;
    virtual bool HandleKey(pregonero::ui::Key key);
    // Selects the row at `position` as a user would (lists only); false when
    // this control has no such row.
    virtual bool ActivateRowAt(int position);
    // Mouse and touch input for this control; false leaves the gesture to
    // the front end's own handling (clicks on rows, drag and wheel scrolling).
    virtual bool HandlePointer(const pregonero::ui::PointerEvent& event);
    // Screen position of this control's top left corner.
    Osp::Graphics::Point ScreenOrigin() const;

protected:
    // Writes the keys every control shares; subclasses add theirs after it.
    void DescribeCommon(pregonero::text::JsonWriter& json) const;

private:
    friend class Container;
    Osp::Base::String name_;
    Osp::Graphics::Rectangle bounds_;
    bool shown_ = true;
    Container* parent_ = nullptr;
    // Weak handles to this let queued events notice the control is gone.
    std::shared_ptr<Control*> self_;
};

} // namespace Osp::Ui
