#pragma once

#include <functional>

namespace pregonero::runtime {

using Task = std::function<void()>;

// Hands work to the event thread. Any thread may post; tasks run one after
// another on the event thread, in the order they were posted.
class TaskPoster {
public:
    virtual ~TaskPoster() = default;
    virtual void Post(Task task) = 0;
};

} // namespace pregonero::runtime
