#include "platform/app/LoopHooks.h"

namespace pregonero::platform {

LoopHooks::LoopHooks(runtime::EventLoop& loop, std::function<void()> render,
                     runtime::EventLoop::BetweenTasksHook betweenTasks)
    : loop_(loop) {
    loop_.SetRenderHook(std::move(render));
    loop_.SetBetweenTasksHook(std::move(betweenTasks));
}

LoopHooks::~LoopHooks() {
    loop_.SetBetweenTasksHook(nullptr);
    loop_.SetRenderHook(nullptr);
}

} // namespace pregonero::platform
