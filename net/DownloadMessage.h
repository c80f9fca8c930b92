#pragma once

#include "platform/base/String.h"

// The modal box a screen shows when its download cannot start: titled
// "TestHttpGet", one OK button, no time-out; returns once it is closed.
void ShowDownloadMessage(const Osp::Base::String& text);
