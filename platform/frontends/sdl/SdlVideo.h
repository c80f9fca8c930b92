#pragma once

#include <memory>
#include <string>

namespace pregonero::platform {

// SDL's video subsystem, started once for the process and shut down with
// this object. SDL's own logging stays quiet unless PREGONERO_TRACE=1: a
// reader without a display says so in one line, not in a stack of errors.
class SdlVideo {
public:
    // Null with `error` set when no display can be opened. `drivers` are
    // SDL's video drivers to try, in order ("x11", "wayland,x11"); the
    // SDL_VIDEODRIVER variable, when set, still wins.
    static std::unique_ptr<SdlVideo> Start(const std::string& drivers, std::string* error);
    ~SdlVideo();
    SdlVideo(const SdlVideo&) = delete;
    SdlVideo& operator=(const SdlVideo&) = delete;

private:
    SdlVideo() = default;
};

} // namespace pregonero::platform
