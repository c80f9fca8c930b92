#pragma once

#include "platform/driver/ScriptSource.h"
#include "platform/runtime/loop/EventLoop.h"

#include <chrono>
#include <memory>
#include <string>

namespace pregonero::platform {

// Runs a test script against the live application, one command whenever the
// loop is between tasks (also inside a message box's nested loop).
class ScriptDriver {
public:
    explicit ScriptDriver(std::unique_ptr<ScriptSource> source);

    // The loop's between-tasks hook; true when a command ran.
    bool Step(runtime::LoopMode mode, int& waitMs);
    bool Failed() const { return failed_; }

private:
    using Clock = std::chrono::steady_clock;
    enum class State { Ready, Sleeping, WaitingIdle };

    void Execute(const std::string& line);
    void Fail(const std::string& reason);
    void End();
    void Dump(const std::string& path);
    void Screenshot(const std::string& path);
    void SelectRow(const std::string& arg);
    void Choose(const std::string& text);
    void PressKey(int key);
    void PressNamedKey(const std::string& name);
    void SendEvent(const std::string& arg);
    void StartWait(const std::string& arg);
    void StartSleep(const std::string& arg);
    void Mark(const std::string& arg);

    std::unique_ptr<ScriptSource> source_;
    State state_ = State::Ready;
    Clock::time_point deadline_;
    double waitSeconds_ = 10;
    double idleAtMs_ = -1; // when the last `wait` saw idle, on ProcessClock

    int lineNumber_ = 0;
    bool failed_ = false;
    bool finished_ = false;
};

} // namespace pregonero::platform
