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

} // namespace pregonero::ui
