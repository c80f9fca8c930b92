#pragma once

#include "platform/runtime/loop/TaskPoster.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace pregonero::runtime {

// What a loop turn may run. A modal loop (a message box waiting for its
// button) runs only input; everything else waits in the queue until it ends.
enum class LoopMode { All, InputOnly };

enum class TaskKind { Normal, Input };

// The one event thread of the application. Other threads only post.
class EventLoop final : public TaskPoster {
public:
    // Called between tasks (the script driver, a window's event pump). Returns
    // true when it did something; `waitMs` may be lowered to ask for an early
    // wake-up (a driver sleeping until a deadline).
    using BetweenTasksHook = std::function<bool(LoopMode mode, int& waitMs)>;

    void Post(Task task) override { Post(std::move(task), TaskKind::Normal); }
    void Post(Task task, TaskKind kind);

    // Runs turns until `done` holds or Quit was called.
    void RunUntil(const std::function<bool()>& done, LoopMode mode);

    // Ends every running RunUntil, nested ones included.
    void Quit();
    // Lets a later run start after a Quit (one process may run the
    // application more than once, as the tests do).
    void ResetQuit() { quit_.store(false); }
    // Drops every queued task; used once the application has ended.
    void DiscardPending();
    void Wake();

    // Redraws are coalesced: the frame is rendered once the queue is drained.
    void RequestRedraw() { dirty_.store(true); }
    bool RedrawPending() const { return dirty_.load(); }
    void SetRenderHook(std::function<void()> render) { render_ = std::move(render); }
    void RenderNow();

    void SetBetweenTasksHook(BetweenTasksHook hook) { hook_ = std::move(hook); }

    bool HasRunnable(LoopMode mode) const;

private:
    struct Entry {
        Task task;
        TaskKind kind;
    };
    bool TakeRunnable(LoopMode mode, Task& out);
    void WaitForWork(int waitMs);

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Entry> queue_;
    bool woken_ = false;
    std::atomic<bool> quit_{false};
    std::atomic<bool> dirty_{false};
    std::function<void()> render_;
    BetweenTasksHook hook_;
};

} // namespace pregonero::runtime
