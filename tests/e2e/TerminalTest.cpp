// The reader in its terminal front end, inside a private tmux server: keys
// go in with send-keys, the screen comes back with capture-pane.
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/support/FeedFixture.h"
#include "tests/e2e/support/Process.h"
#include "tests/e2e/support/ProgramRun.h"
#include "tests/e2e/support/WaitUntil.h"
#include "tests/support/ReadAll.h"

namespace pregonero::e2e {
namespace {

constexpr const char* kFirstHeadline = "¿Qué pasará con la reforma electoral?";

// Whether a picture is on screen: pictures are drawn with block elements
// (U+2580 to U+259F), which no text of the reader uses.
bool ShowsPicture(const std::string& pane) {
    return std::regex_search(pane, std::regex("\xE2\x96[\x80-\x9F]"));
}

// The sample edition served on 127.0.0.1 and a tmux server of our own (its
// own socket, no configuration) whose one pane runs the reader with no
// display; the pane stays after the reader ends.
class TerminalTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (std::system("command -v tmux >/dev/null 2>&1") != 0) {
            GTEST_SKIP() << "tmux is not installed";
        }
        fx_.WriteSampleEdition();
    }
    void TearDown() override { Tmux({"kill-server"}, false); }

    std::string Tmux(const std::vector<std::string>& args, bool mustWork = true) {
        std::vector<std::string> argv = {"/usr/bin/tmux", "-L", socket_, "-f", "/dev/null"};
        argv.insert(argv.end(), args.begin(), args.end());
        Process tmux(argv);
        tmux.CloseInput();
        const int status = tmux.Wait(20);
        EXPECT_TRUE(status == 0 || !mustWork) << args[0] << ": " << tmux.Err();
        return tmux.Out();
    }
    // Ctrl-C reaches the whole foreground group: the shell that records the
    // exit status must outlive it.
    // The reader's standard error goes to the file "err".
    void Launch(int cols, int rows, const std::string& args,
                const std::string& term = "xterm-256color") {
        const std::string reader = "trap : INT; env -u DISPLAY -u WAYLAND_DISPLAY TERM=" + term +
                                   " '" PREGONERO_BINARY "' --home '" + fx_.Home() +
                                   "' --feed-server " + fx_.Url() + " " + args + " 2> '" +
                                   (fx_.Root() / "err").string() + "'; echo $? > '" +
                                   (fx_.Root() / "exit").string() + "'";
        Tmux({"start-server", ";", "set-option", "-g", "remain-on-exit", "on", ";", "new-session",
              "-d", "-s", "reader", "-x", std::to_string(cols), "-y", std::to_string(rows),
              reader});
    }
    std::string Pane() { return Tmux({"capture-pane", "-p", "-t", "reader"}); }
    // With colours and attributes, so a moved highlight counts as a change.
    std::string ColouredPane() { return Tmux({"capture-pane", "-e", "-p", "-t", "reader"}); }
    // Sends keys that may change nothing, then "?" and back: once the key
    // overlay has come and gone, the keys before it have been handled.
    std::string KeysThenSettle(const std::string& keys) {
        std::istringstream names(keys);
        for (std::string key; names >> key;) {
            Tmux({"send-keys", "-t", "reader", key});
        }
        Tmux({"send-keys", "-t", "reader", "?"});
        WaitFor("Quit");
        Tmux({"send-keys", "-t", "reader", "Escape"});
        return WaitFor("Quit", false);
    }
    // One key at a time, as a person types: each must change the screen
    // before the next goes in.
    void Keys(const std::string& keys) {
        std::istringstream names(keys);
        for (std::string key; names >> key;) {
            const std::string before = ColouredPane();
            Tmux({"send-keys", "-t", "reader", key});
            EXPECT_TRUE(WaitUntil([&] { return ColouredPane() != before; }, 20))
                << key << " changed nothing:\n"
                << before;
        }
    }
    // Waits (bounded) until the pane shows `text` (or no longer does); returns it.
    std::string WaitFor(const std::string& text, bool present = true) {
        std::string pane;
        EXPECT_TRUE(WaitUntil(
            [&] { return ((pane = Pane()).find(text) != std::string::npos) == present; }, 20))
            << "waited for " << (present ? "" : "absence of ") << "'" << text
            << "'; the pane shows:\n"
            << pane;
        return pane;
    }
    // A screen is complete once its pictures are in: lists are revealed, and
    // the keys they hold back (the list its option key, an article its back
    // key) answer, only then; and once it has stopped changing, since a
    // screen may be rebuilt while its feed is read again.
    std::string WaitForScreen(const std::string& text) {
        WaitFor(text);
        std::string pane;
        EXPECT_TRUE(WaitUntil([&] { return ShowsPicture(pane = Pane()); }, 20))
            << "no picture showed up:\n"
            << pane;
        auto changed = std::chrono::steady_clock::now();
        std::string last = ColouredPane();
        EXPECT_TRUE(WaitUntil(
            [&] {
                std::string now = ColouredPane();
                if (now != last) {
                    last = std::move(now);
                    changed = std::chrono::steady_clock::now();
                }
                return std::chrono::steady_clock::now() - changed > std::chrono::seconds(1);
            },
            20))
            << "the screen never settled";
        return Pane();
    }
    // The reader's exit status once it has ended (bounded wait), else -1.
    int ExitCode(int seconds = 20) {
        std::string status;
        WaitUntil(
            [&] {
                std::ifstream in(fx_.Root() / "exit");
                return static_cast<bool>(std::getline(in, status));
            },
            seconds);
        return status.empty() ? -1 : std::atoi(status.c_str());
    }

    FeedFixture fx_{"terminal"};
    std::string socket_ = fx_.Root().filename().string();
};

TEST_F(TerminalTest, KeysWalkTheFrontPageAnArticleAndTheMenu) {
    // No display, but a terminal: the terminal front end without being asked.
    Launch(100, 40, "");
    const std::string front = WaitForScreen(kFirstHeadline);
    EXPECT_NE(front.find("PRIMERA"), std::string::npos) << front;
    EXPECT_NE(front.find("Pregonero raviv"), std::string::npos) << front;

    // The first Down focuses the first headline, the second moves on; Enter
    // opens it and F1 comes back.
    Keys("Down Down Enter");
    // Its author's name shows only on the article.
    const std::string article = WaitForScreen("Tomás Lozoya Villaseñor");
    EXPECT_NE(article.find("Atras"), std::string::npos) << article;
    EXPECT_EQ(article.find("PRIMERA"), std::string::npos) << article;
    Keys("F1");
    WaitForScreen(kFirstHeadline);
    // The front page comes back fresh, nothing focused yet; Escape is back too.
    Keys("Down Enter");
    WaitForScreen("Atras");
    Keys("Escape");
    WaitForScreen(kFirstHeadline);

    // Too small a terminal shows a notice instead, until it is enlarged.
    Tmux({"resize-window", "-t", "reader", "-x", "15", "-y", "6"});
    const std::string small = WaitFor("Terminal too");
    EXPECT_EQ(small.find("PRIMERA"), std::string::npos) << small;
    Tmux({"resize-window", "-t", "reader", "-x", "100", "-y", "40"});
    const std::string big = WaitForScreen(kFirstHeadline);
    EXPECT_EQ(big.find("Terminal too"), std::string::npos) << big;
    EXPECT_NE(big.find("PRIMERA"), std::string::npos) << big;

    // Tab opens the option menu; "Mas..." opens the sub-menu; one of its
    // sections replaces the front page.
    Keys("Tab");
    const std::string menu = WaitFor("Deportes");
    EXPECT_NE(menu.find("Mas..."), std::string::npos) << menu;
    Keys("Down Down Down Down Down Enter");
    const std::string sub = WaitFor("Tecno");
    EXPECT_EQ(sub.find("Deportes"), std::string::npos) << sub;
    Keys("Down Right Enter");
    WaitForScreen("TECNO");
    WaitFor("PRIMERA", false);

    // Ctrl-C ends the reader the platform's way and gives the terminal back.
    Keys("C-c");
    EXPECT_EQ(ExitCode(), 0);
    const std::string after = Pane();
    EXPECT_EQ(after.find("PRIMERA"), std::string::npos) << after;
}

TEST_F(TerminalTest, ScriptSnapshotsMatchTheHeadlessOnes) {
    const auto root = fx_.Root();
    const char* names[] = {"front", "article", "menu"};
    const std::string headless =
        "wait\ndump\nselect 1\nwait\ndump\nsoftkey 1\nwait\noption\nchoose Mas...\ndump\nquit\n";
    // The same steps in the terminal, each dump to a file of its own.
    std::string terminal = headless;
    for (std::size_t at = 0, i = 0; (at = terminal.find("dump\n", at)) != std::string::npos; ++i) {
        const std::string dump = "dump " + (root / names[i]).string() + "\n";
        terminal.replace(at, 5, dump);
        at += dump.size();
    }
    std::ofstream(root / "terminal.txt") << terminal;
    // Headless from a home of its own, as fresh as the terminal's.
    std::filesystem::create_directories(root / "headless");
    const ProgramRun run = ProgramRun::Start((root / "headless").string(), fx_.Url(), headless);
    ASSERT_EQ(run.exitCode, 0) << run.stdErr;
    ASSERT_EQ(run.dumps.size(), 3u);
    Launch(100, 40, "--terminal --script '" + (root / "terminal.txt").string() + "'");
    ASSERT_EQ(ExitCode(60), 0);
    for (std::size_t i = 0; i < 3; ++i) {
        std::ifstream in(root / names[i]);
        auto shown = nlohmann::json::parse(in, nullptr, false);
        auto expected = run.dumps[i].Json();
        // Timings and memory differ from run to run; everything else must not.
        for (auto* dump : {&shown, &expected}) {
            if (dump->is_object()) {
                dump->erase("ms");
                dump->erase("rssKb");
            }
        }
        EXPECT_FALSE(expected.is_null()) << names[i];
        EXPECT_EQ(shown, expected) << names[i] << " snapshots differ";
    }
}

// Lines of the pane from the first holding `from` to the first after it
// holding `to`, both included.
std::vector<std::string> LinesBetween(const std::string& pane, const std::string& from,
                                      const std::string& to) {
    std::vector<std::string> lines;
    std::istringstream in(pane);
    for (std::string line; std::getline(in, line);) {
        if (lines.empty() && line.find(from) == std::string::npos) {
            continue;
        }
        lines.push_back(line);
        if (line.find(to) != std::string::npos) {
            break;
        }
    }
    return lines;
}

// Whether any line holds letters or digits: the view is not empty.
bool ShowsText(const std::vector<std::string>& lines) {
    for (const auto& line : lines) {
        if (std::regex_search(line, std::regex("[A-Za-z0-9]"))) {
            return true;
        }
    }
    return false;
}

TEST_F(TerminalTest, SmallTerminalsCutTextsInsteadOfOverlappingThemAndTheMenuCoversThePage) {
    // A time glued to the next word ("04:48pasará") is two texts on the same cells.
    const std::regex glued("[0-9][0-9]:[0-9][0-9][^ 0-9\\n]");
    Launch(20, 10, "");
    const std::string tiny = WaitForScreen("PRIMERA");
    EXPECT_FALSE(std::regex_search(tiny, glued)) << tiny;
    Tmux({"resize-window", "-t", "reader", "-x", "40", "-y", "16"});
    const std::string small = WaitForScreen("Pregonero raviv");
    EXPECT_FALSE(std::regex_search(small, glued)) << small;

    // Between the menu's buttons no letter of the page behind shows through.
    Keys("Tab");
    const std::string menu = WaitFor("Deportes");
    const auto lines = LinesBetween(menu, "Primera", "Salir");
    ASSERT_GE(lines.size(), 3u) << menu;
    const std::regex labels("Primera|Mexico|Mundo|Estados|DF|EdoMex|Vialidad|Cartera|Deportes|"
                            "Showbis|Mas\\.\\.\\.|Salir|▸|\\s");
    for (const auto& line : lines) {
        EXPECT_EQ(std::regex_replace(line, labels, ""), "") << menu;
    }
}

TEST_F(TerminalTest, WithoutColoursTheFocusedRowShowsInReverseVideo) {
    Launch(60, 20, "", "vt100");
    WaitForScreen("PRIMERA");
    // Whether reverse video is on where the first headline begins, going
    // through every attribute change before it.
    const auto reversedAtHeadline = [this] {
        const std::string pane = ColouredPane();
        const std::string before = pane.substr(0, pane.find("pasará con la reforma"));
        const std::regex sgr("\x1b\\[([0-9;]*)m");
        bool reversed = false;
        for (std::sregex_iterator it(before.begin(), before.end(), sgr), done; it != done; ++it) {
            const std::string params = (*it)[1].str();
            reversed = reversed && !params.empty(); // ESC [ m resets everything
            std::istringstream in(params);
            for (std::string p; std::getline(in, p, ';');) {
                reversed = p == "7" || (reversed && p != "0" && p != "27");
            }
        }
        return reversed;
    };
    EXPECT_FALSE(reversedAtHeadline()) << ColouredPane();
    Keys("Down");
    EXPECT_TRUE(reversedAtHeadline()) << ColouredPane();
    // Without an alternate screen the last frame stays on the terminal, so
    // only the exit says that q was taken.
    Tmux({"send-keys", "-t", "reader", "q"});
    EXPECT_EQ(ExitCode(), 0);
}

TEST_F(TerminalTest, TerminalThatCannotMoveItsCursorIsRefusedInOneLine) {
    Launch(80, 20, "", "dumb");
    EXPECT_EQ(ExitCode(), 2);
    const std::string err = testing_support::ReadAll(fx_.Root() / "err");
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("TERM=dumb"), std::string::npos) << err;
}

TEST_F(TerminalTest, DesktopKeysPageToTheEndsAndArticlesStopAtTheirLastLine) {
    Launch(60, 24, "");
    WaitForScreen(kFirstHeadline);
    // End shows the last headline; a second End changes nothing.
    Keys("End");
    const std::string end = WaitFor(kFirstHeadline, false);
    EXPECT_EQ(KeysThenSettle("End"), end);
    Keys("Home");
    WaitFor(kFirstHeadline);
    // Space pages down, Shift-Space (a plain space in a terminal) too; Page Up comes back.
    Keys("Space");
    WaitFor(kFirstHeadline, false);
    Keys("PageUp");
    WaitFor(kFirstHeadline);
    // j and k move the focus as Down and Up do; Enter opens the focused row.
    Keys("j j k Enter");
    WaitForScreen("Atras");
    EXPECT_EQ(Pane().find("PRIMERA"), std::string::npos);

    // Paging past an article's end stops at its last lines: never a view of nothing.
    const std::string last = KeysThenSettle("End");
    const auto body = LinesBetween(last, "Pregonero raviv", "Atras");
    ASSERT_GE(body.size(), 3u) << last;
    EXPECT_TRUE(ShowsText({body.begin() + 1, body.end() - 1})) << last;
    EXPECT_EQ(KeysThenSettle("PageDown Space Down"), last);
    Keys("Home");

    // "?" lays the keys over the screen until the next key, which does nothing else.
    const std::string before = Pane();
    Keys("?");
    const std::string help = WaitFor("Quit");
    EXPECT_NE(help.find("Home, End"), std::string::npos) << help;
    Keys("Enter");
    EXPECT_EQ(WaitFor("Quit", false), before);
    Keys("q");
    EXPECT_EQ(ExitCode(), 0);
}

} // namespace
} // namespace pregonero::e2e
