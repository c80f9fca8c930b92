#pragma once

#include "platform/base/String.h"
#include "platform/ui/CustomListItem.h"
#include "platform/ui/CustomListItemFormat.h"
#include "rows/ElementBackground.h"
#include "rows/RowResources.h"

// One whole article in one row: heading lines, an optional square picture
// with its caption, and the body. The row grows one pixel per body character,
// or more where the body's lines need more (with `fitBody`: laying a body
// out costs time a long feed cannot spend on every article).
class Articulo : public Osp::Ui::Controls::CustomListItem {
public:
    Articulo();
    ~Articulo() override;

    result Construct(Osp::Base::String title, Osp::Base::String author, Osp::Base::String pubDate,
                     Osp::Base::String pubTime, Osp::Base::String imgLink, Osp::Base::String imgDes,
                     Osp::Base::String body, Osp::Base::String id, int width, int bodyLength,
                     bool fitBody = true);
    Osp::Base::String GetId() const { return id; }

    static Osp::Ui::Controls::CustomListItemFormat* __pItemFormat;
    static ElementBackground* background;
    static int instances;

    Osp::Base::String title;
    Osp::Base::String author;
    Osp::Base::String pubDate;
    Osp::Base::String pubTime;
    Osp::Base::String imgLink;
    Osp::Base::String imgDes;
    Osp::Base::String body;
    Osp::Base::String id;

private:
    RowResources resources_{{__pItemFormat, background, instances}};
};
