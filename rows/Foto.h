#pragma once

#include "platform/base/String.h"
#include "platform/ui/CustomListItem.h"
#include "platform/ui/CustomListItemFormat.h"
#include "rows/ElementBackground.h"
#include "rows/RowResources.h"

// One gallery photo: its title, the picture as a large square and the
// caption under it.
class Foto : public Osp::Ui::Controls::CustomListItem {
public:
    Foto();
    ~Foto() override;

    result Construct(Osp::Base::String title, Osp::Base::String imgUrl, Osp::Base::String imgDes,
                     Osp::Base::String id, int width, int imgDesLength);
    Osp::Base::String GetId() const { return id; }

    static Osp::Ui::Controls::CustomListItemFormat* __pItemFormat;
    static ElementBackground* background;
    static int instances;

    Osp::Base::String title;
    Osp::Base::String imgUrl;
    Osp::Base::String imgDes;
    Osp::Base::String id;

private:
    RowResources resources_{{__pItemFormat, background, instances}};
};
