#include "platform/frontends/terminal/TerminalScreen.h"

#include <curses.h>
#include <langinfo.h>
#include <term.h>
#include <termios.h>
#include <unistd.h>

#include "platform/frontends/terminal/TerminalColors.h"

#include <algorithm>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace pregonero::platform {

namespace {

// How long a lone Escape waits for the rest of a key sequence: short, as
// Escape is the back key.
constexpr int kEscapeDelayMs = 25;

// curses needs a UTF-8 character type to read and write anything but ASCII.
void UseUtf8CharacterType() {
    std::setlocale(LC_CTYPE, "");
    const char* codeset = nl_langinfo(CODESET);
    if (codeset == nullptr || std::strcmp(codeset, "UTF-8") != 0) {
        std::setlocale(LC_CTYPE, "C.UTF-8");
    }
}

} // namespace

struct TerminalScreen::Impl {
    SCREEN* screen = nullptr;
    int colors = 0; // 0: none, 8 or 256
    ~Impl() {
        if (screen != nullptr) {
            endwin();
            delscreen(screen);
        }
    }
};

TerminalScreen::TerminalScreen(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}

TerminalScreen::~TerminalScreen() = default;

std::unique_ptr<TerminalScreen> TerminalScreen::Open(std::string* error) {
    UseUtf8CharacterType();
    auto impl = std::make_unique<Impl>();
    impl->screen = newterm(nullptr, stdout, stdin);
    if (impl->screen == nullptr) {
        *error = "cannot use this terminal (is TERM set?)";
        return nullptr;
    }
    set_term(impl->screen);
    // A terminal that cannot put the cursor where it wants (TERM=dumb, an
    // editor's shell buffer) would get a scroll of garbage, not a screen.
    const char* moveCursor = tigetstr(const_cast<char*>("cup"));
    if (moveCursor == nullptr || moveCursor == reinterpret_cast<const char*>(-1)) {
        const char* term = std::getenv("TERM");
        *error = std::string("this terminal (TERM=") + (term != nullptr ? term : "") +
                 ") cannot move its cursor; use a full terminal, or --headless with a script";
        return nullptr;
    }
    // Keys arrive at once but Ctrl-C still signals, so it ends the reader the
    // platform's way through the signal handler.
    cbreak();
    noecho();
    nonl();
    keypad(stdscr, TRUE);
    nodelay(stdscr, TRUE);
    set_escdelay(kEscapeDelayMs);
    // Home and End as the terminals that do not match their description send
    // them (tmux, screen and rxvt under TERM=xterm): else they would arrive
    // as Escape, which is the back key.
    for (const char* home : {"\033[1~", "\033[7~", "\033[H", "\033OH"}) {
        define_key(home, KEY_HOME);
    }
    for (const char* end : {"\033[4~", "\033[8~", "\033[F", "\033OF"}) {
        define_key(end, KEY_END);
    }
    curs_set(0);
    // Ctrl-Q quits the reader, so the terminal's flow control must let it
    // through; curses gives the terminal back as it found it.
    termios mode{};
    if (tcgetattr(STDIN_FILENO, &mode) == 0) {
        mode.c_iflag &= ~static_cast<tcflag_t>(IXON);
        tcsetattr(STDIN_FILENO, TCSANOW, &mode);
        def_prog_mode();
    }
    if (has_colors()) {
        start_color();
        impl->colors = COLORS >= 256 ? 256 : 8;
    }
    return std::unique_ptr<TerminalScreen>(new TerminalScreen(std::move(impl)));
}

int TerminalScreen::Cols() const {
    return getmaxx(stdscr);
}

int TerminalScreen::Rows() const {
    return getmaxy(stdscr);
}

int TerminalScreen::PairFor(const Cell& cell, unsigned* attributes) {
    if (impl_->colors == 0) {
        // Without colours, dark bars and the focused row show reversed.
        if (TerminalColors::IsDark(cell.bg)) {
            *attributes |= A_REVERSE;
        }
        return 0;
    }
    int fg = impl_->colors == 256 ? TerminalColors::Nearest256(cell.fg)
                                  : TerminalColors::Nearest8(cell.fg);
    int bg = impl_->colors == 256 ? TerminalColors::Nearest256(cell.bg)
                                  : TerminalColors::Nearest8(cell.bg);
    int pair = alloc_pair(fg, bg);
    return pair < 0 ? 0 : pair;
}

void TerminalScreen::Show(const CellGrid& grid) {
    int rows = std::min(grid.Rows(), Rows());
    int cols = std::min(grid.Cols(), Cols());
    for (int row = 0; row < rows; ++row) {
        for (int col = 0; col < cols; ++col) {
            const Cell& cell = grid.At(col, row);
            if (cell.part == CellPart::WideTail) {
                continue;
            }
            wchar_t text[3] = {static_cast<wchar_t>(cell.ch), static_cast<wchar_t>(cell.mark), 0};
            if (cell.part == CellPart::WideHead && col + 1 >= cols) {
                text[0] = L' '; // half a wide character would not fit
                text[1] = 0;
            }
            unsigned attributes = cell.weight == runtime::FontWeight::Bold ? A_BOLD : A_NORMAL;
            int pair = PairFor(cell, &attributes);
            cchar_t out;
            setcchar(&out, text, attributes, 0, &pair);
            mvadd_wch(row, col, &out);
        }
    }
    refresh();
}

std::optional<TerminalInput> TerminalScreen::Read() {
    wint_t code = 0;
    int kind = get_wch(&code);
    if (kind == ERR) {
        return std::nullopt;
    }
    TerminalInput input = TerminalKeyMap::Translate(
        static_cast<int>(code),
        kind == KEY_CODE_YES ? TerminalKeyKind::FunctionKey : TerminalKeyKind::Character);
    if (input.kind == TerminalInput::Kind::Resize) {
        // Whatever the terminal kept from before the resize is stale.
        clearok(curscr, TRUE);
    }
    return input;
}

} // namespace pregonero::platform
