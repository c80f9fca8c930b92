#pragma once

#include "platform/base/BaseResult.h"
#include "platform/base/Object.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/Rectangle.h"

namespace Osp::Ui::Controls {

enum CustomListItemStatus {
    CUSTOM_LIST_ITEM_STATUS_NORMAL = 0,
    CUSTOM_LIST_ITEM_STATUS_FOCUSED = 2
};

// An element that draws itself inside a list row. The list calls DrawElement
// with the row's canvas (origin at the row's top left) and the element's
// rectangle, already clipped to the row.
class ICustomListElement : public Osp::Base::Object {
public:
    ~ICustomListElement() override = default;
    virtual result DrawElement(const Osp::Graphics::Canvas& canvas,
                               const Osp::Graphics::Rectangle& rect,
                               CustomListItemStatus itemStatus) = 0;
};

} // namespace Osp::Ui::Controls
