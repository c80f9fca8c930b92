#include "app/FrontEndChoice.h"

#include <gtest/gtest.h>

// What the reader says when it cannot open a window is checked end to end.
namespace {

TEST(FrontEndChoiceTest, FlagsDisplayVariablesTerminalAndProbeDecide) {
    bool works = true;
    int probes = 0;
    const auto probe = [&] {
        ++probes;
        return works;
    };
    const auto tty = TerminalPresence::Interactive;
    const auto Choose = FrontEndChoice::Choose;
    // A flag wins without touching the display, whatever the environment.
    EXPECT_EQ(Choose(FrontEndRequest::Headless, {":0", "wayland-0"}, probe, tty),
              FrontEnd::Headless);
    EXPECT_EQ(Choose(FrontEndRequest::Terminal, {":0", ""}, probe, tty), FrontEnd::Terminal);
    EXPECT_EQ(Choose(FrontEndRequest::Terminal, {}, probe, TerminalPresence::Absent),
              FrontEnd::Terminal);
    // No display: the terminal if there is one, else a refusal; SDL is never started.
    EXPECT_EQ(Choose(FrontEndRequest::Automatic, {}, probe, tty), FrontEnd::Terminal);
    EXPECT_EQ(Choose(FrontEndRequest::Automatic, {}, probe, TerminalPresence::Absent),
              FrontEnd::NoDisplay);
    EXPECT_EQ(probes, 0);
    // Either variable is enough to try a window, even from a terminal; the probe decides.
    EXPECT_EQ(Choose(FrontEndRequest::Automatic, {":0", ""}, probe, tty), FrontEnd::Window);
    EXPECT_EQ(Choose(FrontEndRequest::Automatic, {"", "wayland-0"}, probe, tty), FrontEnd::Window);
    works = false;
    EXPECT_EQ(Choose(FrontEndRequest::Automatic, {":7", ""}, probe, tty),
              FrontEnd::DisplayUnusable);
    EXPECT_EQ(probes, 3);

    EXPECT_EQ((DisplayEnvironment{":0", ""}).VideoDrivers(), "x11");
    EXPECT_EQ((DisplayEnvironment{"", "wayland-0"}).VideoDrivers(), "wayland");
    EXPECT_EQ((DisplayEnvironment{":0", "wayland-0"}).VideoDrivers(), "wayland,x11");
}

} // namespace
