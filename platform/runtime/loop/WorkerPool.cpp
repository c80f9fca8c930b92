#include "platform/runtime/loop/WorkerPool.h"

#include <algorithm>

namespace pregonero::runtime {

WorkerPool::WorkerPool(int threads) {
    const int count = std::max(1, threads);
    for (int i = 0; i < count; ++i) {
        threads_.emplace_back([this] { Run(); });
    }
}

WorkerPool::~WorkerPool() {
    std::deque<Job> dropped;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        dropped.swap(jobs_);
    }
    wake_.notify_all();
    for (auto& thread : threads_) {
        thread.join();
    }
    // `dropped` dies here, on the destroying thread, after the workers are gone.
}

void WorkerPool::Submit(Job job) {
    {
        std::lock_guard lock(mutex_);
        if (stopping_) {
            return;
        }
        jobs_.push_back(std::move(job));
    }
    wake_.notify_one();
}

void WorkerPool::Run() {
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return stopping_ || !jobs_.empty(); });
            if (stopping_) {
                return;
            }
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        job();
    }
}

} // namespace pregonero::runtime
