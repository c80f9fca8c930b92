#pragma once

#include "platform/base/IEventListener.h"
#include "platform/ui/UiTypes.h"

namespace Osp::Ui {

class Control;

class ICustomItemEventListener : public virtual Osp::Base::Runtime::IEventListener {
public:
    ~ICustomItemEventListener() override = default;
    virtual void OnItemStateChanged(const Control& source, int index, int itemId,
                                    ItemStatus status) = 0;
    virtual void OnItemStateChanged(const Control& source, int index, int itemId, int elementId,
                                    ItemStatus status) = 0;
};

} // namespace Osp::Ui
