#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace pregonero::e2e {

// A child process started at construction and killed, if still running, at
// destruction. Its standard output and error are kept in memory files, its
// standard input is a pipe the test writes to. It inherits the test's
// environment without the display and the feed server, with the clock at
// 12:00, so only `env` ("NAME=value") sets them.
class Process {
public:
    Process(const std::vector<std::string>& argv, const std::vector<std::string>& env = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // Writes to the child's standard input; false once the child stopped reading.
    bool Send(const std::string& text);
    void CloseInput();
    // The exit status (128 + signal when killed by one), or -1 while it runs
    // on after `seconds`.
    int Wait(double seconds);
    void Signal(int signal);
    std::string Out() const;
    std::string Err() const;

private:
    pid_t pid_ = -1;
    int input_ = -1;
    int out_ = -1;
    int err_ = -1;
    int status_ = -1;
};

} // namespace pregonero::e2e
