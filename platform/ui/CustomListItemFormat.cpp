#include "platform/ui/CustomListItemFormat.h"

namespace Osp::Ui::Controls {

CustomListItemFormat::CustomListItemFormat() = default;
CustomListItemFormat::~CustomListItemFormat() = default;

result CustomListItemFormat::Construct() {
    elements_.clear();
    return E_SUCCESS;
}

result CustomListItemFormat::Add(ElementSpec spec) {
    // An element reaching past the row is fine (the list clips it), a negative
    // size or a duplicate id is not.
    if (spec.rect.width < 0 || spec.rect.height < 0 || spec.textSize <= 0 ||
        Find(spec.id) != nullptr) {
        return E_INVALID_ARG;
    }
    elements_.push_back(spec);
    return E_SUCCESS;
}

result CustomListItemFormat::AddElement(int elementId, const Osp::Graphics::Rectangle& rect) {
    ElementSpec spec;
    spec.id = elementId;
    spec.rect = rect;
    return Add(spec);
}

result CustomListItemFormat::AddElement(int elementId, const Osp::Graphics::Rectangle& rect,
                                        int textSize, const Osp::Graphics::Color& normalTextColor,
                                        const Osp::Graphics::Color& focusedTextColor) {
    ElementSpec spec;
    spec.id = elementId;
    spec.rect = rect;
    spec.textSize = textSize;
    spec.normalTextColor = normalTextColor;
    spec.focusedTextColor = focusedTextColor;
    return Add(spec);
}

result CustomListItemFormat::SetElementEventEnabled(int elementId, bool enable) {
    for (ElementSpec& spec : elements_) {
        if (spec.id == elementId) {
            spec.eventEnabled = enable;
            return E_SUCCESS;
        }
    }
    return E_INVALID_ARG;
}

const CustomListItemFormat::ElementSpec* CustomListItemFormat::Find(int elementId) const {
    for (const ElementSpec& spec : elements_) {
        if (spec.id == elementId) {
            return &spec;
        }
    }
    return nullptr;
}

} // namespace Osp::Ui::Controls
