#include "platform/ui/CustomListItemFormat.h"

namespace Osp::Ui::Controls {

CustomListItemFormat::CustomListItemFormat() = default;
CustomListItemFormat::~CustomListItemFormat() = default;

result CustomListItemFormat::Construct() {
    elements_.clear();
    return E_SUCCESS;
}

result CustomListItemFormat::Add(ElementSlot slot) {
    // An element reaching past the row is fine (the list clips it), a negative
    // size or a duplicate id is not.
    if (slot.rect.width < 0 || slot.rect.height < 0 || slot.textSize <= 0 ||
        Find(slot.id) != nullptr) {
        return E_INVALID_ARG;
    }
    elements_.push_back(slot);
    return E_SUCCESS;
}

result CustomListItemFormat::AddElement(int elementId, const Osp::Graphics::Rectangle& rect) {
    ElementSlot slot;
    slot.id = elementId;
    slot.rect = rect;
    return Add(slot);
}

result CustomListItemFormat::AddElement(int elementId, const Osp::Graphics::Rectangle& rect,
                                        int textSize, const Osp::Graphics::Color& normalTextColor,
                                        const Osp::Graphics::Color& focusedTextColor) {
    ElementSlot slot;
    slot.id = elementId;
    slot.rect = rect;
    slot.textSize = textSize;
    slot.normalTextColor = normalTextColor;
    slot.focusedTextColor = focusedTextColor;
    return Add(slot);
}

result CustomListItemFormat::SetElementEventEnabled(int elementId, bool enable) {
    for (ElementSlot& slot : elements_) {
        if (slot.id == elementId) {
            slot.eventEnabled = enable;
            return E_SUCCESS;
        }
    }
    return E_INVALID_ARG;
}

const CustomListItemFormat::ElementSlot* CustomListItemFormat::Find(int elementId) const {
    for (const ElementSlot& slot : elements_) {
        if (slot.id == elementId) {
            return &slot;
        }
    }
    return nullptr;
}

} // namespace Osp::Ui::Controls
