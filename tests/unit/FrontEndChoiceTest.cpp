#include "app/FrontEndChoice.h"

#include <gtest/gtest.h>

namespace {

// A display probe that counts how often it was asked.
struct Probe {
    bool works = true;
    int calls = 0;
    std::function<bool()> Fn() {
        return [this] {
            ++calls;
            return works;
        };
    }
};

} // namespace

TEST(FrontEndChoiceTest, HeadlessFlagDisplayVariablesAndProbeDecide) {
    Probe probe;
    // --headless wins without touching the display, whatever the environment.
    EXPECT_EQ(FrontEndChoice::Choose(FrontEndRequest::Headless, {":0", "wayland-0"}, probe.Fn()),
              FrontEnd::Headless);
    EXPECT_EQ(FrontEndChoice::Choose(FrontEndRequest::Headless, {}, probe.Fn()),
              FrontEnd::Headless);
    EXPECT_EQ(probe.calls, 0);

    // No display variable: no window, and SDL is never started.
    EXPECT_EQ(FrontEndChoice::Choose(FrontEndRequest::Automatic, {}, probe.Fn()),
              FrontEnd::NoDisplay);
    EXPECT_EQ(probe.calls, 0);

    // Either variable is enough to try; the probe has the last word.
    EXPECT_EQ(FrontEndChoice::Choose(FrontEndRequest::Automatic, {":0", ""}, probe.Fn()),
              FrontEnd::Window);
    EXPECT_EQ(FrontEndChoice::Choose(FrontEndRequest::Automatic, {"", "wayland-0"}, probe.Fn()),
              FrontEnd::Window);
    probe.works = false;
    EXPECT_EQ(FrontEndChoice::Choose(FrontEndRequest::Automatic, {":7", ""}, probe.Fn()),
              FrontEnd::DisplayUnusable);
    EXPECT_EQ(probe.calls, 3);
}

TEST(FrontEndChoiceTest, ExplanationsAreOneLineAndPointAtHeadless) {
    std::string none = FrontEndChoice::Explain(FrontEnd::NoDisplay, {}, "");
    EXPECT_EQ(none.rfind("pregonero: no display found", 0), 0u) << none;
    EXPECT_NE(none.find("DISPLAY and WAYLAND_DISPLAY are unset"), std::string::npos);
    EXPECT_NE(none.find("--headless"), std::string::npos);
    EXPECT_EQ(none.find('\n'), std::string::npos);

    // SDL's reason is kept but never breaks the line.
    std::string broken = FrontEndChoice::Explain(FrontEnd::DisplayUnusable, {":7", ""},
                                                 "No available\nvideo device");
    EXPECT_NE(broken.find("DISPLAY=:7"), std::string::npos) << broken;
    EXPECT_NE(broken.find("No available video device"), std::string::npos) << broken;
    EXPECT_EQ(broken.find('\n'), std::string::npos);
    EXPECT_NE(FrontEndChoice::Explain(FrontEnd::DisplayUnusable, {"", "wayland-1"}, "")
                  .find("WAYLAND_DISPLAY=wayland-1"),
              std::string::npos);

    EXPECT_EQ(FrontEndChoice::Explain(FrontEnd::Window, {":0", ""}, ""), "");
}

TEST(FrontEndChoiceTest, VideoDriversFollowTheNamedDisplays) {
    EXPECT_EQ((DisplayEnvironment{":0", ""}).VideoDrivers(), "x11");
    EXPECT_EQ((DisplayEnvironment{"", "wayland-0"}).VideoDrivers(), "wayland");
    EXPECT_EQ((DisplayEnvironment{":0", "wayland-0"}).VideoDrivers(), "wayland,x11");
    EXPECT_EQ((DisplayEnvironment{}).VideoDrivers(), "");
    EXPECT_FALSE((DisplayEnvironment{}).Any());
}

TEST(FrontEndChoiceTest, TerminalWhenAskedOrWhenNoDisplayButATerminal) {
    Probe probe;
    const auto tty = TerminalPresence::Interactive;
    EXPECT_EQ(FrontEndChoice::Choose(FrontEndRequest::Terminal, {":0", ""}, probe.Fn(), tty),
              FrontEnd::Terminal);
    EXPECT_EQ(FrontEndChoice::Choose(FrontEndRequest::Terminal, {}, probe.Fn()),
              FrontEnd::Terminal);
    EXPECT_EQ(FrontEndChoice::Choose(FrontEndRequest::Automatic, {}, probe.Fn(), tty),
              FrontEnd::Terminal);
    EXPECT_EQ(FrontEndChoice::Choose(FrontEndRequest::Headless, {}, probe.Fn(), tty),
              FrontEnd::Headless);
    EXPECT_EQ(probe.calls, 0);
    // A display still means a window; output to a pipe still means the one-line refusal.
    EXPECT_EQ(FrontEndChoice::Choose(FrontEndRequest::Automatic, {":0", ""}, probe.Fn(), tty),
              FrontEnd::Window);
    EXPECT_EQ(FrontEndChoice::Choose(FrontEndRequest::Automatic, {}, probe.Fn(),
                                     TerminalPresence::Absent),
              FrontEnd::NoDisplay);
    EXPECT_NE(FrontEndChoice::Explain(FrontEnd::NoDisplay, {}, "").find("--terminal"),
              std::string::npos);
}
