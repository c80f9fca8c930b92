#include "platform/frontends/terminal/TerminalView.h"

#include "platform/frontends/terminal/CellScale.h"
#include "platform/frontends/terminal/TerminalPainter.h"
#include "platform/frontends/terminal/TextCells.h"
#include "platform/driver/DesktopKeys.h"
#include "platform/ui/CustomList.h"
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

void TerminalView::PaintHelp(CellGrid& grid) {
    CellScale scale(grid.Cols(), grid.Rows());
    TerminalPainter painter(grid, scale);
    DesktopKeys::PaintHelp(painter);
}

bool TerminalView::ShowsAnything(const Osp::Ui::Controls::Frame& frame,
                                 const Osp::Ui::Controls::CustomList& list, int cols, int rows) {
    if (TooSmall(cols, rows)) {
        return true;
    }
    const CellGrid grid = Compose(frame, cols, rows);
    const auto origin = list.ScreenOrigin();
    const auto bounds = list.GetBounds();
    const runtime::IntRect area = CellScale::Intersect(
        CellScale(cols, rows).ToCells({origin.x, origin.y, bounds.width, bounds.height}),
        {0, 0, cols, rows});
    for (int row = area.y; row < area.y + area.height; ++row) {
        for (int col = area.x; col < area.x + area.width; ++col) {
            const char32_t ch = grid.At(col, row).ch;
            if (ch != U' ' && ch != U'─' && ch != U'│') {
                return true;
            }
        }
    }
    return false;
}

} // namespace pregonero::platform
