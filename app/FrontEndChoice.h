#pragma once

#include <functional>
#include <string>

// Whether the reader opens a window, draws in the terminal or runs headless.
enum class FrontEndRequest { Automatic, Headless, Terminal };
enum class FrontEnd { Window, Headless, Terminal, NoDisplay, DisplayUnusable };
// Whether standard input and output are both an interactive terminal.
enum class TerminalPresence { Absent, Interactive };

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
    // wanted and a display is named. Without a display, an interactive
    // terminal is the next best thing.
    static FrontEnd Choose(FrontEndRequest request, const DisplayEnvironment& environment,
                           const std::function<bool()>& startVideo,
                           TerminalPresence terminal = TerminalPresence::Absent);
    static TerminalPresence TerminalOfProcess();
    // The one line (without newline) that explains a choice that cannot run.
    static std::string Explain(FrontEnd choice, const DisplayEnvironment& environment,
                               const std::string& videoError);
};
