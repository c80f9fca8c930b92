#include "rows/Seccion.h"

using Osp::Graphics::Color;
using Osp::Graphics::Rectangle;

Osp::Ui::Controls::CustomListItemFormat* Seccion::__pItemFormat = nullptr;
ElementBackground* Seccion::background = nullptr;
int Seccion::instances = 0;

Seccion::Seccion() = default;
Seccion::~Seccion() = default;

result Seccion::Construct(Osp::Base::String name_, int width) {
    resources_.Count();
    result r = CustomListItem::Construct(35);
    if (r != E_SUCCESS) {
        return r;
    }
    name = name_;

    auto& format = resources_.NewFormat();
    auto& fill = resources_.NewBackground(Color::COLOR_GREY);
    // Both rectangles are 40 high in a 35-pixel row; the list clips them.
    format.AddElement(102, Rectangle(0, 0, width, 40));
    format.AddElement(101, Rectangle(0, 0, width, 40), 35, Color::COLOR_BLACK, Color::COLOR_WHITE);
    format.SetElementEventEnabled(101, false);

    SetItemFormat(*__pItemFormat);
    SetElement(102, fill);
    return SetElement(101, name);
}
