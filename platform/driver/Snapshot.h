#pragma once

#include <string>

namespace Osp::Ui::Controls {
class Frame;
} // namespace Osp::Ui::Controls

namespace pregonero::platform {

// The JSON picture of what the screen shows: forms, the current form and its
// controls, its option menu and the open message box.
class Snapshot {
public:
    static std::string Build(const Osp::Ui::Controls::Frame& frame);
};

} // namespace pregonero::platform
