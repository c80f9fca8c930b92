#include "rows/ElementBackground.h"

ElementBackground::ElementBackground() : color(Osp::Graphics::Color::COLOR_BLACK) {}

ElementBackground::~ElementBackground() = default;

result ElementBackground::Construct(Osp::Graphics::Color& fill) {
    color = fill;
    return E_SUCCESS;
}

result ElementBackground::DrawElement(const Osp::Graphics::Canvas& canvas,
                                      const Osp::Graphics::Rectangle& rect,
                                      Osp::Ui::Controls::CustomListItemStatus) {
    return canvas.FillRectangle(color, rect);
}
