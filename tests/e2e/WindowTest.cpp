// The reader in a real window on a virtual X display: what the window shows
// must be, pixel for pixel, the frame the driver's screenshot saved; closing
// the window or SIGTERM ends it cleanly; without a display it says so once.
#include <fcntl.h>
#include <signal.h>
#include <spng.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/support/FeedFixture.h"

// Last: Xlib's macros (None, Bool, Status) would trip the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr int kScreenWidth = 480;
constexpr int kScreenHeight = 800;

// Polls `ready` every 50 ms until it holds or `seconds` pass.
template <typename Ready> bool WaitFor(Ready ready, double seconds) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(long(seconds * 1000));
    while (Clock::now() < deadline) {
        if (ready()) {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return ready();
}

// Xvfb on a display number nobody uses, tall enough for a window at twice
// the handset's size; gone with the object.
class VirtualDisplay {
public:
    VirtualDisplay() {
        for (int number = 97; number < 160 && pid_ <= 0; ++number) {
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
            if (fs::exists(socket) || fs::exists("/tmp/.X" + std::to_string(number) + "-lock")) {
                continue;
            }
            Launch(number, socket);
        }
    }
    ~VirtualDisplay() {
        if (pid_ > 0) {
            ::kill(pid_, SIGTERM);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    bool Running() const { return pid_ > 0; }
    std::string Name() const { return name_; }

private:
    void Launch(int number, const std::string& socket) {
        char display[16];
        std::snprintf(display, sizeof display, ":%d", number);
        pid_t pid = ::fork();
        if (pid == 0) {
            int null = ::open("/dev/null", O_WRONLY);
            ::dup2(null, 1);
            ::dup2(null, 2);
            ::execlp("Xvfb", "Xvfb", display, "-screen", "0", "1100x1800x24", "-nolisten", "tcp",
                     static_cast<char*>(nullptr));
            ::_exit(127);
        }
        if (pid < 0) {
            return;
        }
        bool up = WaitFor(
            [&] { return fs::exists(socket) || ::waitpid(pid, nullptr, WNOHANG) == pid; }, 10);
        if (up && fs::exists(socket) && ::waitpid(pid, nullptr, WNOHANG) == 0) {
            pid_ = pid;
            name_ = display;
        } else {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
    }
    pid_t pid_ = -1;
    std::string name_;
};

// The reader started in the background with `display` as DISPLAY (unset when
// empty), serving its own sample edition; stderr goes to a file.
class Reader {
public:
    Reader(const std::string& display, const std::string& home, const std::string& script)
        : errPath_(home + "/stderr.txt") {
        fs::create_directories(home);
        const std::string scriptPath = home + "/script.txt";
        std::ofstream(scriptPath) << script;
        // The environment is made before the fork: between fork and exec the
        // child may only make async-signal-safe calls (the feed server's
        // threads may hold the allocator's lock).
        std::vector<std::string> env;
        for (char** entry = environ; *entry != nullptr; ++entry) {
            std::string_view text(*entry);
            if (text.rfind("WAYLAND_DISPLAY=", 0) != 0 &&
                text.rfind("PREGONERO_FEED_SERVER=", 0) != 0 && text.rfind("DISPLAY=", 0) != 0 &&
                (display.empty() || text.rfind("LSAN_OPTIONS=", 0) != 0)) {
                env.emplace_back(text);
            }
        }
        if (!display.empty()) {
            env.push_back("DISPLAY=" + display);
            // The X and GL driver stack loaded for a window keeps memory of its
            // own to the end and unloads modules the leak checker then cannot
            // name; our own leaks are checked by the headless runs.
            env.push_back("LSAN_OPTIONS=detect_leaks=0");
        }
        std::vector<char*> envp;
        for (auto& entry : env) {
            envp.push_back(entry.data());
        }
        envp.push_back(nullptr);
        std::string binary = PREGONERO_BINARY;
        std::string homeArg = home;
        std::string scriptArg = scriptPath;
        std::string homeFlag = "--home";
        std::string scriptFlag = "--script";
        char* argv[] = {binary.data(),     homeFlag.data(),  homeArg.data(),
                        scriptFlag.data(), scriptArg.data(), nullptr};
        int err = ::open(errPath_.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        pid_ = ::fork();
        if (pid_ == 0) {
            ::dup2(err, 2);
            ::dup2(null, 1);
            ::execve(argv[0], argv, envp.data());
            ::_exit(127);
        }
        ::close(err);
        ::close(null);
    }
    ~Reader() {
        if (pid_ > 0 && exitCode_ == kRunning) {
            ::kill(pid_, SIGKILL);
            ::waitpid(pid_, nullptr, 0);
        }
    }
    // The exit status, or -1 when it has not ended within `seconds`.
    int Wait(double seconds) {
        WaitFor(
            [&] {
                int status = 0;
                if (exitCode_ == kRunning && ::waitpid(pid_, &status, WNOHANG) == pid_) {
                    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128;
                }
                return exitCode_ != kRunning;
            },
            seconds);
        return exitCode_ == kRunning ? -1 : exitCode_;
    }
    void Signal(int signal) { ::kill(pid_, signal); }
    std::string StdErr() const {
        std::ifstream in(errPath_);
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }

private:
    static constexpr int kRunning = -1000;
    std::string errPath_;
    pid_t pid_ = -1;
    int exitCode_ = kRunning;
};

struct DisplayCloser {
    void operator()(Display* display) const { XCloseDisplay(display); }
};
using DisplayHandle = std::unique_ptr<Display, DisplayCloser>;

// The top-level window titled `title`, or 0.
Window FindWindow(Display* display, const std::string& title) {
    Window root = DefaultRootWindow(display);
    Window parent = 0;
    Window* children = nullptr;
    unsigned count = 0;
    Window found = 0;
    if (XQueryTree(display, root, &root, &parent, &children, &count) == 0) {
        return 0;
    }
    for (unsigned i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
            found = title == name ? children[i] : 0;
            XFree(name);
        }
    }
    if (children != nullptr) {
        XFree(children);
    }
    return found;
}

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<std::uint32_t> rgb; // 0xRRGGBB
};

// The window's pixels as the X server holds them: read by the test itself,
// not through anything of the program.
Picture GrabWindow(Display* display, Window window) {
    Picture picture;
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0) {
        return picture;
    }
    XImage* image =
        XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (image == nullptr) {
        return picture;
    }
    picture.width = attributes.width;
    picture.height = attributes.height;
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            picture.rgb.push_back(static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF);
        }
    }
    XDestroyImage(image);
    return picture;
}

Picture ReadPng(const std::string& path) {
    Picture picture;
    std::ifstream in(path, std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::unique_ptr<spng_ctx, void (*)(spng_ctx*)> ctx(spng_ctx_new(0), spng_ctx_free);
    spng_ihdr ihdr{};
    std::size_t size = 0;
    if (bytes.empty() || spng_set_png_buffer(ctx.get(), bytes.data(), bytes.size()) != 0 ||
        spng_get_ihdr(ctx.get(), &ihdr) != 0 ||
        spng_decoded_image_size(ctx.get(), SPNG_FMT_RGBA8, &size) != 0) {
        return picture;
    }
    std::vector<unsigned char> rgba(size);
    if (spng_decode_image(ctx.get(), rgba.data(), size, SPNG_FMT_RGBA8, 0) != 0) {
        return picture;
    }
    picture.width = static_cast<int>(ihdr.width);
    picture.height = static_cast<int>(ihdr.height);
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) {
        picture.rgb.push_back(std::uint32_t(rgba[i]) << 16 | std::uint32_t(rgba[i + 1]) << 8 |
                              rgba[i + 2]);
    }
    return picture;
}

// Window pixels that differ from the frame they enlarge, each frame pixel
// being a factor × factor block of the window; -1 when the sizes disagree.
long Differences(const Picture& frame, const Picture& window, int factor) {
    if (frame.width * factor != window.width || frame.height * factor != window.height) {
        return -1;
    }
    long differing = 0;
    for (int y = 0; y < window.height; ++y) {
        for (int x = 0; x < window.width; ++x) {
            std::uint32_t expected = frame.rgb[std::size_t(y / factor) * frame.width + x / factor];
            differing += window.rgb[std::size_t(y) * window.width + x] != expected;
        }
    }
    return differing;
}

void SendClose(Display* display, Window window) {
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
}

// A scratch home for each test; the reader serves its bundled edition.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override { fixture_ = std::make_unique<pregonero::e2e::FeedFixture>("window"); }
    std::unique_ptr<pregonero::e2e::FeedFixture> fixture_;
};

} // namespace

TEST_F(WindowTest, WindowShowsTheDriversFrameAndClosingItEndsTheReader) {
    VirtualDisplay xvfb;
    if (!xvfb.Running()) {
        GTEST_SKIP() << "Xvfb could not be started, so there is no display to open a window on";
    }
    const std::string home = fixture_->Home();
    const std::string shot = home + "/shot.png";
    const std::string marker = home + "/after-shot.json";
    // The script ends with a long sleep: only closing the window ends it in time.
    Reader reader(xvfb.Name(), home,
                  "wait\noption\nchoose Deportes\nwait\nscreenshot " + shot + "\ndump " + marker +
                      "\nsleep 60000\n");
    ASSERT_TRUE(WaitFor([&] { return fs::exists(marker); }, 60)) << reader.StdErr();
    const Picture frame = ReadPng(shot);
    ASSERT_EQ(frame.width, kScreenWidth);
    ASSERT_EQ(frame.height, kScreenHeight);

    DisplayHandle display(XOpenDisplay(xvfb.Name().c_str()));
    ASSERT_NE(display, nullptr);
    Window window = 0;
    ASSERT_TRUE(
        WaitFor([&] { return (window = FindWindow(display.get(), "Pregonero raviv")); }, 10));
    // 1100 × 1800 leaves room for twice the handset's size, not three times.
    const int factor = 2;
    long differing = -1;
    Picture shown;
    // The window presents the frame the moment it is drawn; allow the X
    // server a moment to have it.
    WaitFor(
        [&] {
            shown = GrabWindow(display.get(), window);
            differing = Differences(frame, shown, factor);
            return differing == 0;
        },
        5);
    EXPECT_EQ(shown.width, kScreenWidth * factor);
    EXPECT_EQ(shown.height, kScreenHeight * factor);
    EXPECT_EQ(differing, 0) << "window pixels differing from the screenshot";

    SendClose(display.get(), window);
    EXPECT_EQ(reader.Wait(20), 0) << reader.StdErr();
    EXPECT_TRUE(WaitFor([&] { return FindWindow(display.get(), "Pregonero raviv") == 0; }, 5));
}

TEST_F(WindowTest, TerminationSignalEndsAWindowedReaderCleanly) {
    VirtualDisplay xvfb;
    if (!xvfb.Running()) {
        GTEST_SKIP() << "Xvfb could not be started, so there is no display to open a window on";
    }
    const std::string home = fixture_->Home();
    Reader reader(xvfb.Name(), home, "wait\ndump " + home + "/up.json\nsleep 60000\n");
    ASSERT_TRUE(WaitFor([&] { return fs::exists(home + "/up.json"); }, 60)) << reader.StdErr();
    reader.Signal(SIGTERM);
    EXPECT_EQ(reader.Wait(20), 0) << reader.StdErr();
    EXPECT_EQ(reader.StdErr(), "");
}

TEST_F(WindowTest, WithoutADisplayTheReaderSaysSoInOneLine) {
    const std::string home = fixture_->Home() + "/fresh";
    Reader reader("", home, "quit\n");
    ASSERT_EQ(reader.Wait(20), 2);
    const std::string err = reader.StdErr();
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    EXPECT_NE(err.find("no display"), std::string::npos) << err;
    EXPECT_NE(err.find("--headless"), std::string::npos) << err;
    // It stopped before writing or serving anything.
    EXPECT_FALSE(fs::exists(home + "/sample"));

    // A named display that is not there is refused the same way, in one line.
    Reader broken(":159", home, "quit\n");
    ASSERT_EQ(broken.Wait(20), 2);
    const std::string brokenErr = broken.StdErr();
    EXPECT_EQ(std::count(brokenErr.begin(), brokenErr.end(), '\n'), 1) << brokenErr;
    EXPECT_NE(brokenErr.find("DISPLAY=:159"), std::string::npos) << brokenErr;
}
