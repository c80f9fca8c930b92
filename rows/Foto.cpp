#include "rows/Foto.h"

#include "rows/RowColors.h"

using Osp::Graphics::Color;
using Osp::Graphics::Rectangle;

Osp::Ui::Controls::CustomListItemFormat* Foto::__pItemFormat = nullptr;
ElementBackground* Foto::background = nullptr;
int Foto::instances = 0;

Foto::Foto() = default;
Foto::~Foto() = default;

result Foto::Construct(Osp::Base::String title_, Osp::Base::String imgUrl_,
                       Osp::Base::String imgDes_, Osp::Base::String id_, int width,
                       int imgDesLength) {
    const int w = width;
    const int textHeight = imgDesLength + 80;
    const bool withImage = imgUrl_.GetLength() >= 1;
    resources_.Count();
    result r = CustomListItem::Construct(withImage ? textHeight + w + 130 : textHeight);
    if (r != E_SUCCESS) {
        return r;
    }
    title = title_;
    imgUrl = imgUrl_;
    imgDes = imgDes_;
    id = id_;

    auto& format = resources_.NewFormat();
    auto& fill = resources_.NewBackground(RowColors::Background());
    const Color& white = Color::COLOR_WHITE;
    format.AddElement(104, Rectangle(0, 0, w, textHeight));
    format.AddElement(101, Rectangle(0, 0, w, 80), 35, RowColors::Title(), white);
    // The picture square sits right under the title, the caption 10 pixels
    // below it.
    if (withImage) {
        format.AddElement(102, Rectangle(20, 80, w - 40, w - 40), 28, Color::COLOR_BLACK, white);
    }
    const int captionY = withImage ? w + 50 : 80;
    format.AddElement(103, Rectangle(0, captionY, w, 170), 28, Color::COLOR_BLACK, white);

    SetItemFormat(*__pItemFormat);
    SetElement(104, fill);
    SetElement(101, title);
    return SetElement(103, imgDes);
}
