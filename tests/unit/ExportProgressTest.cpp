#include "feedserver/bridge/ExportProgress.h"

#include <cstdio>
#include <cstdlib>
#include <string>

#include <gtest/gtest.h>

using pregonero::feeds::ExportProgress;

namespace {

// Everything an export run prints, as a terminal and as a pipe would get it.
std::string Printed(bool terminal) {
    char* buffer = nullptr;
    std::size_t size = 0;
    std::FILE* out = open_memstream(&buffer, &size);
    {
        ExportProgress progress(out, terminal);
        progress.Stage("sources", 2);
        progress.Step();
        progress.Line("Mundo (http://a.example.com/m.xml): HTTP 200, 3 items");
        progress.Step();
        progress.Stage("pictures", 1000);
        for (int i = 0; i < 1000; ++i) {
            progress.Step();
        }
        progress.Clear();
        progress.Line("exported 20 feeds");
    }
    std::fclose(out);
    std::string text(buffer, size);
    std::free(buffer);
    return text;
}

TEST(ExportProgressTest, ABarOnlyOnATerminalRedrawnInPlaceAndGoneAfterTheSummary) {
    EXPECT_EQ(Printed(false), "Mundo (http://a.example.com/m.xml): HTTP 200, 3 items\n"
                              "exported 20 feeds\n");

    const std::string shown = Printed(true);
    EXPECT_EQ(shown.find('\x1b'), std::string::npos) << "no escape codes, even on a terminal";
    EXPECT_NE(shown.find("\r[###############...............] sources 1/2"), std::string::npos)
        << shown;
    // A line starts on a cleared line, never after the bar's text.
    const auto line = shown.find("\rMundo");
    ASSERT_NE(line, std::string::npos) << shown;
    const auto erased = shown.rfind('\r', line - 1);
    EXPECT_EQ(shown.substr(erased + 1, line - erased - 1).find_first_not_of(' '),
              std::string::npos);
    EXPECT_GT(line - erased, 40u) << "the whole bar overwritten";
    EXPECT_NE(shown.find("] pictures 1000/1000"), std::string::npos);
    // A thousand steps redraw the bar once a percent, not once a step.
    std::size_t redraws = 0;
    for (auto at = shown.find("] pictures"); at != std::string::npos;
         at = shown.find("] pictures", at + 1)) {
        ++redraws;
    }
    EXPECT_LE(redraws, 101u);
    // The summary is the last thing printed: no bar drawn again below it.
    EXPECT_TRUE(shown.ends_with("exported 20 feeds\n")) << shown;
}

} // namespace
