#include "platform/runtime/loop/EventLoop.h"

namespace pregonero::runtime {

namespace {
// Long enough to idle cheaply, short enough to notice a signal-driven quit.
constexpr int kIdleWaitMs = 50;
} // namespace

void EventLoop::Post(Task task, TaskKind kind) {
    {
        std::lock_guard lock(mutex_);
        queue_.push_back(Entry{std::move(task), kind});
        woken_ = true;
    }
    wake_.notify_one();
}

void EventLoop::Quit() {
    quit_.store(true);
    Wake();
}

void EventLoop::DiscardPending() {
    std::deque<Entry> dropped;
    {
        std::lock_guard lock(mutex_);
        dropped.swap(queue_);
    }
    // Destroyed outside the lock: a task's captures may post again.
}

void EventLoop::Wake() {
    {
        std::lock_guard lock(mutex_);
        woken_ = true;
    }
    wake_.notify_one();
}

bool EventLoop::HasRunnable(LoopMode mode) const {
    std::lock_guard lock(mutex_);
    if (mode == LoopMode::All) {
        return !queue_.empty();
    }
    for (const auto& entry : queue_) {
        if (entry.kind == TaskKind::Input) {
            return true;
        }
    }
    return false;
}

bool EventLoop::TakeRunnable(LoopMode mode, Task& out) {
    std::lock_guard lock(mutex_);
    for (auto it = queue_.begin(); it != queue_.end(); ++it) {
        if (mode == LoopMode::All || it->kind == TaskKind::Input) {
            out = std::move(it->task);
            queue_.erase(it);
            return true;
        }
    }
    return false;
}

void EventLoop::WaitForWork(int waitMs) {
    std::unique_lock lock(mutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(waitMs), [this] { return woken_; });
    woken_ = false;
}

void EventLoop::RenderNow() {
    dirty_.store(false);
    if (render_) {
        render_();
    }
}

void EventLoop::RunUntil(const std::function<bool()>& done, LoopMode mode) {
    while (!quit_.load() && !done()) {
        Task task;
        bool ran = TakeRunnable(mode, task);
        if (ran) {
            task();
            task = nullptr;
        } else if (dirty_.load()) {
            RenderNow();
        }
        int waitMs = kIdleWaitMs;
        bool hookDid = hook_ && hook_(mode, waitMs);
        if (ran || hookDid || quit_.load() || done()) {
            continue;
        }
        if (!HasRunnable(mode)) {
            WaitForWork(waitMs);
        }
    }
}

} // namespace pregonero::runtime
