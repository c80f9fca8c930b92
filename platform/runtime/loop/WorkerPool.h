#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace pregonero::runtime {

// A fixed set of threads taking jobs from one queue in order. Destruction
// drops the jobs not yet started, waits for the running ones and joins.
class WorkerPool {
public:
    using Job = std::function<void()>;

    explicit WorkerPool(int threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    void Submit(Job job);

private:
    void Run();

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Job> jobs_;
    bool stopping_ = false;
    std::vector<std::thread> threads_; // last: started once the queue exists
};

} // namespace pregonero::runtime
