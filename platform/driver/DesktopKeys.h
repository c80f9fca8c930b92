#pragma once

#include "platform/ui/UiTypes.h"

#include <functional>

namespace Osp::Ui::Controls {
class CustomList;
} // namespace Osp::Ui::Controls

namespace pregonero::runtime {
class Painter;
} // namespace pregonero::runtime

namespace pregonero::platform {

// What a key of the desktop or the terminal asks for. Every one of them ends
// up as the handset's own keys, so the screens never learn of them.
struct KeyCommand {
    enum class Kind {
        None,    // a key the reader has no use for
        Handset, // one handset key, `key`
        First,   // the first row of the list on screen
        Last,    // its last row
        Quit,    // as closing the window
        Help     // the key overlay, until the next key
    };
    Kind kind = Kind::None;
    ui::Key key = ui::Key::Enter;
};

// Carries out key commands on the current screen, on the event thread.
class DesktopKeys {
public:
    // Whether the view the front end now shows is worth stopping at; a front
    // end that draws text more densely than the handset (the terminal) says
    // no to a view with nothing in it past an article's end.
    using ViewCheck = std::function<bool(const Osp::Ui::Controls::CustomList& list)>;

    // Presses a handset key on whatever has the focus. A step down the list
    // that leads to a view `worthShowing` refuses is taken back.
    static void Press(ui::Key key, const ViewCheck& worthShowing = {});
    // Pages the list on screen to its first row (direction < 0) or its last,
    // as a reader holding Page Up or Page Down would; stops early at a view
    // `worthShowing` refuses. With a menu or a box open, one page key.
    static void PageToEnd(int direction, const ViewCheck& worthShowing = {});
    // Carries out `command`. `helpShown` is the front end's, which draws the
    // key overlay while it is set; a key that takes it down does nothing else.
    static void Perform(const KeyCommand& command, bool& helpShown,
                        const ViewCheck& worthShowing = {});
    // The key overlay over the whole 480 × 800 screen.
    static void PaintHelp(runtime::Painter& painter);

private:
    static Osp::Ui::Controls::CustomList* ListOnScreen();
    // One page or arrow key; false when the list did not move or the move
    // was taken back.
    static bool Step(Osp::Ui::Controls::CustomList* list, ui::Key key,
                     const ViewCheck& worthShowing);
};

} // namespace pregonero::platform
