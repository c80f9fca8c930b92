#pragma once

#include <functional>

#include "platform/runtime/loop/EventLoop.h"

namespace pregonero::platform {

// A front end's hooks on the event loop (how a frame is shown, what runs
// between tasks), installed for this object's lifetime: they are removed when
// it goes, however the run ends.
class LoopHooks {
public:
    LoopHooks(runtime::EventLoop& loop, std::function<void()> render,
              runtime::EventLoop::BetweenTasksHook betweenTasks);
    ~LoopHooks();
    LoopHooks(const LoopHooks&) = delete;
    LoopHooks& operator=(const LoopHooks&) = delete;

private:
    runtime::EventLoop& loop_;
};

} // namespace pregonero::platform
