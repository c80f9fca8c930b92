// The reader in a real window on a virtual X display: what the window shows
// must be, pixel for pixel, the frame the driver's screenshot saved; closing
// the window or SIGTERM ends it cleanly.
#include <signal.h>
#include <spng.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "tests/e2e/support/FeedFixture.h"
#include "tests/e2e/support/Process.h"
#include "tests/e2e/support/Snapshot.h"
#include "tests/e2e/support/WaitUntil.h"
#include "tests/support/ReadAll.h"

// Last: Xlib's macros (None, Bool, Status) would trip the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

namespace pregonero::e2e {
namespace {

namespace fs = std::filesystem;

// The reader in a window on `display`, serving its own sample edition, on a script from its
// standard input that is left open: the reader runs until it is closed or signalled.
std::unique_ptr<Process> Reader(const std::string& display, const std::string& home,
                                const std::string& script) {
    // The X and GL driver stack loaded for a window keeps memory of its own
    // to the end and unloads modules the leak checker then cannot name; our
    // own leaks are checked by the headless runs.
    auto reader = std::make_unique<Process>(
        std::vector<std::string>{PREGONERO_BINARY, "--home", home, "--script", "-"},
        std::vector<std::string>{"DISPLAY=" + display, "LSAN_OPTIONS=detect_leaks=0"});
    reader->Send(script);
    return reader;
}

// The top-level window titled `title`, or 0.
Window FindWindow(Display* display, const std::string& title) {
    Window root = 0, parent = 0, *children = nullptr, found = 0;
    unsigned count = 0;
    XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
    for (unsigned i = 0; i < count && found == 0; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) != 0 && name != nullptr) {
            found = title == name ? children[i] : 0;
            XFree(name);
        }
    }
    XFree(children);
    return found;
}

// The PNG at `path` as RGB bytes, with its width (0 when unreadable).
std::vector<unsigned char> ReadPng(const std::string& path, unsigned& width) {
    const std::string bytes = testing_support::ReadAll(path);
    std::unique_ptr<spng_ctx, void (*)(spng_ctx*)> ctx(spng_ctx_new(0), spng_ctx_free);
    spng_ihdr ihdr{};
    std::size_t size = 0;
    spng_set_png_buffer(ctx.get(), bytes.data(), bytes.size());
    width = 0;
    if (spng_get_ihdr(ctx.get(), &ihdr) != 0 ||
        spng_decoded_image_size(ctx.get(), SPNG_FMT_RGB8, &size) != 0) {
        return {};
    }
    std::vector<unsigned char> rgb(size);
    if (spng_decode_image(ctx.get(), rgb.data(), size, SPNG_FMT_RGB8, 0) == 0) {
        width = ihdr.width;
    }
    return rgb;
}

// The dark ground around the screen when the window is not its exact multiple.
constexpr unsigned long kMargin = 24 << 16 | 24 << 8 | 28;

// The window's pixels as 0xRRGGBB, row by row, read from the X server by
// the test itself, not through anything of the program; empty when unreadable.
std::vector<unsigned long> WindowPixels(Display* display, Window window, int& w, int& h) {
    XWindowAttributes at{};
    std::vector<unsigned long> pixels;
    w = h = 0;
    if (XGetWindowAttributes(display, window, &at) == 0) {
        return pixels;
    }
    XImage* image = XGetImage(display, window, 0, 0, at.width, at.height, AllPlanes, ZPixmap);
    if (image == nullptr) {
        return pixels;
    }
    w = at.width;
    h = at.height;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            pixels.push_back(XGetPixel(image, x, y) & 0xFFFFFF);
        }
    }
    XDestroyImage(image);
    return pixels;
}

// Window pixels other than the frame shown sw × sh from (x0, y0) on the
// margin colour: at a whole factor each frame pixel is a block of exactly
// its colour; shrunk, a smoothed pixel lies within the colours of the frame
// pixels around the point it samples. -1 when the window cannot be read.
long Differences(const std::vector<unsigned char>& frame, unsigned width, Display* display,
                 Window window, int x0, int y0, int sw, int sh) {
    int w = 0, h = 0;
    const auto pixels = WindowPixels(display, window, w, h);
    const int height = width == 0 ? 0 : int(frame.size() / 3 / width);
    const bool whole = width != 0 && sw % width == 0;
    long differing = pixels.empty() ? -1 : 0;
    for (int y = 0; y < h && !pixels.empty(); ++y) {
        for (int x = 0; x < w; ++x) {
            const unsigned long got = pixels[std::size_t(y) * w + x];
            if (x < x0 || y < y0 || x >= x0 + sw || y >= y0 + sh) {
                differing += got != kMargin;
                continue;
            }
            const int cx = int((x - x0 + 0.5) * width / sw), cy = int((y - y0 + 0.5) * height / sh);
            const int reach = whole ? 0 : 2; // frame pixels around the sample that may count
            for (int c = 0; c < 3; ++c) {
                int low = 255, high = 0;
                for (int fy = std::max(0, cy - reach); fy <= std::min(height - 1, cy + reach / 2);
                     ++fy) {
                    for (int fx = std::max(0, cx - reach);
                         fx <= std::min(int(width) - 1, cx + reach / 2); ++fx) {
                        const int v = frame[(std::size_t(fy) * width + fx) * 3 + c];
                        low = std::min(low, v);
                        high = std::max(high, v);
                    }
                }
                const int v = int(got >> (16 - 8 * c) & 0xFF);
                if (v < low - reach || v > high + reach) {
                    ++differing;
                    break;
                }
            }
        }
    }
    return differing;
}

// Xvfb on a display number it picks, or null when it cannot start.
std::unique_ptr<Process> StartXvfb(std::string& name) {
    // Tall enough for a window at twice the handset's size.
    auto xvfb = std::make_unique<Process>(std::vector<std::string>{
        "/usr/bin/Xvfb", "-displayfd", "1", "-screen", "0", "1100x1800x24", "-nolisten", "tcp"});
    std::string number;
    if (!WaitUntil([&] { return (number = xvfb->Out()).ends_with("\n"); }, 20)) {
        return nullptr;
    }
    name = ":" + number.substr(0, number.size() - 1);
    return xvfb;
}

// A key pressed and let go on the window, as the X server would send it;
// with Shift held around it when `state` says so (SDL follows the Shift key's
// own events, not the state a key event carries).
void PressKey(Display* display, Window window, KeySym symbol, unsigned state = 0) {
    XEvent event{};
    event.xkey.display = display;
    event.xkey.window = window;
    event.xkey.root = DefaultRootWindow(display);
    event.xkey.same_screen = True;
    const auto send = [&](int type, KeySym key, unsigned mask) {
        event.type = type;
        event.xkey.keycode = XKeysymToKeycode(display, key);
        event.xkey.state = mask;
        XSendEvent(display, window, True, KeyPressMask | KeyReleaseMask, &event);
    };
    const bool shift = (state & ShiftMask) != 0;
    if (shift) {
        send(KeyPress, XK_Shift_L, 0);
    }
    send(KeyPress, symbol, state);
    send(KeyRelease, symbol, state);
    if (shift) {
        send(KeyRelease, XK_Shift_L, ShiftMask);
    }
    XFlush(display);
}

// A left click at window coordinates.
void Click(Display* display, Window window, int x, int y) {
    // The pointer goes there first, as a hand's would: the window learns
    // where the pointer is from its motion, not from the press.
    XWarpPointer(display, None, window, 0, 0, 0, 0, x, y);
    XSync(display, False);
    XEvent event{};
    event.xbutton.display = display;
    event.xbutton.window = window;
    event.xbutton.root = DefaultRootWindow(display);
    event.xbutton.same_screen = True;
    event.xbutton.x = x;
    event.xbutton.y = y;
    event.xbutton.button = Button1;
    event.type = ButtonPress;
    XSendEvent(display, window, True, ButtonPressMask, &event);
    event.type = ButtonRelease;
    event.xbutton.state = Button1Mask;
    XSendEvent(display, window, True, ButtonReleaseMask, &event);
    XFlush(display);
}

// A virtual display of its own; a reader in a window on it whose script
// ends with a screenshot, the frame that shot saved, and the window found.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        xvfb_ = StartXvfb(name_);
        if (!xvfb_) {
            GTEST_SKIP() << "Xvfb could not be started, so there is no display to open a window on";
        }
    }
    void TearDown() override {
        display_.reset(); // before its server goes, or Xlib ends the test
        if (xvfb_) {
            xvfb_->Signal(SIGTERM);
            xvfb_->Wait(10);
        }
    }
    std::unique_ptr<Process> Open(FeedFixture& fx, const std::string& script) {
        const std::string shot = fx.Root() / "shot.png";
        const std::string marker = fx.Root() / "after-shot.json";
        auto reader =
            Reader(name_, fx.Home(), script + "screenshot " + shot + "\ndump " + marker + "\n");
        EXPECT_TRUE(WaitUntil([&] { return fs::exists(marker); }, 60)) << reader->Err();
        frame_ = ReadPng(shot, width_);
        EXPECT_EQ(width_, 480u);
        EXPECT_EQ(frame_.size(), 480u * 800 * 3);
        display_.reset(XOpenDisplay(name_.c_str()));
        EXPECT_NE(display_, nullptr);
        EXPECT_TRUE(WaitUntil(
            [&] { return display_ && (window_ = FindWindow(display_.get(), kTitle)); }, 10));
        return reader;
    }
    // Window pixels other than the frame at `factor` from (x0, y0).
    long Differences(double factor, int x0 = 0, int y0 = 0) {
        return e2e::Differences(frame_, width_, display_.get(), window_, x0, y0, int(480 * factor),
                                int(800 * factor));
    }

    static constexpr const char* kTitle = "Pregonero raviv";
    std::string name_;
    std::unique_ptr<Process> xvfb_;
    std::unique_ptr<Display, int (*)(Display*)> display_{nullptr, XCloseDisplay};
    Window window_ = 0;
    std::vector<unsigned char> frame_;
    unsigned width_ = 0;
};

TEST_F(WindowTest, WindowShowsTheDriversFrameAndClosingOrSigtermEndsTheReader) {
    FeedFixture fx("window");
    const auto reader = Open(fx, "wait\noption\nchoose Deportes\nwait\n");
    ASSERT_NE(window_, 0u);
    // 1100 × 1800 leaves room for twice the handset's size, not three times.
    // The window presents the frame the moment it is drawn; allow the X
    // server a moment to have it. -1: the window is not twice the frame.
    long differing = -1;
    WaitUntil([&] { return (differing = Differences(2)) == 0; }, 5);
    EXPECT_EQ(differing, 0) << "window pixels differing from the screenshot";
    // It carries the program's icon, 64 pixels square.
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* icon = nullptr;
    XGetWindowProperty(display_.get(), window_, XInternAtom(display_.get(), "_NET_WM_ICON", False),
                       0, 2, False, AnyPropertyType, &type, &format, &count, &after, &icon);
    ASSERT_EQ(count, 2u);
    EXPECT_EQ(reinterpret_cast<long*>(icon)[0], 64);
    EXPECT_EQ(reinterpret_cast<long*>(icon)[1], 64);
    XFree(icon);

    // The script has no end of its own: only closing the window ends the reader.
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window_;
    event.xclient.message_type = XInternAtom(display_.get(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display_.get(), "WM_DELETE_WINDOW", False));
    XSendEvent(display_.get(), window_, False, NoEventMask, &event);
    XFlush(display_.get());
    // At once, though the reader still holds connections to its own server.
    EXPECT_EQ(reader->Wait(2), 0) << reader->Err();
    EXPECT_TRUE(WaitUntil([&] { return FindWindow(display_.get(), kTitle) == 0; }, 5));

    // A termination signal ends a windowed reader cleanly too.
    const std::string up = fx.Root() / "up.json";
    const auto signalled = Reader(name_, fx.Home(), "wait\ndump " + up + "\n");
    ASSERT_TRUE(WaitUntil([&] { return fs::exists(up); }, 60)) << signalled->Err();
    signalled->Signal(SIGTERM);
    EXPECT_EQ(signalled->Wait(2), 0) << signalled->Err();
    EXPECT_EQ(signalled->Err(), "");
}

TEST_F(WindowTest, ResizedWindowScalesTheScreenAndPointerAndDesktopKeysFollow) {
    FeedFixture fx("window-keys");
    const auto reader = Open(fx, "wait\n");
    ASSERT_NE(window_, 0u);
    const auto resize = [&](int w, int h) {
        XResizeWindow(display_.get(), window_, w, h);
        XFlush(display_.get());
    };

    // Larger than twice the screen, not three times: twice, centred.
    resize(1000, 1700);
    long differing = -1;
    WaitUntil([&] { return (differing = Differences(2, 20, 50)) == 0; }, 10);
    EXPECT_EQ(differing, 0) << "pixels not the screen at twice its size, centred";
    // Smaller than the screen: shrunk smoothly to half, centred across.
    resize(300, 400);
    WaitUntil([&] { return (differing = Differences(0.5, 30, 0)) == 0; }, 10);
    EXPECT_EQ(differing, 0) << "pixels not the screen shrunk to half, centred";

    // Each probe is a dump of its own, taken once the reader is idle (the
    // window's events are handled then), asked for until what it shows holds.
    int dumps = 0;
    const auto until = [&](const char* what, const std::function<bool(const Snapshot&)>& holds) {
        std::string last;
        const bool held = WaitUntil(
            [&] {
                const std::string path = fx.Root() / ("probe" + std::to_string(++dumps) + ".json");
                reader->Send("wait 5\ndump " + path + "\n");
                // Read once the dump is whole: it ends with its closing brace.
                if (!WaitUntil(
                        [&] {
                            std::ifstream in(path);
                            std::getline(in, last);
                            return last.ends_with("}");
                        },
                        20)) {
                    return false;
                }
                return holds(Snapshot(last));
            },
            20);
        const Snapshot shown(last);
        EXPECT_TRUE(held) << what << ": " << shown.Form() << ", list "
                          << (shown.List().is_object() ? shown.List().value("focusedIndex", -2)
                                                       : -2)
                          << " focused, at "
                          << (shown.List().is_object() ? shown.List().value("scrollY", -2) : -2);
    };
    const auto list = [](const Snapshot& s, const char* key) {
        return s.List().is_object() ? s.List().value(key, -2) : -2;
    };

    // At twice the size a click lands on the screen pixel under it: 420
    // down the screen is the second headline (the list starts at 160, its
    // rows are 176 high), at 20 + 2 × 240, 50 + 2 × 420 in the window.
    resize(1000, 1700);
    WaitUntil([&] { return Differences(2, 20, 50) == 0; }, 10);
    Click(display_.get(), window_, 20 + 2 * 240, 50 + 2 * 420);
    until("the click opens the second article", [](const Snapshot& s) {
        // Its back key answers once its pictures are in.
        return s.Form() != "IDF_FORM_PORTADA" &&
               s.Shows("Investigadores de la universidad estatal reciben apoyo para la cumbre del "
                       "clima") &&
               s.Back() == "on";
    });
    // A click in the margin touches nothing; Backspace is still the back key.
    Click(display_.get(), window_, 5, 1690);
    PressKey(display_.get(), window_, XK_BackSpace);
    until("back on the front page",
          [](const Snapshot& s) { return s.Form() == "IDF_FORM_PORTADA"; });

    // End and Home reach the list's last and first rows; Space and
    // Shift-Space page down and up; j and k move the focus.
    PressKey(display_.get(), window_, XK_End);
    until("End", [&](const Snapshot& s) {
        return list(s, "focusedIndex") == int(s.List()["items"].size()) - 1;
    });
    PressKey(display_.get(), window_, XK_Home);
    until("Home", [&](const Snapshot& s) {
        return list(s, "focusedIndex") == 0 && list(s, "scrollY") == 0;
    });
    PressKey(display_.get(), window_, XK_space);
    until("Space", [&](const Snapshot& s) { return list(s, "scrollY") > 0; });
    PressKey(display_.get(), window_, XK_space, ShiftMask);
    until("Shift-Space", [&](const Snapshot& s) { return list(s, "scrollY") == 0; });
    PressKey(display_.get(), window_, XK_j);
    PressKey(display_.get(), window_, XK_j);
    PressKey(display_.get(), window_, XK_k);
    until("j j k", [&](const Snapshot& s) { return list(s, "focusedIndex") == 1; });

    // "?" lays the keys over the screen (a dark panel from 16 pixels in);
    // the next key only takes them away.
    const auto panelShown = [&] {
        int w = 0, h = 0;
        const auto pixels = WindowPixels(display_.get(), window_, w, h);
        const std::size_t at = std::size_t(50 + 2 * 400) * w + 20 + 2 * 24;
        return at < pixels.size() && pixels[at] == 0x181818;
    };
    EXPECT_FALSE(panelShown());
    PressKey(display_.get(), window_, XK_question, ShiftMask);
    EXPECT_TRUE(WaitUntil(panelShown, 10));
    PressKey(display_.get(), window_, XK_j);
    EXPECT_TRUE(WaitUntil([&] { return !panelShown(); }, 10));
    until("the key after ? does nothing else",
          [&](const Snapshot& s) { return list(s, "focusedIndex") == 1; });

    // q ends the reader as closing the window does.
    PressKey(display_.get(), window_, XK_q);
    EXPECT_EQ(reader->Wait(20), 0) << reader->Err();
}

} // namespace
} // namespace pregonero::e2e
