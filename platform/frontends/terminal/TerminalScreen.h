#pragma once

#include "platform/frontends/terminal/CellGrid.h"
#include "platform/frontends/terminal/TerminalKeyMap.h"

#include <memory>
#include <optional>
#include <string>

namespace pregonero::platform {

// The terminal while the reader owns it: curses in wide-character mode, keys
// without echo, no cursor. Destroying it gives the terminal back as it was,
// on every way out.
class TerminalScreen {
public:
    // Null with `error` set when standard input and output are no terminal
    // curses can drive.
    static std::unique_ptr<TerminalScreen> Open(std::string* error);
    ~TerminalScreen();
    TerminalScreen(const TerminalScreen&) = delete;
    TerminalScreen& operator=(const TerminalScreen&) = delete;

    int Cols() const;
    int Rows() const;
    // Shows the grid (clipped to the terminal) in one refresh.
    void Show(const CellGrid& grid);
    // The next key without waiting, or nothing when none is pending; keys
    // the reader has no use for come back as Kind::None.
    std::optional<TerminalInput> Read();

private:
    struct Impl;
    explicit TerminalScreen(std::unique_ptr<Impl> impl);
    int PairFor(const Cell& cell, unsigned* attributes);
    std::unique_ptr<Impl> impl_;
};

} // namespace pregonero::platform
