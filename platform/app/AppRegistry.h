#pragma once

#include "platform/base/Object.h"

namespace Osp::App {

// Settings kept between runs. The reader keeps none, so this holds nothing.
class AppRegistry : public Osp::Base::Object {};

} // namespace Osp::App
