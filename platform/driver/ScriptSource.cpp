#include "platform/driver/ScriptSource.h"

#include <cerrno>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <unistd.h>

namespace pregonero::platform {

// The lines of a descriptor, which it owns unless it is standard input. Only
// kMaxLine bytes and one read's worth are ever held, whatever the input.
class ScriptSource::Lines {
public:
    explicit Lines(int fd) : fd_(fd) {}
    ~Lines() {
        if (fd_ > 0) {
            ::close(fd_);
        }
    }
    Lines(const Lines&) = delete;
    Lines& operator=(const Lines&) = delete;

    // Line, End, or Error with `line` saying why.
    Next Read(std::string& line) {
        for (;;) {
            const std::size_t newline = buffer_.find('\n', scanned_);
            if (newline != std::string::npos && newline <= kMaxLine) {
                line.assign(buffer_, 0, newline);
                buffer_.erase(0, newline + 1);
                scanned_ = 0;
                return Next::Line;
            }
            scanned_ = buffer_.size();
            if (buffer_.size() > kMaxLine) {
                line = "line longer than 1 MiB";
                return Next::Error;
            }
            if (ended_) {
                line = std::move(buffer_);
                buffer_.clear();
                return line.empty() ? Next::End : Next::Line;
            }
            char chunk[64 * 1024];
            const ssize_t got = ::read(fd_, chunk, sizeof chunk);
            if (got < 0 && errno == EINTR) {
                continue;
            }
            if (got < 0) {
                line = std::string("cannot read the script: ") + std::strerror(errno);
                return Next::Error;
            }
            ended_ = got == 0;
            buffer_.append(chunk, static_cast<std::size_t>(got));
        }
    }

private:
    int fd_;
    std::string buffer_;
    std::size_t scanned_ = 0; // bytes of buffer_ known to hold no newline
    bool ended_ = false;
};

ScriptSource::ScriptSource() : shared_(std::make_shared<Shared>()) {}
ScriptSource::~ScriptSource() = default;

std::unique_ptr<ScriptSource> ScriptSource::FromFile(const std::string& path, std::string* error) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *error = path + ": " + std::strerror(errno);
        return nullptr;
    }
    std::unique_ptr<ScriptSource> source(new ScriptSource());
    source->file_ = std::make_unique<Lines>(fd);
    return source;
}

std::unique_ptr<ScriptSource> ScriptSource::FromStdin() {
    std::unique_ptr<ScriptSource> source(new ScriptSource());
    if (::fcntl(0, F_GETFD) < 0) {
        std::lock_guard lock(source->shared_->mutex);
        source->shared_->error = "cannot read the script: standard input is closed";
        source->shared_->ended = true;
        return source;
    }
    // Detached: a reader blocked on a terminal must not hold up the exit.
    std::thread([shared = source->shared_] {
        Lines in(0);
        std::string line;
        Next next;
        while ((next = in.Read(line)) == Next::Line) {
            std::lock_guard lock(shared->mutex);
            shared->lines.push_back(std::move(line));
        }
        std::lock_guard lock(shared->mutex);
        shared->error = next == Next::Error ? line : std::string();
        shared->ended = true;
    }).detach();
    return source;
}

ScriptSource::Next ScriptSource::Take(std::string& line) {
    if (file_) {
        return file_->Read(line);
    }
    std::lock_guard lock(shared_->mutex);
    if (!shared_->lines.empty()) {
        line = std::move(shared_->lines.front());
        shared_->lines.pop_front();
        return Next::Line;
    }
    if (!shared_->ended) {
        return Next::NotYet;
    }
    line = shared_->error;
    return line.empty() ? Next::End : Next::Error;
}

} // namespace pregonero::platform
