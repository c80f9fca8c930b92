#include "platform/frontends/terminal/TerminalView.h"

#include "platform/frontends/terminal/CellScale.h"
#include "platform/frontends/terminal/TerminalPainter.h"
#include "platform/frontends/terminal/TextCells.h"
#include "platform/ui/ScreenComposer.h"

namespace pregonero::platform {

CellGrid TerminalView::Compose(const Osp::Ui::Controls::Frame& frame, int cols, int rows,
                               PictureSymbols symbols) {
    if (TooSmall(cols, rows)) {
        return Notice(cols, rows);
    }
    CellGrid grid(cols, rows);
    CellScale scale(cols, rows);
    TerminalPainter painter(grid, scale, symbols);
    ui::ScreenComposer::Paint(frame, painter);
    return grid;
}

CellGrid TerminalView::Notice(int cols, int rows) {
    CellGrid grid(cols, rows);
    if (rows <= 0 || cols <= 0) {
        return grid;
    }
    auto lines = TextCells::Wrap(TextCells::Decode(kTooSmall), cols, 1, runtime::TextWrap::Wrap);
    int col = 0;
    for (char32_t ch : lines.empty() ? std::u32string() : lines.front()) {
        grid.Put(col++, 0, ch, 1, {255, 255, 255, 255}, runtime::FontWeight::Normal);
    }
    return grid;
}

} // namespace pregonero::platform
