#pragma once

#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

namespace pregonero::platform {

// Lines of a script, from a file (read a line at a time as the driver asks)
// or from standard input (read by a thread of its own so the event loop never
// blocks on it). A line longer than kMaxLine, or input that cannot be read,
// ends the script with an error instead of a line.
class ScriptSource {
public:
    enum class Next { Line, NotYet, End, Error };
    static constexpr std::size_t kMaxLine = 1u << 20;

    static std::unique_ptr<ScriptSource> FromFile(const std::string& path, std::string* error);
    // Call before anything else opens a descriptor: a closed standard input
    // must not be mistaken for whatever takes descriptor 0 next.
    static std::unique_ptr<ScriptSource> FromStdin();

    ~ScriptSource();
    ScriptSource(const ScriptSource&) = delete;
    ScriptSource& operator=(const ScriptSource&) = delete;

    // Takes the next line when there is one; on Error, `line` says why.
    Next Take(std::string& line);

private:
    struct Shared {
        std::mutex mutex;
        std::deque<std::string> lines;
        bool ended = false;
        std::string error; // why reading stopped early; empty at a plain end
    };
    class Lines;
    ScriptSource();
    std::shared_ptr<Shared> shared_;
    std::unique_ptr<Lines> file_; // read on demand; null for standard input
};

} // namespace pregonero::platform
