#pragma once

#include "platform/driver/DesktopKeys.h"

namespace pregonero::platform {

// What a key read from the terminal means. Codes are what curses get_wch
// returns (a function key code or a character), passed as plain
// integers so this header needs no curses.
enum class TerminalKeyKind { Character, FunctionKey };

struct TerminalInput {
    enum class Kind { None, Command, Resize, Interrupt };
    Kind kind = Kind::None;
    KeyCommand command;
};

class TerminalKeyMap {
public:
    static TerminalInput Translate(int code, TerminalKeyKind kind);
};

} // namespace pregonero::platform
