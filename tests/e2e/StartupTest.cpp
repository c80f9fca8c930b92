// The reader's start-up and navigation core as a user meets it: the command
// line, the first screen, user events, screenshots and script errors.
#include <algorithm>
#include <filesystem>
#include <csignal>
#include <cstdio>
#include <ctime>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/support/FeedFixture.h"
#include "tests/e2e/support/ProgramRun.h"
#include "tests/e2e/support/Process.h"
#include "tests/e2e/support/WaitUntil.h"
#include "tests/support/ReadAll.h"

namespace pregonero::e2e {
namespace {

class StartupTest : public ::testing::Test {
protected:
    ProgramRun Script(const std::string& script, const RunOptions& options = {}) {
        return ProgramRun::Start(fx_.Home(), kDeadServer, script, options);
    }
    FeedFixture fx_{"startup"};
};

TEST_F(StartupTest, EventsBuildTheScreenTheyNameAndNothingElse) {
    const std::string shot = fx_.Root() / "shot.png";
    const ProgramRun run =
        Script("dump\nevent 105\ndump\nevent 99\nevent 122\nevent -1\nwait\n"
               "dump\nevent 108\nevent 121\nwait\ndump\nok\nwait\ndump\nscreenshot " +
               shot + "\n");
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 5u);
    using Forms = std::vector<std::string>;
    EXPECT_EQ(run.dumps[0].Forms(), (Forms{"FormMgr", "IDF_FORM_PORTADA"}));
    EXPECT_EQ(run.dumps[1].Forms(), (Forms{"FormMgr", "IDF_FORM_SECCION"}));
    EXPECT_EQ(run.dumps[1].Label("LabelSeccion"), "ESTADO DE MEXICO");
    // Ids outside the catalogue changed nothing.
    EXPECT_EQ(run.dumps[2].Forms(), (Forms{"FormMgr", "IDF_FORM_SECCION"}));
    // No link was chosen, so the article cannot start: its box is up while the
    // article is being added, before it becomes current.
    EXPECT_EQ(run.dumps[3].BoxTitle(), "TestHttpGet");
    EXPECT_EQ(run.dumps[3].BoxText(),
              "Lo sentimos, pero esta nota no se encuentra disponible po rel momento");
    EXPECT_EQ(run.dumps[4].Forms(), (Forms{"FormMgr", "IDF_FORM_NOTA"}));
    EXPECT_EQ(run.dumps[4].Json()["form"]["title"], "Pregonero raviv");
    EXPECT_EQ(run.dumps[4].Back(), "on");
    EXPECT_EQ(run.dumps[4].BoxText(), std::nullopt);
    EXPECT_EQ(run.dumps[4].Label("LabelCargando"), "Error");
    // The screenshot is the whole screen, as a PNG: its header says 480 × 800.
    EXPECT_EQ(testing_support::ReadAll(shot).substr(0, 24),
              std::string("\x89PNG\r\n\x1a\n\0\0\0\x0dIHDR\0\0\x01\xe0\0\0\x03\x20", 24));
}

TEST_F(StartupTest, OfflineStartShowsItsBoxToTheScriptAndCarriesOn) {
    // The first screen's box opens while the application is still starting:
    // the script must already be able to see it and close it.
    const ProgramRun run = Script("wait\ndump\nok\nwait\ndump\noption\ndump\n",
                                  {.timeoutSeconds = 60, .launcher = {}, .args = {"--offline"}});
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 3u);
    EXPECT_EQ(run.dumps[0].BoxTitle(), "TestHttpGet");
    EXPECT_EQ(run.dumps[0].BoxText(), "Network is unavailable");
    EXPECT_EQ(run.dumps[1].BoxText(), std::nullopt);
    EXPECT_EQ(run.dumps[1].Label("LabelCargando"), "Error");
    EXPECT_EQ(run.dumps[2].Menu(), "shown");
}

// Each ends before writing or serving anything.
TEST_F(StartupTest, BadCommandLinesAndNoDisplayEndWithOneLineAndStatusTwo) {
    const std::string home = fx_.Home();
    // The X and GL driver stack tried for a window keeps memory of its own.
    const std::vector<std::string> named = {"DISPLAY=:159", "LSAN_OPTIONS=detect_leaks=0"};
    // Which feed server addresses are refused, and why, is the command line's own test.
    const std::tuple<std::vector<std::string>, std::string, std::vector<std::string>> cases[] = {
        {{"--headless", "--frobnicate"}, "unknown option", {}},
        {{"--headless", "--feed-server", "ftp://127.0.0.1/x", "--home", home}, "--feed-server", {}},
        {{"--headless", "--feed-server"}, "needs a value", {}},
        // A kept edition that is not there, not a folder, or not an edition.
        {{"--headless", "--edition", fx_.Root() / "nada", "--home", home}, "no such folder", {}},
        {{"--headless", "--edition", fx_.Root() / "feeds", "--home", home}, "holds no edition", {}},
        {{"--headless", "--edition", fx_.Root() / "feeds", "--feed-server", kDeadServer},
         "cannot be used together",
         {}},
        {{"--headless", "--feed-server", kDeadServer, "--home", "/proc/pregonero"}, "home", {}},
        {{"--headless", "--feed-server", kDeadServer, "--home", home, "--script",
          (fx_.Root() / "missing.txt").string()},
         "script",
         {}},
        // Neither a display nor a terminal; a named display that is not there.
        {{"--home", home},
         "no display found (DISPLAY and WAYLAND_DISPLAY are unset); run with --terminal or "
         "--headless",
         {}},
        {{"--home", home}, "cannot open the display DISPLAY=:159", named},
    };
    for (const auto& [args, says, env] : cases) {
        const ProgramRun run = ProgramRun::Command(args, env);
        EXPECT_EQ(run.exitCode, 2) << args.back();
        EXPECT_NE(run.stdErr.find(says), std::string::npos) << run.stdErr;
        EXPECT_EQ(std::count(run.stdErr.begin(), run.stdErr.end(), '\n'), 1) << run.stdErr;
    }
    EXPECT_FALSE(std::filesystem::exists("/proc/pregonero"));
    EXPECT_FALSE(fx_.HomeHas("sample"));
    EXPECT_EQ(ProgramRun::Command({"--help"}).exitCode, 0);
    EXPECT_EQ(ProgramRun::Command({"--version"}).exitCode, 0);
}

TEST_F(StartupTest, ScriptErrorsNameTheLineAndEndWithStatusTwo) {
    const std::pair<std::string, std::string> cases[] = {
        {"wait\nbailar\n", "script:2: unknown command 'bailar'"},
        {"ok\n", "script:1: no message box"},
        {"# a comment\n\nselect 0\n", "script:3:"},
        {"wait\nchoose Deportes\n", "script:2: no option menu is open"},
        {"softkey 7\n", "script:1:"},
        {"event once\n", "script:1:"},
        {"network maybe\n", "script:1:"},
        {"clock 24:00\n", "script:1: clock needs a time of day as HH:MM"},
        {"wait\nwait 0\n", ""}, // idle already: not an error
        // Numbers past what a duration or a row index holds are errors, not overflows.
        {"wait inf\n", "script:1: wait needs"},
        {"wait nan\n", "script:1: wait needs"},
        {"wait 1e16\n", "script:1: wait needs"},
        {"sleep 9000000000000000\n", "script:1: sleep needs"},
        {"wait\nselect 4294967296\n", "script:2: select needs"},
    };
    for (const auto& [script, says] : cases) {
        const ProgramRun run = Script(script);
        EXPECT_EQ(run.exitCode, says.empty() ? 0 : 2) << script << run.stdErr;
        EXPECT_NE(run.stdErr.find(says), std::string::npos) << script << "\n" << run.stdErr;
    }
    // A script that cannot be read is an error too: an endless line, a closed
    // standard input, a directory as standard input.
    const ProgramRun zero = ProgramRun::Command({"--headless", "--feed-server", kDeadServer,
                                                 "--home", fx_.Home(), "--script", "/dev/zero"});
    EXPECT_EQ(zero.exitCode, 2);
    EXPECT_NE(zero.stdErr.find("script:1: line longer than 1 MiB"), std::string::npos)
        << zero.stdErr;
    for (const char* redirect : {"<&-", "< /"}) {
        const RunOptions options{
            .launcher = {"/bin/sh", "-c", std::string("exec \"$@\" ") + redirect, "sh"},
            .args = {}};
        const ProgramRun run = Script("quit\n", options);
        EXPECT_EQ(run.exitCode, 2) << redirect;
        EXPECT_NE(run.stdErr.find("script:1: cannot read the script"), std::string::npos)
            << redirect << ": " << run.stdErr;
    }
    // A wait that never reaches idle: the front page's feed is held back long past it.
    fx_.Server().SetRule("/mobile/2notashome.xml", {.delayMs = 5000});
    const ProgramRun held = ProgramRun::Start(fx_.Home(), fx_.Url(), "wait 0.3\n");
    EXPECT_EQ(held.exitCode, 2);
    EXPECT_NE(held.stdErr.find("script:1: idle not reached"), std::string::npos) << held.stdErr;
}

// The indicator's clock: the local time unless fixed, by the environment
// (as every run of these tests does, at 12:00) or by the script.
TEST_F(StartupTest, ClockShowsTheLocalTimeUnlessFixed) {
    // A zone half an hour off the hour, given without the zone database.
    auto inZone = [] {
        const std::time_t shifted = std::time(nullptr) + 5 * 3600 + 30 * 60;
        std::tm utc{};
        gmtime_r(&shifted, &utc);
        char text[8];
        std::strftime(text, sizeof text, "%H:%M", &utc);
        return std::string(text);
    };
    const std::string before = inZone();
    const ProgramRun live =
        Script("wait\ndump\nclock 07:05\ndump\n",
               {.timeoutSeconds = 60,
                .launcher = {"/usr/bin/env", "PREGONERO_CLOCK=", "TZ=<+0530>-5:30"},
                .args = {}});
    const std::string after = inZone();
    ASSERT_EQ(live.exitCode, 0) << live.stdErr;
    ASSERT_EQ(live.dumps.size(), 2u);
    const std::string shown = live.dumps[0].Json()["form"]["clock"];
    EXPECT_TRUE(shown == before || shown == after)
        << shown << " between " << before << " and " << after;
    EXPECT_EQ(live.dumps[1].Json()["form"]["clock"], "07:05");
    const ProgramRun fixed = Script("dump\n");
    ASSERT_EQ(fixed.dumps.size(), 1u);
    EXPECT_EQ(fixed.dumps[0].Json()["form"]["clock"], "12:00");
}

// Every way out ends the process at once while the bundled sample is served
// in-process and the reader still holds its connections to it.
TEST(Quitting, EndsPromptlyWithTheBundledSample) {
    FeedFixture fx("quitting");
    const std::pair<std::string, int> ways[] = {
        {"quit\n", 0}, {"option\nchoose Salir\n", 0}, {"", SIGTERM}};
    for (const auto& [commands, signal] : ways) {
        Process reader({PREGONERO_BINARY, "--headless", "--home", fx.Home(), "--script", "-"});
        reader.Send("wait 30\nselect 0\nwait 30\nsoftkey 1\nwait 30\nmark up\n");
        ASSERT_TRUE(
            WaitUntil([&] { return reader.Out().find("mark up") != std::string::npos; }, 60))
            << reader.Err();
        if (signal != 0) {
            reader.Signal(signal);
        } else {
            reader.Send(commands);
        }
        EXPECT_EQ(reader.Wait(2), 0) << (signal != 0 ? "SIGTERM" : commands) << reader.Err();
    }
}

// The driver's timestamps: `mark LABEL` and `mark LABEL idle` lines on stdout
// and the snapshot's "ms" and "rssKb" keys, on the program serving its own
// sample edition.
// The milliseconds of the line `mark LABEL MS`, or -1.
double MarkAt(const ProgramRun& run, const std::string& label) {
    for (const std::string& line : run.lines) {
        char name[64] = "";
        double ms = -1;
        int end = 0;
        if (std::sscanf(line.c_str(), "mark %63s %lf%n", name, &ms, &end) == 2 && name == label &&
            end == static_cast<int>(line.size())) {
            return ms;
        }
    }
    return -1;
}

TEST(DriverMarks, TimesComeFromOneClockAndBadMarksFail) {
    FeedFixture fx("marks");
    auto run = [&](const std::string& script) { return ProgramRun::Start(fx.Home(), "", script); };
    const ProgramRun marked = run("wait 30\nsleep 20\nmark front idle\nmark later\ndump\nquit\n");
    ASSERT_EQ(marked.exitCode, 0) << marked.stdErr;
    const double idle = MarkAt(marked, "front");
    const double later = MarkAt(marked, "later");
    ASSERT_GT(idle, 0);
    // The idle time is when the wait ended, not when the mark ran: the sleep lies between.
    EXPECT_GE(later - idle, 19.0);
    ASSERT_EQ(marked.dumps.size(), 1u);
    EXPECT_GE(marked.dumps[0].Json()["ms"].get<double>(), later - 1);
    // A running program holds more than a megabyte.
    EXPECT_GT(marked.dumps[0].Json()["rssKb"].get<long>(), 1000);

    EXPECT_EQ(run("mark early idle\nquit\n").exitCode, 2); // no wait has reached idle yet
    EXPECT_EQ(run("wait 30\nmark\nquit\n").exitCode, 2);
    EXPECT_EQ(run("wait 30\nmark a soon\nquit\n").exitCode, 2);
}

} // namespace
} // namespace pregonero::e2e
