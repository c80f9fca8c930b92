#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>

namespace pregonero::platform {

// Lines of a script, from a file (read whole at once) or from standard input
// (read by a thread of its own so the event loop never blocks on it).
class ScriptSource {
public:
    enum class Next { Line, NotYet, End };

    static std::unique_ptr<ScriptSource> FromFile(const std::string& path, std::string* error);
    static std::unique_ptr<ScriptSource> FromStdin();
    static std::unique_ptr<ScriptSource> FromText(const std::string& text);

    // Takes the next line when there is one.
    Next Take(std::string& line);

private:
    struct Shared {
        std::mutex mutex;
        std::deque<std::string> lines;
        bool ended = false;
    };
    ScriptSource();
    std::shared_ptr<Shared> shared_;
};

} // namespace pregonero::platform
