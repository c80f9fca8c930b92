#pragma once

#include "platform/ui/Control.h"

#include <memory>
#include <vector>

namespace Osp::Ui {

// A control that owns other controls, in the order they were added.
class Container : public Control {
public:
    Container();
    ~Container() override;

    // Takes ownership of `control`.
    result AddControl(const Control& control);
    // Detaches and destroys `control`.
    result RemoveControl(const Control& control);
    result RemoveControl(int index);
    void RemoveAllControls();
    Control* GetControl(const Osp::Base::String& name, bool recursive = false) const;
    Control* GetControlAt(int index) const;
    int GetControlCount() const { return static_cast<int>(children_.size()); }
    int GetControlIndex(const Control& control) const;

    void Paint(const Osp::Graphics::Canvas& canvas) const override;
    const char* TypeName() const override { return "Container"; }
    // Screen position that children's bounds are relative to.
    virtual Osp::Graphics::Point ChildOrigin() const { return ScreenOrigin(); }

protected:
    // Hooks around ownership changes; the frame runs a form's lifecycle here.
    virtual void OnChildAdded(Control& child);
    virtual void OnChildRemoving(Control& child);
    void PaintChildren(const Osp::Graphics::Canvas& canvas) const;

private:
    std::vector<std::unique_ptr<Control>> children_;
};

} // namespace Osp::Ui
