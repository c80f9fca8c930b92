#pragma once

#include "platform/base/IEventListener.h"

namespace Osp::Ui {

class Control;

class IActionEventListener : public virtual Osp::Base::Runtime::IEventListener {
public:
    ~IActionEventListener() override = default;
    virtual void OnActionPerformed(const Control& source, int actionId) = 0;
};

} // namespace Osp::Ui
