#pragma once

#include "platform/graphics/Color.h"
#include "platform/ui/ICustomListElement.h"

// A list element that fills its rectangle with one colour, whatever the
// row's state.
class ElementBackground : public Osp::Ui::Controls::ICustomListElement {
public:
    ElementBackground();
    ~ElementBackground() override;

    result Construct(Osp::Graphics::Color& color);
    result DrawElement(const Osp::Graphics::Canvas& canvas, const Osp::Graphics::Rectangle& rect,
                       Osp::Ui::Controls::CustomListItemStatus itemStatus) override;

private:
    Osp::Graphics::Color color;
};
