#include "app/FrontEndChoice.h"

#include <cstdlib>

#include <unistd.h>

namespace {

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

} // namespace

DisplayEnvironment DisplayEnvironment::FromProcess() {
    return DisplayEnvironment{Variable("DISPLAY"), Variable("WAYLAND_DISPLAY")};
}

std::string DisplayEnvironment::VideoDrivers() const {
    if (wayland.empty()) {
        return x11.empty() ? "" : "x11";
    }
    return x11.empty() ? "wayland" : "wayland,x11";
}

TerminalPresence FrontEndChoice::TerminalOfProcess() {
    return isatty(STDIN_FILENO) == 1 && isatty(STDOUT_FILENO) == 1 ? TerminalPresence::Interactive
                                                                   : TerminalPresence::Absent;
}

FrontEnd FrontEndChoice::Choose(FrontEndRequest request, const DisplayEnvironment& environment,
                                const std::function<bool()>& startVideo,
                                TerminalPresence terminal) {
    if (request == FrontEndRequest::Headless) {
        return FrontEnd::Headless;
    }
    if (request == FrontEndRequest::Terminal) {
        return FrontEnd::Terminal;
    }
    if (!environment.Any()) {
        return terminal == TerminalPresence::Interactive ? FrontEnd::Terminal : FrontEnd::NoDisplay;
    }
    return startVideo() ? FrontEnd::Window : FrontEnd::DisplayUnusable;
}

std::string FrontEndChoice::Explain(FrontEnd choice, const DisplayEnvironment& environment,
                                    const std::string& videoError) {
    const std::string hint =
        "; run with --terminal or --headless to use the reader without a window";
    switch (choice) {
    case FrontEnd::NoDisplay:
        return "pregonero: no display found (DISPLAY and WAYLAND_DISPLAY are unset)" + hint;
    case FrontEnd::DisplayUnusable: {
        std::string named = !environment.x11.empty() ? "DISPLAY=" + environment.x11
                                                     : "WAYLAND_DISPLAY=" + environment.wayland;
        std::string reason = videoError.empty() ? "" : ": " + videoError;
        // Kept to one line whatever the video driver said.
        for (char& c : reason) {
            if (c == '\n' || c == '\r') {
                c = ' ';
            }
        }
        return "pregonero: cannot open the display " + named + reason + hint;
    }
    default:
        return {};
    }
}
