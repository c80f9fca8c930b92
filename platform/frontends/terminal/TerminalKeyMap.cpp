#include "platform/frontends/terminal/TerminalKeyMap.h"

#include <curses.h>

namespace pregonero::platform {

namespace {

TerminalInput Key(ui::Key key) {
    return {TerminalInput::Kind::Command, {KeyCommand::Kind::Handset, key}};
}

TerminalInput Command(KeyCommand::Kind kind) {
    return {TerminalInput::Kind::Command, {kind, ui::Key::Enter}};
}

TerminalInput FunctionKey(int code) {
    switch (code) {
    case KEY_F(1):
    case KEY_BACKSPACE:
        return Key(ui::Key::Softkey1);
    case KEY_F(2):
    case KEY_BTAB:
        return Key(ui::Key::OptionKey);
    case KEY_UP:
        return Key(ui::Key::Up);
    case KEY_DOWN:
        return Key(ui::Key::Down);
    case KEY_LEFT:
        return Key(ui::Key::Left);
    case KEY_RIGHT:
        return Key(ui::Key::Right);
    case KEY_PPAGE:
        return Key(ui::Key::PageUp);
    case KEY_NPAGE:
        return Key(ui::Key::PageDown);
    case KEY_HOME:
        return Command(KeyCommand::Kind::First);
    case KEY_END:
        return Command(KeyCommand::Kind::Last);
    case KEY_ENTER:
        return Key(ui::Key::Enter);
    case KEY_RESIZE:
        return {TerminalInput::Kind::Resize, {}};
    default:
        return {};
    }
}

TerminalInput Character(int code) {
    switch (code) {
    case 27:  // Escape
    case 127: // Backspace as most terminals send it
    case 8:   // and as the others do
        return Key(ui::Key::Softkey1);
    case '\t':
        return Key(ui::Key::OptionKey);
    case '\n':
    case '\r':
        return Key(ui::Key::Enter);
    // Terminals send Shift-Space as a plain space: Page Up stays on its key.
    case ' ':
        return Key(ui::Key::PageDown);
    case 'j':
        return Key(ui::Key::Down);
    case 'k':
        return Key(ui::Key::Up);
    case 'q':
    case 17: // Ctrl-Q, which the terminal's flow control no longer takes
        return Command(KeyCommand::Kind::Quit);
    case '?':
        return Command(KeyCommand::Kind::Help);
    case 3: // Ctrl-C, when the terminal hands it over instead of signalling
        return {TerminalInput::Kind::Interrupt, {}};
    default:
        return {};
    }
}

} // namespace

TerminalInput TerminalKeyMap::Translate(int code, TerminalKeyKind kind) {
    return kind == TerminalKeyKind::FunctionKey ? FunctionKey(code) : Character(code);
}

} // namespace pregonero::platform
