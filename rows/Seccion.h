#pragma once

#include "platform/base/String.h"
#include "platform/ui/CustomListItem.h"
#include "platform/ui/CustomListItemFormat.h"
#include "rows/ElementBackground.h"
#include "rows/RowResources.h"

// A thin grey header row carrying a section name.
class Seccion : public Osp::Ui::Controls::CustomListItem {
public:
    Seccion();
    ~Seccion() override;

    result Construct(Osp::Base::String name, int width);

    static Osp::Ui::Controls::CustomListItemFormat* __pItemFormat;
    static ElementBackground* background;
    static int instances;

    Osp::Base::String name;

private:
    RowResources resources_{{__pItemFormat, background, instances}};
};
