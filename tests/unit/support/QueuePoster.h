#pragma once

#include "platform/runtime/loop/TaskPoster.h"

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>

namespace testing_support {

// Stands in for the event thread of the runtime's services: the test thread
// drains the queue itself, with a bounded wait.
class QueuePoster : public pregonero::runtime::TaskPoster {
public:
    void Post(pregonero::runtime::Task task) override {
        const std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(task));
        ready_.notify_all();
    }
    std::size_t Queued() {
        const std::lock_guard lock(mutex_);
        return tasks_.size();
    }
    bool WaitForTask(std::chrono::milliseconds timeout) {
        std::unique_lock lock(mutex_);
        return ready_.wait_for(lock, timeout, [this] { return !tasks_.empty(); });
    }
    // Runs queued tasks until done() holds; false when the deadline passed first.
    bool RunUntil(const std::function<bool()>& done,
                  std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) {
                return false;
            }
            if (WaitForTask(std::chrono::milliseconds(10))) {
                RunOne();
            }
        }
        return true;
    }
    // Runs what is queued, and what those tasks queue in turn.
    bool Drain() {
        return RunUntil([this] { return Queued() == 0; });
    }

private:
    void RunOne() {
        pregonero::runtime::Task task;
        {
            const std::lock_guard lock(mutex_);
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<pregonero::runtime::Task> tasks_;
};

} // namespace testing_support
