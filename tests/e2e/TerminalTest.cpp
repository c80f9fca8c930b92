// The reader in its terminal front end, inside a private tmux server: keys
// go in with send-keys, the screen comes back with capture-pane.
#include "feedserver/FeedServer.h"
#include "feedserver/SampleEdition.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <thread>

namespace {

namespace fs = std::filesystem;
namespace feeds = pregonero::feeds;

std::string Quote(const std::string& s) {
    std::string out = "'";
    for (char c : s) {
        out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    }
    return out + "'";
}

std::string Output(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            out.append(buffer, n);
        }
        pclose(pipe);
    }
    return out;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Timings and memory differ from run to run; everything else must not.
std::string WithoutMeasurements(const std::string& dump) {
    static const std::regex measurement(R"re(,"(ms|rssKb)":[0-9]+)re");
    return std::regex_replace(dump, measurement, "");
}

// Whether a picture is on screen: pictures are drawn with block elements
// (U+2580 to U+259F), which no text of the reader uses.
int PictureLines(const std::string& pane) {
    int lines = 0;
    std::istringstream in(pane);
    for (std::string line; std::getline(in, line);) {
        for (size_t i = 0; i + 2 < line.size(); ++i) {
            auto b = static_cast<unsigned char>(line[i + 2]);
            if (line[i] == '\xE2' && line[i + 1] == '\x96' && b >= 0x80 && b <= 0x9F) {
                ++lines;
                break;
            }
        }
    }
    return lines;
}

bool HaveTmux() {
    return std::system("command -v tmux >/dev/null 2>&1") == 0;
}

// A scratch folder, the sample edition served from it on 127.0.0.1, and a
// tmux server of our own (its own socket) so no one else's sessions are touched.
class TerminalFixture {
public:
    TerminalFixture() {
        static int counter = 0;
        std::string tag = std::to_string(::getpid()) + "-" + std::to_string(++counter);
        root_ = fs::temp_directory_path() / ("pregonero-term-" + tag);
        socket_ = "pregonero-e2e-" + tag;
        std::string error;
        started_ = feeds::WriteSampleEdition((root_ / "feeds").string(), &error) &&
                   server_.Start((root_ / "feeds").string(), 0);
    }
    ~TerminalFixture() {
        std::system((Tmux() + " kill-server >/dev/null 2>&1").c_str());
        server_.Stop();
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    bool Started() const { return started_; }
    fs::path Root() const { return root_; }
    std::string Url() const { return server_.BaseUrl(); }
    std::string Tmux() const { return "tmux -L " + socket_ + " -f /dev/null"; }

    // Starts the reader with no display in a `cols` × `rows` pane; its exit
    // code goes to Root()/exit.
    void Launch(int cols, int rows, const std::string& args) {
        std::string program = Quote(PREGONERO_BINARY) + " --home " +
                              Quote((root_ / "home").string()) + " --feed-server " + Url() + " " +
                              args + "; echo $? > " + Quote((root_ / "exit").string()) +
                              "; sleep 60";
        std::string command =
            Tmux() + " new-session -d -s reader -x " + std::to_string(cols) + " -y " +
            std::to_string(rows) + " " +
            Quote("env -u DISPLAY -u WAYLAND_DISPLAY TERM=xterm-256color " + program);
        ASSERT_EQ(std::system(command.c_str()), 0) << command;
    }
    // One key at a time, as a person types, so each is handled before the next.
    void Keys(const std::string& keys) {
        std::istringstream names(keys);
        for (std::string key; names >> key;) {
            Output(Tmux() + " send-keys -t reader " + key + " 2>&1");
            std::this_thread::sleep_for(std::chrono::milliseconds(250));
        }
    }
    // The front page with its list in place (the list shows once its
    // thumbnails are in) and nothing left to change under the next key.
    void FrontPageReady() {
        WaitFor("¿Qué pasará con la reforma electoral?");
        WaitForPicture();
        WaitForStill();
    }
    // Screens hold some keys back until their pictures are in (the list its
    // option key, an article its back key), so tests wait for them to show.
    void WaitForPicture(int seconds = 20) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < deadline) {
            if (PictureLines(Pane()) > 0) {
                return;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ADD_FAILURE() << "no picture showed up:\n" << Pane();
    }
    std::string Pane() { return Output(Tmux() + " capture-pane -p -t reader"); }
    // With colours and attributes, so a moved highlight counts as a change.
    std::string ColouredPane() { return Output(Tmux() + " capture-pane -e -p -t reader"); }
    // Waits (bounded) until the pane shows `text`; returns the last capture.
    std::string WaitFor(const std::string& text, bool present = true, int seconds = 20) {
        std::string pane;
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < deadline) {
            pane = Pane();
            if ((pane.find(text) != std::string::npos) == present) {
                return pane;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        ADD_FAILURE() << "waited for " << (present ? "" : "absence of ") << "'" << text
                      << "'; the pane shows:\n"
                      << pane;
        return pane;
    }
    // Waits (bounded) until the pane has not changed for 1.5 seconds: the
    // pictures are in and the list will not be rebuilt under the next key.
    void WaitForStill(int seconds = 20) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        std::string last = ColouredPane();
        while (std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(std::chrono::milliseconds(1500));
            std::string now = ColouredPane();
            if (now == last) {
                return;
            }
            last = now;
        }
        ADD_FAILURE() << "the screen never settled";
    }
    // The reader's exit code, once it has ended (bounded wait), else -1.
    int ExitCode(int seconds = 20) {
        auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        while (std::chrono::steady_clock::now() < deadline) {
            std::string code = ReadFile(root_ / "exit");
            if (!code.empty()) {
                return std::atoi(code.c_str());
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
        return -1;
    }

private:
    fs::path root_;
    std::string socket_;
    feeds::FeedServer server_;
    bool started_ = false;
};

} // namespace

TEST(TerminalTest, KeysWalkTheFrontPageAnArticleAndTheMenu) {
    if (!HaveTmux()) {
        GTEST_SKIP() << "tmux is not installed";
    }
    TerminalFixture t;
    ASSERT_TRUE(t.Started());
    t.Launch(100, 40, "--terminal");
    std::string front = t.WaitFor("¿Qué pasará con la reforma electoral?");
    EXPECT_NE(front.find("PRIMERA"), std::string::npos) << front;
    EXPECT_NE(front.find("Pregonero raviv"), std::string::npos) << front;

    // The first Down focuses the first headline, the second moves on; Enter
    // opens it and F1 comes back.
    t.FrontPageReady();
    t.Keys("Down Down Enter");
    t.WaitFor("Atras");
    t.WaitForPicture();
    t.WaitForStill();
    // "Atras" shows before the article's list is revealed: read the pane
    // once it is still, not when the label first appeared.
    const std::string article = t.Pane();
    EXPECT_EQ(article.find("PRIMERA"), std::string::npos) << article;
    EXPECT_NE(article.find("¿Qué pasará con las rutas migratorias?"), std::string::npos) << article;
    t.Keys("F1");
    t.FrontPageReady();
    // The front page comes back fresh, nothing focused yet; Escape is back too.
    t.Keys("Down Enter");
    t.WaitFor("Atras");
    t.WaitForPicture();
    t.WaitForStill();
    t.Keys("Escape");
    t.FrontPageReady();

    // Tab opens the option menu; "Mas..." opens the sub-menu; one of its
    // sections replaces the front page.
    t.Keys("Tab");
    std::string menu = t.WaitFor("Deportes");
    EXPECT_NE(menu.find("Mas..."), std::string::npos) << menu;
    t.Keys("Down Down Down Down Down Enter");
    std::string sub = t.WaitFor("Tecno");
    EXPECT_EQ(sub.find("Deportes"), std::string::npos) << sub;
    t.Keys("Down Right Enter");
    t.WaitFor("TECNO");
    t.WaitFor("PRIMERA", false);

    // Ctrl-C ends the reader the platform's way and gives the terminal back.
    t.Keys("C-c");
    EXPECT_EQ(t.ExitCode(), 0);
    std::string after = t.Pane();
    EXPECT_EQ(after.find("PRIMERA"), std::string::npos) << after;
}

TEST(TerminalTest, TooSmallShowsANoticeAndRecoversWhenEnlarged) {
    if (!HaveTmux()) {
        GTEST_SKIP() << "tmux is not installed";
    }
    TerminalFixture t;
    ASSERT_TRUE(t.Started());
    // No display, but a terminal: the terminal front end without being asked.
    t.Launch(80, 24, "");
    t.WaitFor("PRIMERA");
    std::system((t.Tmux() + " resize-window -t reader -x 15 -y 6").c_str());
    std::string small = t.WaitFor("Terminal too");
    EXPECT_EQ(small.find("PRIMERA"), std::string::npos) << small;
    std::system((t.Tmux() + " resize-window -t reader -x 200 -y 60").c_str());
    std::string big = t.WaitFor("PRIMERA");
    EXPECT_EQ(big.find("Terminal too"), std::string::npos) << big;
    EXPECT_NE(big.find("¿Qué pasará con la reforma electoral?"), std::string::npos) << big;
}

TEST(TerminalTest, ScriptSnapshotsMatchTheHeadlessOnes) {
    if (!HaveTmux()) {
        GTEST_SKIP() << "tmux is not installed";
    }
    TerminalFixture t;
    ASSERT_TRUE(t.Started());
    auto script = [&](const std::string& name) {
        fs::path path = t.Root() / (name + ".txt");
        std::ofstream out(path);
        for (const char* step : {"wait", "dump front", "select 1", "wait", "dump article",
                                 "softkey 1", "wait", "option", "choose Mas...", "dump menu"}) {
            std::string line = step;
            if (line.rfind("dump ", 0) == 0) {
                line = "dump " + (t.Root() / (name + "-" + line.substr(5) + ".json")).string();
            }
            out << line << "\n";
        }
        out << "quit\n";
        return path.string();
    };
    std::string headless = Quote(PREGONERO_BINARY) + " --headless --home " +
                           Quote((t.Root() / "home-headless").string()) + " --feed-server " +
                           t.Url() + " --script " + Quote(script("headless")) + " >/dev/null 2>&1";
    ASSERT_EQ(std::system(("timeout 60 " + headless).c_str()), 0);
    t.Launch(100, 40, "--terminal --script " + Quote(script("terminal")));
    ASSERT_EQ(t.ExitCode(60), 0);
    for (const char* dump : {"front", "article", "menu"}) {
        std::string h = ReadFile(t.Root() / (std::string("headless-") + dump + ".json"));
        std::string term = ReadFile(t.Root() / (std::string("terminal-") + dump + ".json"));
        EXPECT_FALSE(h.empty()) << dump;
        EXPECT_TRUE(WithoutMeasurements(term) == WithoutMeasurements(h))
            << dump << " snapshots differ; see " << t.Root();
    }
}
