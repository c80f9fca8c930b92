#include "tests/e2e/support/ProgramRun.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <string_view>

namespace pregonero::e2e {

namespace {

// Reads both pipes until they close or the deadline passes.
bool Drain(int out, int err, std::string& outText, std::string& errText,
           std::chrono::steady_clock::time_point deadline) {
    pollfd fds[2] = {{out, POLLIN, 0}, {err, POLLIN, 0}};
    int open = 2;
    char buffer[4096];
    while (open > 0) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            return false;
        }
        if (::poll(fds, 2, static_cast<int>(left.count())) < 0) {
            continue;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n <= 0) {
                fds[i].fd = -1;
                --open;
            } else {
                (i == 0 ? outText : errText).append(buffer, static_cast<std::size_t>(n));
            }
        }
    }
    return true;
}

} // namespace

ProgramRun ProgramRun::Start(const std::string& home, const std::string& feedServer,
                             const std::string& script, int timeoutSeconds,
                             const std::vector<std::string>& launcher,
                             const std::vector<std::string>& extraArgs) {
    ProgramRun run;
    const std::string scriptPath = home + "/script.txt";
    std::ofstream(scriptPath) << script;
    int out[2];
    int err[2];
    if (::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0) {
        return run;
    }
    // Everything the child needs is made before the fork: between fork and
    // exec only async-signal-safe calls are allowed, since another thread of
    // this process (the feed server's) may hold the allocator's lock.
    std::vector<std::string> args = launcher;
    args.insert(args.end(),
                {PREGONERO_BINARY, "--headless", "--home", home, "--script", scriptPath});
    if (!feedServer.empty()) {
        args.insert(args.end(), {"--feed-server", feedServer});
    }
    args.insert(args.end(), extraArgs.begin(), extraArgs.end());
    std::vector<char*> argv;
    for (auto& arg : args) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        if (std::string_view(*entry).rfind("PREGONERO_FEED_SERVER=", 0) != 0) {
            envp.push_back(*entry);
        }
    }
    envp.push_back(nullptr);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], 1);
        ::dup2(err[1], 2);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    std::string outText;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    const bool finished = Drain(out[0], err[0], outText, run.stdErr, deadline);
    ::close(out[0]);
    ::close(err[0]);
    if (!finished) {
        ::kill(pid, SIGKILL);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    if (finished && WIFEXITED(status)) {
        run.exitCode = WEXITSTATUS(status);
    }
    std::istringstream lines(outText);
    for (std::string line; std::getline(lines, line);) {
        if (!line.empty() && line.front() == '{') {
            run.dumps.push_back(line);
        }
    }
    return run;
}

} // namespace pregonero::e2e
