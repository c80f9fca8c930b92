#include "platform/ui/Container.h"

#include <algorithm>

namespace Osp::Ui {

Container::Container() = default;

Container::~Container() {
    // Children go last-in first-out, as they were stacked.
    while (!children_.empty()) {
        children_.pop_back();
    }
}

result Container::AddControl(const Control& control) {
    auto& child = const_cast<Control&>(control);
    if (child.parent_ != nullptr || &child == this) {
        return E_INVALID_ARG;
    }
    child.parent_ = this;
    children_.emplace_back(&child);
    OnChildAdded(child);
    RequestRedraw(true);
    return E_SUCCESS;
}

int Container::GetControlIndex(const Control& control) const {
    for (std::size_t i = 0; i < children_.size(); ++i) {
        if (children_[i].get() == &control) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

result Container::RemoveControl(const Control& control) {
    int index = GetControlIndex(control);
    if (index < 0) {
        return E_OBJ_NOT_FOUND;
    }
    return RemoveControl(index);
}

result Container::RemoveControl(int index) {
    if (index < 0 || index >= GetControlCount()) {
        return E_OUT_OF_RANGE;
    }
    Control* child = children_[static_cast<std::size_t>(index)].get();
    OnChildRemoving(*child);
    // The hook may have changed the list; find the child again before destroying it.
    auto it = std::find_if(children_.begin(), children_.end(),
                           [child](const auto& c) { return c.get() == child; });
    if (it != children_.end()) {
        std::unique_ptr<Control> owned = std::move(*it);
        children_.erase(it);
        owned->parent_ = nullptr;
        owned.reset();
    }
    RequestRedraw(true);
    return E_SUCCESS;
}

void Container::RemoveAllControls() {
    while (!children_.empty()) {
        RemoveControl(GetControlCount() - 1);
    }
}

Control* Container::GetControl(const Osp::Base::String& name, bool recursive) const {
    for (const auto& child : children_) {
        if (child->GetName() == name) {
            return child.get();
        }
    }
    if (recursive) {
        for (const auto& child : children_) {
            if (auto* container = dynamic_cast<Container*>(child.get())) {
                if (Control* found = container->GetControl(name, true)) {
                    return found;
                }
            }
        }
    }
    return nullptr;
}

Control* Container::GetControlAt(int index) const {
    if (index < 0 || index >= GetControlCount()) {
        return nullptr;
    }
    return children_[static_cast<std::size_t>(index)].get();
}

void Container::OnChildAdded(Control&) {}
void Container::OnChildRemoving(Control&) {}

void Container::Paint(const Osp::Graphics::Canvas& canvas) const {
    PaintChildren(canvas);
}

void Container::PaintChildren(const Osp::Graphics::Canvas& canvas) const {
    Osp::Graphics::Point base = ChildOrigin();
    for (const auto& child : children_) {
        if (!child->GetShowState()) {
            continue;
        }
        Osp::Graphics::Rectangle b = child->GetBounds();
        Osp::Graphics::Canvas childCanvas(canvas.GetPainter(), base.x + b.x, base.y + b.y);
        pregonero::runtime::ClipScope clip(canvas.GetPainter(),
                                           {base.x + b.x, base.y + b.y, b.width, b.height});
        child->Paint(childCanvas);
    }
}

} // namespace Osp::Ui
