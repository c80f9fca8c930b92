#pragma once

#include "platform/base/BaseResult.h"
#include "platform/base/Object.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Rectangle.h"

#include <vector>

namespace Osp::Ui::Controls {

// Where the elements of a row go: ids, rectangles relative to the row, and
// for text (and picture) slots the text size and the two text colours.
class CustomListItemFormat : public Osp::Base::Object {
public:
    struct ElementSlot {
        int id = 0;
        Osp::Graphics::Rectangle rect;
        int textSize = 28;
        Osp::Graphics::Color normalTextColor{0, 0, 0};
        Osp::Graphics::Color focusedTextColor{255, 255, 255};
        bool eventEnabled = true;
    };

    CustomListItemFormat();
    ~CustomListItemFormat() override;

    result Construct();
    result AddElement(int elementId, const Osp::Graphics::Rectangle& rect);
    result AddElement(int elementId, const Osp::Graphics::Rectangle& rect, int textSize,
                      const Osp::Graphics::Color& normalTextColor,
                      const Osp::Graphics::Color& focusedTextColor);
    result SetElementEventEnabled(int elementId, bool enable);

    // The stand-in's own: elements in the order they were added.
    const std::vector<ElementSlot>& Elements() const { return elements_; }
    const ElementSlot* Find(int elementId) const;

private:
    result Add(ElementSlot slot);
    std::vector<ElementSlot> elements_;
};

} // namespace Osp::Ui::Controls
