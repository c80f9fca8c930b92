#pragma once

#include "platform/ui/Frame.h"

#include <memory>

namespace Osp::App {

class AppFrame : public Osp::Base::Object {
public:
    AppFrame();
    ~AppFrame() override;
    Osp::Ui::Controls::Frame* GetFrame() const { return frame_.get(); }

private:
    std::unique_ptr<Osp::Ui::Controls::Frame> frame_;
};

} // namespace Osp::App
