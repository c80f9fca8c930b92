#include "platform/app/AppFrame.h"

namespace Osp::App {

AppFrame::AppFrame() : frame_(std::make_unique<Osp::Ui::Controls::Frame>()) {}
AppFrame::~AppFrame() = default;

} // namespace Osp::App
