#pragma once

namespace Osp::Ui {

using RequestId = long;

enum HorizontalAlignment { ALIGNMENT_LEFT = 0, ALIGNMENT_CENTER = 1, ALIGNMENT_RIGHT = 2 };
enum VerticalAlignment { ALIGNMENT_TOP = 0, ALIGNMENT_MIDDLE = 1, ALIGNMENT_BOTTOM = 2 };

enum ItemStatus { ITEM_CHECKED = 0, ITEM_UNCHECKED, ITEM_SELECTED, ITEM_HIGHLIGHTED };

} // namespace Osp::Ui

namespace pregonero::ui {

// The keys of the handset, whatever the front end maps onto them.
enum class Key {
    Softkey0,
    Softkey1,
    OptionKey,
    Up,
    Down,
    PageUp,
    PageDown,
    Left,
    Right,
    Enter,
    Back
};

// What a mouse or a finger did; the position is in the receiving control's
// own coordinates (its top left corner is 0, 0).
enum class PointerAction { Press, Move, Release, Wheel };

struct PointerEvent {
    PointerAction action = PointerAction::Press;
    int x = 0;
    int y = 0;
    // Wheel only: notches, positive to move further down the content.
    int wheelSteps = 0;
};

} // namespace pregonero::ui
