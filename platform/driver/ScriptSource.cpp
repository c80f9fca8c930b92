#include "platform/driver/ScriptSource.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

namespace pregonero::platform {

ScriptSource::ScriptSource() : shared_(std::make_shared<Shared>()) {}

std::unique_ptr<ScriptSource> ScriptSource::FromText(const std::string& text) {
    std::unique_ptr<ScriptSource> source(new ScriptSource());
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        source->shared_->lines.push_back(line);
    }
    source->shared_->ended = true;
    return source;
}

std::unique_ptr<ScriptSource> ScriptSource::FromFile(const std::string& path, std::string* error) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *error = path + ": " + std::strerror(errno);
        return nullptr;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return FromText(text.str());
}

std::unique_ptr<ScriptSource> ScriptSource::FromStdin() {
    std::unique_ptr<ScriptSource> source(new ScriptSource());
    // Detached: a reader blocked on a terminal must not hold up the exit.
    std::thread([shared = source->shared_] {
        std::string line;
        while (std::getline(std::cin, line)) {
            std::lock_guard lock(shared->mutex);
            shared->lines.push_back(line);
        }
        std::lock_guard lock(shared->mutex);
        shared->ended = true;
    }).detach();
    return source;
}

ScriptSource::Next ScriptSource::Take(std::string& line) {
    std::lock_guard lock(shared_->mutex);
    if (!shared_->lines.empty()) {
        line = std::move(shared_->lines.front());
        shared_->lines.pop_front();
        return Next::Line;
    }
    return shared_->ended ? Next::End : Next::NotYet;
}

} // namespace pregonero::platform
