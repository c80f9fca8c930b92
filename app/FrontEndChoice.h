#pragma once

#include <functional>
#include <string>

// Whether the reader opens a window or runs headless.
enum class FrontEndRequest { Automatic, Headless };
enum class FrontEnd { Window, Headless, NoDisplay, DisplayUnusable };

// The display variables of the environment; empty means unset.
struct DisplayEnvironment {
    std::string x11;     // DISPLAY
    std::string wayland; // WAYLAND_DISPLAY

    static DisplayEnvironment FromProcess();
    bool Any() const { return !x11.empty() || !wayland.empty(); }
    // SDL's video drivers for the displays named, preferred first.
    std::string VideoDrivers() const;
};

class FrontEndChoice {
public:
    // `startVideo` opens the display and is only called when a window is
    // wanted and a display is named.
    static FrontEnd Choose(FrontEndRequest request, const DisplayEnvironment& environment,
                           const std::function<bool()>& startVideo);
    // The one line (without newline) that explains a choice that cannot run.
    static std::string Explain(FrontEnd choice, const DisplayEnvironment& environment,
                               const std::string& videoError);
};
