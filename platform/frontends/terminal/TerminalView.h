#pragma once

#include "platform/frontends/terminal/CellGrid.h"
#include "platform/frontends/terminal/PictureCells.h"

namespace Osp::Ui::Controls {
class CustomList;
class Frame;
} // namespace Osp::Ui::Controls

namespace pregonero::platform {

// The whole screen as the terminal shows it, or a one-line notice when the
// terminal is too small to show anything useful.
class TerminalView {
public:
    static constexpr int kMinCols = 20;
    static constexpr int kMinRows = 10;
    static constexpr const char* kTooSmall = "Terminal too small: at least 20 x 10, please";

    static bool TooSmall(int cols, int rows) { return cols < kMinCols || rows < kMinRows; }
    static CellGrid Compose(const Osp::Ui::Controls::Frame& frame, int cols, int rows,
                            PictureSymbols symbols = PictureSymbols::Chafa);
    static CellGrid Notice(int cols, int rows);
    // Lays the key overlay over a composed grid.
    static void PaintHelp(CellGrid& grid);
    // Whether the list, as the frame now shows it at this size, has anything
    // in view but its background and rules; always true for a terminal too
    // small to show the screen.
    static bool ShowsAnything(const Osp::Ui::Controls::Frame& frame,
                              const Osp::Ui::Controls::CustomList& list, int cols, int rows);
};

} // namespace pregonero::platform
