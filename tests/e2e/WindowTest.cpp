// The reader in a real window on a virtual X display: what the window shows
// must be, pixel for pixel, the frame the driver's screenshot saved; closing
// the window or SIGTERM ends it cleanly; without a display it says so once.
#include <signal.h>
#include <spng.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/support/FeedFixture.h"
#include "tests/e2e/support/Process.h"
#include "tests/e2e/support/WaitUntil.h"

// Last: Xlib's macros (None, Bool, Status) would trip the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace pregonero::e2e {
namespace {

namespace fs = std::filesystem;
constexpr int kScreenWidth = 480;
constexpr int kScreenHeight = 800;

// Xvfb on a display number nobody uses, tall enough for a window at twice
// the handset's size; gone with the object.
class VirtualDisplay {
public:
    VirtualDisplay() {
        for (int number = 97; number < 160 && !xvfb_; ++number) {
            const std::string socket = "/tmp/.X11-unix/X" + std::to_string(number);
            if (fs::exists(socket) || fs::exists("/tmp/.X" + std::to_string(number) + "-lock")) {
                continue;
            }
            name_ = ":" + std::to_string(number);
            xvfb_ = std::make_unique<Process>(std::vector<std::string>{
                "/usr/bin/Xvfb", name_, "-screen", "0", "1100x1800x24", "-nolisten", "tcp"});
            WaitUntil([&] { return fs::exists(socket) || xvfb_->Wait(0) >= 0; }, 10);
            if (!fs::exists(socket) || xvfb_->Wait(0) >= 0) {
                xvfb_.reset();
            }
        }
    }
    ~VirtualDisplay() {
        if (xvfb_) {
            xvfb_->Signal(SIGTERM);
            xvfb_->Wait(10);
        }
    }
    bool Running() const { return xvfb_ != nullptr; }
    std::string Name() const { return name_; }

private:
    std::unique_ptr<Process> xvfb_;
    std::string name_;
};

// The reader in a window on `display` (none when empty), serving its own
// sample edition, on a script from its standard input that is left open:
// the reader runs until it is closed or signalled.
std::unique_ptr<Process> Reader(const std::string& display, const std::string& home,
                                const std::string& script) {
    // The X and GL driver stack loaded for a window keeps memory of its own
    // to the end and unloads modules the leak checker then cannot name; our
    // own leaks are checked by the headless runs.
    std::vector<std::string> env;
    if (!display.empty()) {
        env = {"DISPLAY=" + display, "LSAN_OPTIONS=detect_leaks=0"};
    }
    auto reader = std::make_unique<Process>(
        std::vector<std::string>{PREGONERO_BINARY, "--home", home, "--script", "-"}, env);
    reader->Send(script);
    return reader;
}

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
// The pixels are read from the X server by the test itself, not through
// anything of the program.
long Differences(const Picture& frame, Display* display, Window window, int factor) {
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) == 0 ||
        frame.width * factor != attributes.width || frame.height * factor != attributes.height) {
        return -1;
    }
    XImage* image =
        XGetImage(display, window, 0, 0, attributes.width, attributes.height, AllPlanes, ZPixmap);
    if (image == nullptr) {
        return -1;
    }
    long differing = 0;
    for (int y = 0; y < attributes.height; ++y) {
        for (int x = 0; x < attributes.width; ++x) {
            const std::uint32_t expected =
                frame.rgb[std::size_t(y / factor) * frame.width + x / factor];
            differing +=
                (static_cast<std::uint32_t>(XGetPixel(image, x, y)) & 0xFFFFFF) != expected;
        }
    }
    XDestroyImage(image);
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
    FeedFixture fx_{"window"};
};

TEST_F(WindowTest, WindowShowsTheDriversFrameAndClosingItEndsTheReader) {
    VirtualDisplay xvfb;
    if (!xvfb.Running()) {
        GTEST_SKIP() << "Xvfb could not be started, so there is no display to open a window on";
    }
    const std::string shot = fx_.Root() / "shot.png";
    const std::string marker = fx_.Root() / "after-shot.json";
    const auto reader = Reader(xvfb.Name(), fx_.Home(),
                               "wait\noption\nchoose Deportes\nwait\nscreenshot " + shot +
                                   "\ndump " + marker + "\n");
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(marker); }, 60)) << reader->Err();
    const Picture frame = ReadPng(shot);
    ASSERT_EQ(frame.width, kScreenWidth);
    ASSERT_EQ(frame.height, kScreenHeight);

    DisplayHandle display(XOpenDisplay(xvfb.Name().c_str()));
    ASSERT_NE(display, nullptr);
    Window window = 0;
    ASSERT_TRUE(
        WaitUntil([&] { return (window = FindWindow(display.get(), "Pregonero raviv")); }, 10));
    // 1100 × 1800 leaves room for twice the handset's size, not three times.
    const int factor = 2;
    long differing = -1;
    // The window presents the frame the moment it is drawn; allow the X
    // server a moment to have it. -1: the window is not twice the frame.
    WaitUntil([&] { return (differing = Differences(frame, display.get(), window, factor)) == 0; },
              5);
    EXPECT_EQ(differing, 0) << "window pixels differing from the screenshot";

    // The script has no end of its own: only closing the window ends the reader.
    SendClose(display.get(), window);
    EXPECT_EQ(reader->Wait(20), 0) << reader->Err();
    EXPECT_TRUE(WaitUntil([&] { return FindWindow(display.get(), "Pregonero raviv") == 0; }, 5));
}

TEST_F(WindowTest, TerminationSignalEndsAWindowedReaderCleanly) {
    VirtualDisplay xvfb;
    if (!xvfb.Running()) {
        GTEST_SKIP() << "Xvfb could not be started, so there is no display to open a window on";
    }
    const std::string up = fx_.Root() / "up.json";
    const auto reader = Reader(xvfb.Name(), fx_.Home(), "wait\ndump " + up + "\n");
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(up); }, 60)) << reader->Err();
    reader->Signal(SIGTERM);
    EXPECT_EQ(reader->Wait(20), 0) << reader->Err();
    EXPECT_EQ(reader->Err(), "");
}

TEST_F(WindowTest, WithoutADisplayTheReaderSaysSoInOneLine) {
    // A named display that is not there is refused the same way, in one line.
    for (const std::string display : {"", ":159"}) {
        SCOPED_TRACE(display);
        const auto reader = Reader(display, fx_.Home(), "quit\n");
        ASSERT_EQ(reader->Wait(20), 2);
        const std::string err = reader->Err();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        if (display.empty()) {
            EXPECT_NE(err.find("no display"), std::string::npos) << err;
            EXPECT_NE(err.find("--headless"), std::string::npos) << err;
        } else {
            EXPECT_NE(err.find("DISPLAY=:159"), std::string::npos) << err;
        }
        // It stopped before writing or serving anything.
        EXPECT_FALSE(fs::exists(fx_.Home() + "/sample"));
    }
}

} // namespace
} // namespace pregonero::e2e
