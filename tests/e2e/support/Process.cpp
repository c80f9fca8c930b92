#include "tests/e2e/support/Process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/e2e/support/WaitUntil.h"

namespace pregonero::e2e {

namespace {

std::string ReadAll(int fd) {
    std::string text;
    char buffer[65536];
    for (off_t at = 0;;) {
        const ssize_t n = ::pread(fd, buffer, sizeof buffer, at);
        if (n <= 0) {
            return text;
        }
        text.append(buffer, static_cast<std::size_t>(n));
        at += n;
    }
}

} // namespace

Process::Process(const std::vector<std::string>& argv, const std::vector<std::string>& env) {
    // A child that stops reading must not kill the test with SIGPIPE.
    ::signal(SIGPIPE, SIG_IGN);
    // Everything the child needs is made before the fork: between fork and
    // exec only async-signal-safe calls are allowed, since another thread of
    // this process (the feed server's) may hold the allocator's lock. env(1)
    // drops the test's display and feed server, fixes the indicator's clock
    // (captures stay the same at any hour) and sets `env`.
    std::vector<std::string> command = {"/usr/bin/env",
                                        "-u",
                                        "DISPLAY",
                                        "-u",
                                        "WAYLAND_DISPLAY",
                                        "-u",
                                        "PREGONERO_FEED_SERVER",
                                        "PREGONERO_CLOCK=12:00"};
    command.insert(command.end(), env.begin(), env.end());
    command.insert(command.end(), argv.begin(), argv.end());
    std::vector<char*> args;
    for (std::string& arg : command) {
        args.push_back(arg.data());
    }
    args.push_back(nullptr);
    int input[2];
    if (::pipe2(input, O_CLOEXEC) != 0) {
        return;
    }
    out_ = ::memfd_create("stdout", MFD_CLOEXEC);
    err_ = ::memfd_create("stderr", MFD_CLOEXEC);
    pid_ = ::fork();
    if (pid_ == 0) {
        ::dup2(input[0], 0);
        ::dup2(out_, 1);
        ::dup2(err_, 2);
        ::execv(args[0], args.data());
        ::_exit(127);
    }
    ::close(input[0]);
    input_ = input[1];
}

Process::~Process() {
    if (pid_ > 0 && status_ < 0) {
        ::kill(pid_, SIGKILL);
        ::waitpid(pid_, nullptr, 0);
    }
    for (int fd : {input_, out_, err_}) {
        if (fd >= 0) {
            ::close(fd);
        }
    }
}

bool Process::Send(const std::string& text) {
    for (std::size_t sent = 0; sent < text.size();) {
        const ssize_t n = ::write(input_, text.data() + sent, text.size() - sent);
        if (n <= 0) {
            return false;
        }
        sent += static_cast<std::size_t>(n);
    }
    return true;
}

void Process::CloseInput() {
    if (input_ >= 0) {
        ::close(input_);
        input_ = -1;
    }
}

int Process::Wait(double seconds) {
    WaitUntil(
        [&] {
            int status = 0;
            if (status_ < 0 && pid_ > 0 && ::waitpid(pid_, &status, WNOHANG) == pid_) {
                status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            return status_ >= 0;
        },
        seconds);
    return status_;
}

void Process::Signal(int signal) {
    if (pid_ > 0 && status_ < 0) {
        ::kill(pid_, signal);
    }
}

std::string Process::Out() const {
    return ReadAll(out_);
}

std::string Process::Err() const {
    return ReadAll(err_);
}

} // namespace pregonero::e2e
