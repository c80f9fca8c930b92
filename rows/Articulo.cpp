#include "rows/Articulo.h"

#include "rows/RowColors.h"

#include "platform/graphics/TextMeasure.h"

#include <algorithm>

using Osp::Graphics::Color;
using Osp::Graphics::Rectangle;

Osp::Ui::Controls::CustomListItemFormat* Articulo::__pItemFormat = nullptr;
ElementBackground* Articulo::background = nullptr;
int Articulo::instances = 0;

Articulo::Articulo() = default;
Articulo::~Articulo() = default;

result Articulo::Construct(Osp::Base::String title_, Osp::Base::String author_,
                           Osp::Base::String pubDate_, Osp::Base::String pubTime_,
                           Osp::Base::String imgLink_, Osp::Base::String imgDes_,
                           Osp::Base::String body_, Osp::Base::String id_, int width,
                           int bodyLength, bool fitBody) {
    const int w = width;
    const bool withImage = imgLink_.GetLength() >= 1;
    // One pixel per character is room enough for most bodies; where the laid
    // out body needs more, the row, its background and the body grow by what
    // is missing, so the end of an article always shows.
    const int bodyRoom = withImage ? bodyLength - 10 : bodyLength;
    const int bodyNeeds = fitBody ? Osp::Graphics::TextMeasure::GetWrappedHeight(body_, w, 28) : 0;
    const int grow = bodyNeeds > 0 ? std::max(0, bodyNeeds - bodyRoom) : 0;
    const int textHeight = bodyLength + 189 + grow;
    resources_.Count();
    result r = CustomListItem::Construct(withImage ? textHeight + w + 46 : textHeight);
    if (r != E_SUCCESS) {
        return r;
    }
    title = title_;
    author = author_;
    pubDate = pubDate_;
    pubTime = pubTime_;
    imgLink = imgLink_;
    imgDes = imgDes_;
    body = body_;
    id = id_;

    auto& format = resources_.NewFormat();
    auto& fill = resources_.NewBackground(RowColors::Background());
    const Color& white = Color::COLOR_WHITE;
    format.AddElement(108, Rectangle(0, 0, w, textHeight));
    format.AddElement(101, Rectangle(0, 0, w, 80), 35, RowColors::Title(), white);
    format.AddElement(102, Rectangle(0, 80, w, 38), 28, Color::COLOR_BLACK, white);
    format.AddElement(103, Rectangle(0, 118, w, 33), 28, Color::COLOR_BLACK, white);
    format.AddElement(104, Rectangle(0, 151, w, 38), 28, Color::COLOR_RED, white);
    // The picture square sits under the time line, the caption 10 pixels
    // below it and the body right under the caption.
    if (withImage) {
        format.AddElement(105, Rectangle(20, 189, w - 40, w - 40), 28, Color::COLOR_BLACK, white);
        format.AddElement(106, Rectangle(0, w + 159, w, 86), 28, Color::COLOR_BLACK, white);
    }
    const int bodyY = withImage ? w + 245 : 189;
    format.AddElement(107, Rectangle(0, bodyY, w, textHeight), 28, Color::COLOR_BLACK, white);

    SetItemFormat(*__pItemFormat);
    SetElement(108, fill);
    SetElement(101, title);
    SetElement(102, author);
    SetElement(103, pubDate);
    SetElement(104, pubTime);
    if (withImage) {
        SetElement(106, imgDes);
    }
    return SetElement(107, body);
}
