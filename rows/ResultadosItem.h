#pragma once

#include "platform/base/String.h"
#include "platform/ui/CustomListItem.h"
#include "platform/ui/CustomListItemFormat.h"
#include "rows/ElementBackground.h"
#include "rows/RowResources.h"

// The headline row of the front page and the section screens: title, time and
// summary, with a 176-pixel thumbnail slot at the right when there is a
// picture.
class ResultadosItem : public Osp::Ui::Controls::CustomListItem {
public:
    ResultadosItem();
    ~ResultadosItem() override;

    result Construct(Osp::Base::String title, Osp::Base::String pubTime,
                     Osp::Base::String description, Osp::Base::String imgUrl,
                     Osp::Base::String link, Osp::Base::String id);
    Osp::Base::String GetId() const { return id; }

    static Osp::Ui::Controls::CustomListItemFormat* __pItemFormat;
    static ElementBackground* background;
    static int instances;

    Osp::Base::String title;
    Osp::Base::String pubTime;
    Osp::Base::String description;
    Osp::Base::String imgUrl;
    Osp::Base::String link;
    Osp::Base::String id;

private:
    RowResources resources_{{__pItemFormat, background, instances}};
};
