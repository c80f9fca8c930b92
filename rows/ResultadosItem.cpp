#include "rows/ResultadosItem.h"

#include <utility>

#include "rows/RowColors.h"

using Osp::Graphics::Color;
using Osp::Graphics::Rectangle;

Osp::Ui::Controls::CustomListItemFormat* ResultadosItem::__pItemFormat = nullptr;
ElementBackground* ResultadosItem::background = nullptr;
int ResultadosItem::instances = 0;

namespace {
const int kHeight = 176;
} // namespace

ResultadosItem::ResultadosItem() = default;
ResultadosItem::~ResultadosItem() = default;

result ResultadosItem::Construct(Osp::Base::String title_, Osp::Base::String pubTime_,
                                 Osp::Base::String description_, Osp::Base::String imgUrl_,
                                 Osp::Base::String link_, Osp::Base::String id_) {
    resources_.Count();
    result r = CustomListItem::Construct(kHeight);
    if (r != E_SUCCESS) {
        return r;
    }
    // The arguments are this call's own copies: moving saves a copy of each.
    title = std::move(title_);
    pubTime = std::move(pubTime_);
    description = std::move(description_);
    imgUrl = std::move(imgUrl_);
    link = std::move(link_);
    id = std::move(id_);

    auto& format = resources_.NewFormat();
    auto& fill = resources_.NewBackground(RowColors::Background());
    // With a picture the texts keep to a 303-pixel column; x = 303 stays free.
    const bool withImage = imgUrl.GetLength() >= 1;
    const int textWidth = withImage ? 303 : 480;
    format.AddElement(104, Rectangle(0, 0, 480, kHeight));
    format.AddElement(101, Rectangle(0, 0, textWidth, 60), 28, RowColors::Title(),
                      Color::COLOR_WHITE);
    format.AddElement(102, Rectangle(0, 60, textWidth, 26), 24, Color::COLOR_RED,
                      Color::COLOR_WHITE);
    format.AddElement(103, Rectangle(0, 86, textWidth, 90), 28, Color::COLOR_BLACK,
                      Color::COLOR_WHITE);
    if (withImage) {
        format.AddElement(105, Rectangle(304, 0, 176, kHeight), 28, Color::COLOR_BLACK,
                          Color::COLOR_WHITE);
    }
    SetItemFormat(*__pItemFormat);
    SetElement(104, fill);
    SetElement(101, title);
    SetElement(102, pubTime);
    return SetElement(103, description);
}
